#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>
#include <optional>

#include "tile/TileMode.h"

// Where the tiles of a picture fall in a window for a tile mode, in the window's pixels.
// The repeat's unit starts at the origin and repeats every step; the offset moves the origin
// back by half a step along each axis that repeats, so that the picture's own edges meet
// inside the window. Along an axis that does not repeat, a single row or column of units
// starts at the edge.
class TileGeometry
{
public:
    TileGeometry(const QSize& tile, const TileMode& mode);

    // The repeat's unit on screen: the unit's size in picture pixels times the zoom.
    QSize step() const { return m_step; }
    // One tile on screen: the picture's size times the zoom.
    QSize tileStep() const { return m_tileStep; }
    // The top-left corner of one unit; the others are whole steps away from it.
    QPoint origin() const { return m_origin; }
    int zoom() const { return m_mode.zoom; }
    // The part of a window this big that shows tiles; the rest shows the page colour.
    QRect tiledArea(const QSize& window) const;
    // The picture's pixel shown at a window pixel, or nothing where the page shows.
    std::optional<QPoint> pictureAt(const QPoint& windowPixel, const QSize& window) const;
    // The picture's pixel a window pixel would show were the repeat unbounded.
    QPoint sourceAt(const QPoint& windowPixel) const;

    // Every tile that reaches into `area`, in no particular order: its rectangle on screen and
    // whether it is flipped across or down. Tiles may reach past the area.
    using TileVisitor = std::function<void(const QRect& target, bool flipX, bool flipY)>;
    void forEachTile(const QRect& area, const TileVisitor& visit) const;

    // a mod b, never negative for positive b.
    static int wrap(int a, int b);
    // a / b rounded down, for positive b.
    static int floorDiv(int a, int b);

private:
    QSize m_tile;
    TileMode m_mode;
    QSize m_step;
    QSize m_tileStep;
    QPoint m_origin;
};
