#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QSize>

#include "tile/TileMode.h"

class QPainter;

// Paints a picture repeated edge to edge as the tiled view shows it: zoomed by repeating
// pixels, offset, along one axis or both, with the optional grid, over the page colour.
// A small tile is turned once into a pattern of at least PatternWidth by PatternHeight pixels, the
// page colour and the grid baked in, so that a 1 x 1 picture costs a few hundred copies of
// that pattern rather than millions of draws; large zoomed tiles are drawn tile by tile,
// once into a picture of the whole window, kept until the window's size or the mode change.
// The pattern is kept until the picture, zoom, grid or colour change.
class TilePainter
{
public:
    // The pattern's least size: wide, so that a scan line of the window takes few copies.
    static constexpr int PatternWidth = 1024;
    static constexpr int PatternHeight = 256;
    // A zoomed tile wider or higher than this is drawn tile by tile instead of as a pattern.
    static constexpr int LargestPatternTile = 2048;

    // Paints `area` of a window `window` big.
    void paint(QPainter& painter, const QRect& area, const QSize& window, const QImage& picture,
               const TileMode& mode, const QColor& background);

    // A grid pixel: the pixel beneath moved part of the way to black, or to white when dark,
    // so that the line shows faintly on any picture.
    static QRgb gridPixel(QRgb under);

    // True when the last paint used the pattern (for the benchmark's report).
    bool usesPattern() const { return !m_pattern.isNull(); }
    // Frees the picture of the whole window, as when the window closes.
    void release() { m_window = QPixmap(); }

private:
    struct Key
    {
        qint64 picture = 0;
        int zoom = 0;
        bool grid = false;
        QRgb background = 0;
        bool operator==(const Key& o) const
        {
            return picture == o.picture && zoom == o.zoom && grid == o.grid &&
                   background == o.background;
        }
    };

    void prepare(const QImage& picture, const TileMode& mode, const QColor& background);
    void preparePattern(const QImage& picture, const QSize& step, bool grid,
                        const QColor& background);
    void prepareTiles(const QImage& picture, bool grid, const QColor& background);
    void paintTileByTile(QPainter& painter, const QRect& tiled, const QPoint& first,
                         const QSize& step, bool grid, const QColor& background) const;
    // The whole window drawn tile by tile, made again when the window or the mode changed.
    const QPixmap& windowPicture(const QSize& window, const QRect& tiled, const QPoint& first,
                                 const TileMode& mode, const QColor& background);

    Key m_key;
    bool m_prepared = false;
    QPixmap m_pattern; // null when the tiles are drawn one by one
    QImage m_tile;
    QImage m_edgeColumn; // the grid along a tile's left edge, one picture pixel per row
    QImage m_edgeRow;
    QPixmap m_window;
    TileMode m_windowMode;
    QSize m_windowSize;
};
