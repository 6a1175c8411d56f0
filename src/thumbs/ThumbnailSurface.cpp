#include "thumbs/ThumbnailSurface.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "layout/TwipRect.h"
#include "thumbs/ThumbGridGeometry.h"

ThumbnailSurface::ThumbnailSurface(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picScroll"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ThumbnailSurface::setThumbnails(QVector<QImage> thumbnails, int columns)
{
    m_thumbs = std::move(thumbnails);
    m_pending = QVector<bool>(m_thumbs.size(), false);
    m_columns = columns;
    m_marker = -1;
    update();
}

void ThumbnailSurface::setPlaceholders(qint64 count, int columns)
{
    setThumbnails(QVector<QImage>(int(count)), columns);
    m_pending.fill(true);
}

void ThumbnailSurface::setColumns(int columns)
{
    if (columns == m_columns)
        return;
    m_columns = columns;
    update();
}

void ThumbnailSurface::setThumbnail(qint64 index, const QImage& thumbnail)
{
    if (index < 0 || index >= count())
        return;
    m_thumbs[int(index)] = thumbnail;
    m_pending[int(index)] = false;
    update(thumbnailRect(index));
}

void ThumbnailSurface::clear()
{
    setThumbnails({}, m_columns);
}

void ThumbnailSurface::setMarker(qint64 index)
{
    const qint64 previous = m_marker;
    m_marker = index >= 0 && index < count() ? index : -1;
    if (previous >= 0)
        update(thumbnailRect(previous).adjusted(-2, -2, 2, 2));
    if (m_marker >= 0)
        update(thumbnailRect(m_marker).adjusted(-2, -2, 2, 2));
    if (m_marker != previous)
        Q_EMIT markerChanged(m_marker);
}

QRect ThumbnailSurface::thumbnailRect(qint64 index) const
{
    const QPoint origin = ThumbGridGeometry::cellOrigin(index, m_columns);
    return TwipRect{origin.x(), origin.y(), ThumbGridGeometry::Thumb, ThumbGridGeometry::Thumb}
        .toPixels();
}

qint64 ThumbnailSurface::thumbnailAt(const QPoint& pixels) const
{
    return ThumbGridGeometry::thumbnailAt(
        QPoint(Twips::fromPixels(pixels.x()), Twips::fromPixels(pixels.y())), m_columns, count());
}

void ThumbnailSurface::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRect area = event->rect();
    p.fillRect(area, palette().color(QPalette::Window));
    const auto [first, last] = ThumbGridGeometry::visibleRange(
        Twips::fromPixels(area.top()), Twips::fromPixels(area.height()), m_columns, count());
    const qreal ratio = devicePixelRatioF();
    const QColor border = palette().color(QPalette::Dark);
    const QColor placeholder = palette().color(QPalette::Midlight);
    for (qint64 i = first; i < last; ++i) {
        const QRect cell = thumbnailRect(i);
        if (!cell.intersects(area))
            continue;
        const QImage& thumb = m_thumbs[int(i)];
        if (m_pending[int(i)]) {
            p.fillRect(cell, placeholder);
        } else if (!thumb.isNull()) {
            // Built for this screen the picture needs no scaling; moved to a denser screen
            // it is enlarged by repeating pixels, as the build does, and only shrunk smoothly.
            p.setRenderHint(QPainter::SmoothPixmapTransform, thumb.width() > cell.width() * ratio);
            p.drawImage(cell, thumb);
        }
        p.setPen(border);
        p.drawRect(cell.adjusted(0, 0, -1, -1));
    }
    if (m_marker >= 0) {
        const QPoint origin = ThumbGridGeometry::cellOrigin(m_marker, m_columns);
        const QRect marker =
            TwipRect{origin.x(), origin.y(), ThumbGridGeometry::Marker, ThumbGridGeometry::Marker}
                .toPixels();
        p.setPen(QPen(QColor(255, 0, 0), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(marker.adjusted(1, 1, -1, -1));
    }
}

void ThumbnailSurface::mousePressEvent(QMouseEvent* event)
{
    Q_EMIT pressed(thumbnailAt(event->position().toPoint()), event->buttons(),
                   event->globalPosition().toPoint());
    event->accept();
}

void ThumbnailSurface::mouseDoubleClickEvent(QMouseEvent* event)
{
    const qint64 index = thumbnailAt(event->position().toPoint());
    if (index >= 0 && event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked(index);
    event->accept();
}

void ThumbnailSurface::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT keyPressed(event->key());
    event->accept();
}
