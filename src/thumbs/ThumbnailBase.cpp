#include "thumbs/ThumbnailBase.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "thumbs/ThumbGridGeometry.h"
#include "thumbs/ThumbnailSurface.h"

ThumbnailBase::ThumbnailBase(QWidget* parent)
    : QWidget(parent), m_surface(new ThumbnailSurface(this)),
      m_scrollBar(new QScrollBar(Qt::Vertical, this))
{
    setObjectName(QStringLiteral("picBase"));
    setFocusProxy(m_surface);
    m_surface->installEventFilter(this);
    m_scrollBar->setObjectName(QStringLiteral("VScroll1"));
    m_scrollBar->setRange(0, 1);
    m_scrollBar->setSingleStep(ThumbGridGeometry::SmallChange);
    m_scrollBar->setPageStep(ThumbGridGeometry::LargeChange);
    m_scrollBar->setFocusPolicy(Qt::NoFocus);
    m_scrollBar->hide();
    // Dragging the bar's thumb moves the grid with it, not only at the release.
    m_scrollBar->setTracking(true);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, &ThumbnailBase::followScrollBar);
    setAutoFillBackground(true);
}

void ThumbnailBase::place(const PaneRects& rects)
{
    m_rects = rects;
    setGeometry(rects.thumbBase.toPixels());
    m_scrollBar->setGeometry(rects.thumbScrollBar.toPixels());
    followScrollBar();
    m_scrollBar->raise();
    Q_EMIT placed();
}

void ThumbnailBase::setSurfaceRows(qint64 rows)
{
    m_rows = rows;
    followScrollBar();
}

void ThumbnailBase::followScrollBar()
{
    const int top = ThumbGridGeometry::surfaceTopTwips(m_scrollBar->value());
    const qint64 height = std::min<qint64>(m_rows * ThumbGridGeometry::Cell, 1 << 28);
    const QRect r = TwipRect{ThumbGridGeometry::SurfaceLeft, top, int(m_rects.thumbSurfaceWidth),
                             int(std::max<qint64>(height, m_rects.thumbBase.height))}
                        .toPixels();
    m_surface->setGeometry(r);
}

void ThumbnailBase::mousePressEvent(QMouseEvent* event)
{
    Q_EMIT pressedOutside(event->buttons(), event->globalPosition().toPoint());
    event->accept();
}

void ThumbnailBase::wheelEvent(QWheelEvent* event)
{
    // The wheel anywhere over the grid turns the grid's own scroll bar.
    QCoreApplication::sendEvent(m_scrollBar, event);
}

bool ThumbnailBase::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_surface && event->type() == QEvent::Wheel) {
        QCoreApplication::sendEvent(m_scrollBar, event);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
