#include "help/AboutWindow.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QUrl>

#include <utility>

#include "help/HelpCommands.h"
#include "help/ProductLinks.h"
#include "platform/Shell.h"

namespace {

const QColor LinkHover(0, 0, 255);
const QColor LinkRest(0, 0, 0);
const QSize PictureSize(240, 150);
const int TileSize = 30;

QPixmap pictureArt(const QSize& size, qreal ratio)
{
    QPixmap art(size * ratio);
    art.setDevicePixelRatio(ratio);
    art.fill(Qt::white);
    QPainter painter(&art);
    // The program's own tile, repeated faintly, under a clear band for the title.
    QSvgRenderer tile(QStringLiteral(":/icons/vadro.svg"));
    painter.setOpacity(0.35);
    for (int y = 0; y < size.height(); y += TileSize) {
        for (int x = 0; x < size.width(); x += TileSize)
            tile.render(&painter, QRectF(x, y, TileSize, TileSize));
    }
    painter.setOpacity(0.85);
    painter.fillRect(QRect(0, size.height() / 4, size.width(), size.height() / 2), Qt::white);
    return art;
}

} // namespace

AboutWindow::AboutWindow(Shell& shell, MessageBoxes& messages, QWidget* parent)
    : AboutWindow(shell, messages, parent, QString::fromUtf8(WebPageAddress),
                  QString::fromUtf8(MailAddress))
{
}

AboutWindow::AboutWindow(Shell& shell, MessageBoxes& messages, QWidget* parent,
                         const QString& webPage, const QString& mail)
    : QDialog(parent), m_shell(shell), m_messages(messages)
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(tr("About Vadro"));
    // Black links on the theme's background would vanish under a dark theme.
    QPalette light = palette();
    light.setColor(QPalette::Window, Qt::white);
    light.setColor(QPalette::WindowText, Qt::black);
    setPalette(light);
    setAutoFillBackground(true);

    const QString texts[LabelCount] = {
        tr("A previewer for tiled images:\nbackgrounds, patterns, textures."),
        tr("Web :"),
        tr("Mail :"),
        webPage,
        mail,
        tr("Built with Qt %1").arg(QString::fromLatin1(qVersion())),
        tr("Free software under the GNU General Public License,\nversion 3 or later (%1).")
            .arg(QString::fromLatin1(LicenceId)),
    };
    for (int i = 0; i < LabelCount; ++i) {
        auto* label = new QLabel(texts[i], this);
        label->setObjectName(QStringLiteral("Label1_%1").arg(i));
        label->setMouseTracking(true);
        label->installEventFilter(this);
        m_labels.append(label);
    }
    for (int link : {WebLink, MailLink}) {
        QLabel* label = m_labels[link];
        QFont underlined = label->font();
        underlined.setUnderline(true);
        label->setFont(underlined);
        label->setCursor(Qt::PointingHandCursor);
        // Tab reaches the links, Enter or Space opens them.
        label->setFocusPolicy(Qt::TabFocus);
        setLinkColour(link, LinkRest);
    }

    m_picture = buildPicture();
    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->setHorizontalSpacing(8);
    grid->addWidget(m_picture, 0, 0, 6, 1);
    grid->addWidget(m_labels[Blurb], 0, 1, 1, 2);
    grid->addWidget(m_labels[WebCaption], 1, 1);
    grid->addWidget(m_labels[WebLink], 1, 2);
    grid->addWidget(m_labels[MailCaption], 2, 1);
    grid->addWidget(m_labels[MailLink], 2, 2);
    grid->addWidget(m_labels[Build], 3, 1, 1, 2);
    grid->addWidget(m_labels[Licence], 4, 1, 1, 2);
    grid->setRowStretch(5, 1);
    // An address the build does not name is no link.
    const std::pair<int, int> rows[] = {{WebCaption, WebLink}, {MailCaption, MailLink}};
    for (const auto& [caption, link] : rows) {
        const bool named = !m_labels[link]->text().isEmpty();
        m_labels[caption]->setVisible(named);
        m_labels[link]->setVisible(named);
    }
}

QWidget* AboutWindow::buildPicture()
{
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setFixedSize(PictureSize);
    picture->setPixmap(pictureArt(PictureSize, devicePixelRatioF()));
    picture->setMouseTracking(true);
    picture->installEventFilter(this);

    // The texts are part of the picture: the pointer and clicks go through them to it.
    auto* title = new QLabel(tr("The image Vadro"), picture);
    title->setObjectName(QStringLiteral("AboutTitle"));
    QFont bold = title->font();
    bold.setPointSizeF(bold.pointSizeF() * 1.5);
    bold.setBold(true);
    title->setFont(bold);
    title->setStyleSheet(QStringLiteral("color: #0000c0; background: transparent"));
    auto* version = new QLabel(tr("v 2.0"), picture);
    version->setObjectName(QStringLiteral("AboutVersion"));
    version->setStyleSheet(QStringLiteral("color: #d00000; background: transparent"));
    const int band = PictureSize.height() / 4;
    title->setGeometry(12, band + 6, PictureSize.width() - 24, band);
    version->setGeometry(12, 2 * band, PictureSize.width() - 24, band - 6);
    for (QLabel* text : {title, version})
        text->setAttribute(Qt::WA_TransparentForMouseEvents);
    return picture;
}

void AboutWindow::showModal(Shell& shell, MessageBoxes& messages, QWidget* parent)
{
    AboutWindow about(shell, messages, parent);
    about.exec();
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        pointerOver(watched);
        break;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_pressed = watched;
        break;
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* widget = static_cast<QWidget*>(watched);
        // A click is a press and a release on the same control.
        const bool click = mouse->button() == Qt::LeftButton && m_pressed == watched &&
                           widget->rect().contains(mouse->position().toPoint());
        m_pressed = nullptr;
        if (click) {
            clicked(watched);
            return true;
        }
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int index = m_labels.indexOf(static_cast<QLabel*>(watched));
        if ((index == WebLink || index == MailLink) &&
            (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
            openLink(index);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void AboutWindow::pointerOver(QObject* watched)
{
    if (watched == m_picture) {
        setLinkColour(WebLink, LinkRest);
        setLinkColour(MailLink, LinkRest);
        return;
    }
    const int index = m_labels.indexOf(static_cast<QLabel*>(watched));
    if (index == WebLink || index == MailLink)
        setLinkColour(index, LinkHover);
}

void AboutWindow::clicked(QObject* watched)
{
    const int index = m_labels.indexOf(static_cast<QLabel*>(watched));
    if (index == WebLink || index == MailLink)
        openLink(index);
    else
        reject();
}

void AboutWindow::openLink(int index)
{
    const QString address = m_labels[index]->text();
    const QUrl url = index == WebLink ? QUrl(address) : QUrl(QStringLiteral("mailto:") + address);
    HelpCommands::openOrSay(m_shell, m_messages, this, url);
}

void AboutWindow::setLinkColour(int index, const QColor& colour)
{
    QLabel* label = m_labels[index];
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}
