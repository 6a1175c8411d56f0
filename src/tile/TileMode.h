#pragma once

#include <QCoreApplication>
#include <QString>

#include "tile/Repeat.h"

// How the tiled view lays the tiles: the repeat, whether it runs across, down or both, how many
// screen pixels each picture pixel takes, and the seam aids (an offset by half the repeat's
// unit, a grid on the tile edges, a map of the worst seams). A value: the keys' arithmetic.
struct TileMode
{
    Q_DECLARE_TR_FUNCTIONS(TileMode)

public:
    enum class Axis
    {
        Both,   // repeat
        Across, // repeat-x
        Down    // repeat-y
    };

    static constexpr int MinZoom = 1;
    static constexpr int MaxZoom = 8;
    // Zoom in device pixels: the zoom times the whole device pixels a picture pixel takes.
    static constexpr int MaxDeviceZoom = MaxZoom * 4;

    bool offset = false;
    bool grid = false;
    bool seamMap = false;
    // The repeat at the size it has in the world, on this screen or on paper; the zoom rests.
    bool realSize = false;
    // One picture pixel per logical pixel at any scale, as a browser shows a page; otherwise,
    // at a fractional scale, one per whole device pixel so that no pixel is wider than another.
    bool webPage = false;
    Repeat repeat;
    Axis axis = Axis::Both;
    int zoom = MinZoom;

    bool repeatsAcross() const { return axis != Axis::Down; }
    bool repeatsDown() const { return axis != Axis::Across; }

    // The axis after its key: pressing the key of the axis in force returns to both.
    static Axis toggled(Axis current, Axis pressed);
    static int clampZoom(int zoom);

    // What the window's caption adds while a mode is on: "half drop, offset, grid, across, 2×";
    // empty for the plain view. Real size names the zoom "real size".
    QString captionSuffix() const;

    bool operator==(const TileMode& other) const
    {
        return offset == other.offset && grid == other.grid && seamMap == other.seamMap &&
               realSize == other.realSize && webPage == other.webPage && repeat == other.repeat &&
               axis == other.axis && zoom == other.zoom;
    }
    bool operator!=(const TileMode& other) const { return !(*this == other); }
};
