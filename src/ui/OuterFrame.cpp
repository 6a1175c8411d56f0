#include "ui/OuterFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "layout/Twips.h"

OuterFrame::OuterFrame(QWidget* window) : QObject(window), m_window(window)
{
    window->installEventFilter(this);
}

void OuterFrame::apply(const WindowGeometry& geometry)
{
    QList<QRect> screens;
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.append(screen->availableGeometry());
        desktop |= screen->availableGeometry();
    }
    const QSizeF least(std::max(m_minimum.width(), LeastUsableSide),
                       std::max(m_minimum.height(), LeastUsableSide));
    const QSizeF most = desktop.isEmpty() ? QSizeF(1e9, 1e9)
                                          : QSizeF(Twips::fromPixels(desktop.width()),
                                                   Twips::fromPixels(desktop.height()));
    m_geometry = geometry.withSizeWithin(least, most);
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect outer = WindowGeometry::keptOnScreens(
        m_geometry.toPixels(), screens, primary ? primary->availableGeometry() : QRect());
    m_geometry.sync(outer);
    m_window->move(outer.topLeft());
    m_window->resize(outer.size() - m_extra);
}

QRect OuterFrame::outerPixels() const
{
    if (m_known)
        return m_window->frameGeometry();
    return QRect(m_window->pos(), m_window->size() + m_extra);
}

const WindowGeometry& OuterFrame::current()
{
    m_geometry.sync(outerPixels());
    return m_geometry;
}

void OuterFrame::setMinimumOuterSize(int widthTwips, int heightTwips)
{
    m_minimum = QSize(widthTwips, heightTwips);
    applyMinimum();
}

void OuterFrame::applyMinimum()
{
    const auto side = [](int twips) { return (twips + Twips::PerPixel - 1) / Twips::PerPixel; };
    m_window->setMinimumSize(std::max(0, side(m_minimum.width()) - m_extra.width()),
                             std::max(0, side(m_minimum.height()) - m_extra.height()));
}

// Without a window manager the size hints bind nobody: a window made smaller from outside
// is given its minimum back here.
void OuterFrame::enforceMinimum()
{
    if (!m_window->isVisible() || m_window->isMinimized())
        return;
    const QSize least = m_window->minimumSize();
    const QSize now = m_window->size();
    if (now.width() < least.width() || now.height() < least.height())
        m_window->resize(now.expandedTo(least));
}

void OuterFrame::learnFrame()
{
    if (m_known || !m_window->isVisible() || m_window->isMinimized() || m_window->isMaximized() ||
        m_window->isFullScreen())
        return;
    const QSize extra = m_window->frameGeometry().size() - m_window->size();
    if (extra.width() <= 0 && extra.height() <= 0)
        return;
    m_known = true;
    m_extra = extra;
    applyMinimum();
    m_window->resize(m_geometry.toPixels().size() - extra);
}

bool OuterFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Show:
            QTimer::singleShot(0, this, &OuterFrame::learnFrame);
            break;
        case QEvent::Move:
            learnFrame();
            break;
        case QEvent::Resize:
            learnFrame();
            enforceMinimum();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
