#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QSize>

#include <optional>

#include "preview/SeamScore.h"
#include "tile/TileMode.h"

class QPainter;
class TileGeometry;

// How the window's pixels meet the surface the tiled view is painted on.
struct TileSurface
{
    double ratio = 1.0; // device pixels per window pixel
    // At real size: window pixels per picture pixel, any fraction.
    std::optional<double> realScale;
    // A printer: the picture goes onto it at its own resolution, never through a picture of
    // the window's pixels.
    bool paper = false;
};

// Paints a picture repeated as the tiled view shows it: in the chosen repeat, zoomed by
// repeating pixels, offset, along one axis or both, with the optional grid and seam map, over
// the page colour. A small repeat unit is turned once into a pattern of at least PatternWidth
// by PatternHeight pixels, the page colour, the grid and the seam map baked in, so that a 1 x 1
// picture costs a few hundred copies of that pattern rather than millions of draws; a large
// zoomed unit is drawn tile by tile, once into a picture of the whole window, kept until the
// window's size or the mode change. The pattern is kept until the picture or the mode change.
class TilePainter
{
public:
    // The pattern's least size: wide, so that a scan line of the window takes few copies.
    static constexpr int PatternWidth = 1024;
    static constexpr int PatternHeight = 256;
    // A zoomed unit wider or higher than this is drawn tile by tile instead of as a pattern.
    static constexpr int LargestPatternTile = 2048;

    // A zoomed unit at real size is drawn tile by tile up to this many tiles in a window;
    // smaller tiles than that would take too long to draw one by one.
    static constexpr int MostScaledTiles = 20000;

    // The whole device pixels a picture pixel takes at zoom 1 where the window's pixels are
    // not whole device pixels (1 at 1.25 and 1.5, 2 at 2.5); 0 where the picture is drawn in
    // window pixels: at whole ratios, and as a web page.
    static int devicePixelsPerPixel(double ratio, bool webPage);

    // The space a window's tiles are laid out in: the mode there (the zoom in device pixels,
    // or 1 at real size) and how many of its pixels one window pixel spans.
    struct Layout
    {
        TileMode mode;
        double scale = 1.0;
    };
    static Layout layoutFor(const TileMode& mode, const TileSurface& surface);

    // Paints `area` of a window `window` big. False when real size was asked for a picture
    // whose tiles at that size are too many to draw: the page colour shows.
    bool paint(QPainter& painter, const QRect& area, const QSize& window, const QImage& picture,
               const TileMode& mode, const QColor& background, const TileSurface& surface = {});

    // A grid pixel: the pixel beneath moved part of the way to black, or to white when dark,
    // so that the line shows faintly on any picture.
    static QRgb gridPixel(QRgb under);
    // A seam pixel whose step exceeds the picture's own strongest by `excess` (a share of the
    // strongest, above 0): tinted, the more the larger the excess.
    static QRgb seamPixel(QRgb under, double excess);

    // Draws the tiles of `geometry` that reach into `image`, whose top-left pixel stands at
    // `at` in the window, over what the image holds; then the grid and the seam map when the
    // mode asks. `periodic`: the image repeats, so a seam at its edge tints the far side too.
    // `limits`: the picture's strongest steps, for the seam map.
    static void drawTiles(QImage& image, const QPoint& at, const QRect& clip, const QImage& tile,
                          const QImage& picture, const TileGeometry& geometry, const TileMode& mode,
                          const SeamScore::Steps& limits, bool periodic);

    // The tile with its seams' tints, for tiles drawn one by one through a scale; the tile as
    // it is when no unflipped tile of `geometry` (at zoom 1) matches it.
    static QImage seamTinted(const QImage& tile, const QImage& picture,
                             const TileGeometry& geometry, const SeamScore::Steps& limits);

    // True when the last paint used the pattern (for the benchmark's report).
    bool usesPattern() const { return !m_pattern.isNull(); }
    // Frees the picture of the whole window, as when the window closes.
    void release() { m_window = QPixmap(); }

private:
    struct Key
    {
        qint64 picture = 0;
        TileMode mode; // the offset and the axis set aside: they move the pattern, not change it
        QRgb background = 0;
        bool operator==(const Key& o) const
        {
            return picture == o.picture && mode == o.mode && background == o.background;
        }
    };

    void paintAtZoom(QPainter& painter, const QRect& area, const QSize& window,
                     const QImage& picture, const TileMode& mode, const QColor& background);
    // Real size: scaled smoothly, as the picture will be printed or woven. Below half size the
    // pattern is shrunk once by averaging, since a filtered draw would skip pixels and make a
    // pattern of its own.
    bool paintScaled(QPainter& painter, const QRect& area, const QSize& window,
                     const QImage& picture, const TileMode& mode, const QColor& background,
                     double scale, bool paper);
    void paintReduced(QPainter& painter, const QRect& area, const TileGeometry& geometry,
                      const QSize& space, const QColor& background, double scale);
    void prepare(const QImage& picture, const TileMode& mode, const QColor& background);
    void preparePattern(const QImage& picture, const TileMode& mode, const QColor& background);
    // The whole window drawn tile by tile, made again when the window or the mode changed.
    const QPixmap& windowPicture(const QSize& window, const QImage& picture, const TileMode& mode,
                                 const QColor& background);

    Key m_key;
    bool m_prepared = false;
    QPixmap m_pattern; // null when the tiles are drawn one by one
    QImage m_tile;     // the picture in a format drawn without conversion
    SeamScore::Steps m_limits;
    QPixmap m_window;
    TileMode m_windowMode;
    QSize m_windowSize;
    double m_windowScale = 0; // the scale of a window drawn at real size; 0 otherwise
    QPixmap m_reduced;        // the pattern shrunk for a real size below half, and its scale
    double m_reducedScale = 0;
};
