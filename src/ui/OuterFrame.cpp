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
    m_geometry = geometry;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
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
        case QEvent::Resize:
            learnFrame();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
