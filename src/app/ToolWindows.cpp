#include "app/ToolWindows.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QStandardPaths>

#include "app/Browser.h"
#include "app/OptionsDialog.h"
#include "app/TitleStrip.h"
#include "help/AboutWindow.h"
#include "help/HelpCommands.h"
#include "listing/Listing.h"
#include "listing/TypeFilter.h"
#include "platform/Clipboard.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/SaveFileChooser.h"
#include "preview/ContrastMeter.h"
#include "preview/CurrentImage.h"
#include "preview/RepeatUnit.h"
#include "preview/TiledView.h"
#include "preview/WallpaperCommand.h"
#include "tile/TileSettings.h"
#include "toolbox/Toolbox.h"
#include "ui/FileText.h"
#include "ui/StatusBar.h"
#include "ui/WaitCursor.h"

ToolWindows::ToolWindows(const Parts& parts, Platform& platform, QObject* parent)
    : QObject(parent), m_parts(parts), m_platform(platform)
{
    m_toolbox = std::make_unique<Toolbox>(parts.sample, parts.tiles, *platform.fonts,
                                          *platform.printer, *platform.messages);
    m_toolbox->setTiledView(&parts.tiled);
    connect(&parts.tiled.contrast(), &ContrastMeter::measured, m_toolbox.get(),
            &Toolbox::showContrast);
    connect(m_toolbox.get(), &Toolbox::copyCssRequested, this,
            [this] { m_platform.clipboard->setText(m_parts.tiled.css()); });
    connect(&parts.tiled, &TiledView::toolboxRequested, this, &ToolWindows::showToolbox);
    connect(&parts.tiled, &TiledView::saveRepeatRequested, this, &ToolWindows::saveRepeat);
    connect(m_toolbox.get(), &Toolbox::saveRepeatRequested, this, &ToolWindows::saveRepeat);
    parts.tiled.installEventFilter(this);
    parts.window.installEventFilter(this);

    m_options = new OptionsDialog(parts.settings, parts.types, *platform.messages, &parts.window);
    connect(m_options, &OptionsDialog::typesApplied, this, &ToolWindows::typesApplied);

    m_wallpaper = new WallpaperCommand(
        parts.browser.current(), *platform.decoder, *platform.clipboard, *platform.wallpaper,
        *platform.messages, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
        [this](const QString& text) { return reportOnStatusLine(text); }, &parts.window);
    m_wallpaper->setParent(this);
    connect(m_wallpaper, &WallpaperCommand::listingRefreshRequested, &parts.browser,
            &Browser::refresh);
}

ToolWindows::~ToolWindows() = default;

void ToolWindows::showToolbox()
{
    m_toolbox->open();
}

void ToolWindows::saveRepeat()
{
    const CurrentImage& current = m_parts.browser.current();
    QWidget* parent =
        m_parts.tiled.isVisible() ? static_cast<QWidget*>(&m_parts.tiled) : &m_parts.window;
    const QString title = tr("Save repeat");
    MessageBoxes& messages = *m_platform.messages;
    if (!current.hasPicture()) {
        messages.show(parent, title, tr("There is no picture to save a repeat of."),
                      MessageBoxes::Icon::Information);
        return;
    }
    const Repeat repeat = m_parts.tiles.mode().repeat;
    const QSize unit = repeat.unitSize(current.image().size());
    if (qint64(unit.width()) * unit.height() > RepeatUnit::MaxPixels) {
        messages.show(parent, title,
                      tr("The %1 of this picture would be %2 \u00d7 %3 pixels, too large to save.")
                          .arg(repeat.name())
                          .arg(unit.width())
                          .arg(unit.height()),
                      MessageBoxes::Icon::Warning);
        return;
    }
    const QString start =
        FileText::join(current.folder(), RepeatUnit::fileName(current.file(), repeat));
    std::optional<QString> chosen =
        m_platform.saver->choose(parent, title, start, tr("PNG pictures (*.png)"));
    if (!chosen)
        return;
    // A name typed without an ending gets the PNG's; the dialog asked about the name as typed,
    // so a file already there under the longer name is not replaced unasked.
    if (QFileInfo(*chosen).suffix().isEmpty()) {
        *chosen += QStringLiteral(".png");
        if (QFileInfo::exists(*chosen)) {
            messages.show(
                parent, title,
                tr("%1 already exists. To replace it, choose it by its whole name.").arg(*chosen),
                MessageBoxes::Icon::Warning);
            return;
        }
    }
    QString why;
    bool saved = false;
    {
        WaitCursor wait; // a large unit takes a few seconds to encode
        saved = RepeatUnit::save(RepeatUnit::of(current.image(), repeat), *chosen, current.path(),
                                 &why);
    }
    if (!saved)
        messages.show(parent, title, tr("The repeat was not saved: %1.").arg(why),
                      MessageBoxes::Icon::Error);
    else
        reportOnStatusLine(tr("Saved %1").arg(*chosen));
}

void ToolWindows::showOptions(bool modal)
{
    if (modal)
        m_options->showModal();
    else
        m_options->showModeless();
}

void ToolWindows::typesApplied()
{
    const TypeFilter& types = m_parts.types;
    TitleStrip& title = m_parts.title;
    m_parts.browser.listing().typesChanged(types.filePattern(), [&title, &types] {
        title.typesLabel()->setText(types.typesCaption());
    });
}

void ToolWindows::setWallpaper()
{
    m_wallpaper->run();
}

bool ToolWindows::reportOnStatusLine(const QString& text)
{
    if (!m_parts.status.exists())
        return false;
    m_parts.status.showSimple(text);
    return true;
}

void ToolWindows::helpContents()
{
    HelpCommands(*m_platform.shell, *m_platform.messages, &m_parts.window,
                 QCoreApplication::applicationDirPath())
        .openContents();
}

void ToolWindows::webPage()
{
    HelpCommands(*m_platform.shell, *m_platform.messages, &m_parts.window,
                 QCoreApplication::applicationDirPath())
        .openWebPage();
}

void ToolWindows::showAbout()
{
    AboutWindow::showModal(*m_platform.shell, *m_platform.messages, &m_parts.window);
}

void ToolWindows::setToolboxPosition(const QPointF& twips)
{
    m_toolbox->setPositionTwips(twips.toPoint());
}

std::optional<QPointF> ToolWindows::toolboxPosition() const
{
    if (!m_toolbox->isLoaded())
        return std::nullopt;
    return QPointF(m_toolbox->positionTwips());
}

bool ToolWindows::eventFilter(QObject* watched, QEvent* event)
{
    // The tiled view, once in front, hands the keyboard to a showing toolbox, so that the
    // user can type the sample at once; the tiles stay on screen behind it.
    if (watched == &m_parts.tiled && event->type() == QEvent::WindowActivate &&
        m_toolbox->isVisible())
        m_toolbox->activateWindow();
    // A window of its own, the toolbox goes when the program's window does.
    if (watched == &m_parts.window && event->type() == QEvent::Close)
        m_toolbox->hide();
    return QObject::eventFilter(watched, event);
}
