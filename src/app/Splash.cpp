#include "app/Splash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

#include "layout/Twips.h"

Splash::Splash()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_art(QStringLiteral(":/splash.png")), m_progress(new QLabel(tr("Loading .."), this))
{
    setObjectName(QStringLiteral("Splash"));
    setFixedSize(Twips::toPixels(2970), Twips::toPixels(1500));
    // The start-up blocks input, so the pointer says so over the splash.
    setCursor(Qt::WaitCursor);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);

    auto* title = new QLabel(tr("The image Vadro"), this);
    title->setObjectName(QStringLiteral("SplashTitle"));
    QFont bold = title->font();
    bold.setPointSizeF(8.25);
    bold.setBold(true);
    title->setFont(bold);
    title->setStyleSheet(QStringLiteral("color: #0000c0; background: transparent"));
    title->setGeometry(Twips::toPixels(1068), Twips::toPixels(450), Twips::toPixels(1800),
                       Twips::toPixels(300));

    auto* version = new QLabel(QStringLiteral("v 2.0"), this);
    version->setStyleSheet(QStringLiteral("color: #d00000; background: transparent"));
    version->setGeometry(Twips::toPixels(1068), Twips::toPixels(760), Twips::toPixels(1000),
                         Twips::toPixels(300));

    m_progress->setObjectName(QStringLiteral("Label3"));
    m_progress->setStyleSheet(QStringLiteral("color: black; background: transparent"));
    m_progress->setGeometry(Twips::toPixels(1068), Twips::toPixels(1140), Twips::toPixels(1728),
                            Twips::toPixels(216));

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

QString Splash::progressCaption(int stage)
{
    return tr("Loading ..") + QString(2 * stage, QLatin1Char('.'));
}

void Splash::progress(int stage)
{
    m_progress->setText(progressCaption(stage));
    m_progress->repaint();
}

QString Splash::progressText() const
{
    return m_progress->text();
}

void Splash::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_art.isNull())
        p.drawPixmap(rect(), m_art);
}
