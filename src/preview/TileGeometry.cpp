#include "preview/TileGeometry.h"

#include <algorithm>

TileGeometry::TileGeometry(const QSize& tile, const TileMode& mode)
    : m_tile(std::max(1, tile.width()), std::max(1, tile.height())), m_mode(mode)
{
    const int zoom = std::clamp(mode.zoom, TileMode::MinZoom, TileMode::MaxDeviceZoom);
    m_mode.zoom = zoom;
    m_tileStep = m_tile * zoom;
    m_step = mode.repeat.unitSize(m_tile) * zoom;
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

int TileGeometry::floorDiv(int a, int b)
{
    return (a - wrap(a, b)) / b;
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

QPoint TileGeometry::sourceAt(const QPoint& windowPixel) const
{
    const QPoint unit(wrap(windowPixel.x() - m_origin.x(), m_step.width()) / m_mode.zoom,
                      wrap(windowPixel.y() - m_origin.y(), m_step.height()) / m_mode.zoom);
    return m_mode.repeat.cellAt(unit, m_tile).source;
}

std::optional<QPoint> TileGeometry::pictureAt(const QPoint& windowPixel, const QSize& window) const
{
    if (!tiledArea(window).contains(windowPixel))
        return std::nullopt;
    return sourceAt(windowPixel);
}

void TileGeometry::forEachTile(const QRect& area, const TileVisitor& visit) const
{
    if (area.isEmpty())
        return;
    const auto placed = m_mode.repeat.tiles(m_tile);
    const int zoom = m_mode.zoom;
    // A tile reaches at most one unit past its own; starting a unit early catches those.
    const int firstX = floorDiv(area.left() - m_origin.x(), m_step.width()) - 1;
    const int lastX = floorDiv(area.right() - m_origin.x(), m_step.width());
    const int firstY = floorDiv(area.top() - m_origin.y(), m_step.height()) - 1;
    const int lastY = floorDiv(area.bottom() - m_origin.y(), m_step.height());
    for (int uy = firstY; uy <= lastY; ++uy) {
        for (int ux = firstX; ux <= lastX; ++ux) {
            const QPoint unit(m_origin.x() + ux * m_step.width(),
                              m_origin.y() + uy * m_step.height());
            for (const Repeat::Placed& p : placed) {
                const QRect target(unit + p.corner * zoom, m_tileStep);
                if (target.intersects(area))
                    visit(target, p.flipX, p.flipY);
            }
        }
    }
}
