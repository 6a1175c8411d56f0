#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

#include "tile/TileMode.h"

// Where the tiles of a picture fall in a window for a tile mode, in the window's pixels.
// The tiles start at the origin and repeat every step; the offset moves the origin back by
// half a step along each axis that repeats, so that the picture's own edges meet inside the
// window. Along an axis that does not repeat, the single row or column starts at the edge.
class TileGeometry
{
public:
    TileGeometry(const QSize& tile, const TileMode& mode);

    // The size of one tile on screen: the picture's size times the zoom.
    QSize step() const { return m_step; }
    // The top-left corner of one tile; the others are whole steps away from it.
    QPoint origin() const { return m_origin; }
    // The part of a window this big that shows tiles; the rest shows the page colour.
    QRect tiledArea(const QSize& window) const;
    // The picture's pixel shown at a window pixel, or nothing where the page shows.
    std::optional<QPoint> pictureAt(const QPoint& windowPixel, const QSize& window) const;
    // The top-left corner of the tile that covers a window pixel, on either side of the origin.
    QPoint tileCornerAt(const QPoint& windowPixel) const;

    // a mod b, never negative for positive b.
    static int wrap(int a, int b);

private:
    QSize m_tile;
    TileMode m_mode;
    QSize m_step;
    QPoint m_origin;
};
