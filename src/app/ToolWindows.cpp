#include "app/ToolWindows.h"

#include <QCoreApplication>
#include <QEvent>
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
#include "platform/Platform.h"
#include "preview/ContrastMeter.h"
#include "preview/CurrentImage.h"
#include "preview/TiledView.h"
#include "preview/WallpaperCommand.h"
#include "toolbox/Toolbox.h"
#include "ui/StatusBar.h"

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
