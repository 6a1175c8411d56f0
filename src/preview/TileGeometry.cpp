#include "preview/TileGeometry.h"

#include <algorithm>

TileGeometry::TileGeometry(const QSize& tile, const TileMode& mode)
    : m_tile(std::max(1, tile.width()), std::max(1, tile.height())), m_mode(mode)
{
    const int zoom = TileMode::clampZoom(mode.zoom);
    m_mode.zoom = zoom;
    m_step = QSize(m_tile.width() * zoom, m_tile.height() * zoom);
    if (mode.offset) {
        m_origin = QPoint(mode.repeatsAcross() ? -(m_step.width() / 2) : 0,
                          mode.repeatsDown() ? -(m_step.height() / 2) : 0);
    }
}

int TileGeometry::wrap(int a, int b)
{
    const int r = a % b;
    return r < 0 ? r + b : r;
}

QRect TileGeometry::tiledArea(const QSize& window) const
{
    const QRect all(QPoint(0, 0), window);
    switch (m_mode.axis) {
    case TileMode::Axis::Across:
        return all.intersected(QRect(0, m_origin.y(), window.width(), m_step.height()));
    case TileMode::Axis::Down:
        return all.intersected(QRect(m_origin.x(), 0, m_step.width(), window.height()));
    case TileMode::Axis::Both:
        break;
    }
    return all;
}

std::optional<QPoint> TileGeometry::pictureAt(const QPoint& windowPixel, const QSize& window) const
{
    if (!tiledArea(window).contains(windowPixel))
        return std::nullopt;
    const int x = wrap(windowPixel.x() - m_origin.x(), m_step.width()) / m_mode.zoom;
    const int y = wrap(windowPixel.y() - m_origin.y(), m_step.height()) / m_mode.zoom;
    return QPoint(x, y);
}

QPoint TileGeometry::tileCornerAt(const QPoint& windowPixel) const
{
    return {windowPixel.x() - wrap(windowPixel.x() - m_origin.x(), m_step.width()),
            windowPixel.y() - wrap(windowPixel.y() - m_origin.y(), m_step.height())};
}
