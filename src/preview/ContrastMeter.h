#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QSize>

#include <functional>
#include <optional>

#include "preview/TilePainter.h"

class CurrentImage;
class SampleSettings;
class TileGeometry;
class TileSettings;

// Measures how well the sample text reads on the tiles: the contrast ratio between the text
// colour and what lies under it, the worst over every pixel the text covers. Measured again,
// once per turn of the event loop, after any change of the text, font, size, colour, page
// colour, tile mode or picture, while the toolbox that shows the figure is showing.
class ContrastMeter : public QObject
{
    Q_OBJECT
public:
    // windowSize: the tiled view's inner size now, in pixels; surface: how its pixels meet
    // the screen (device pixels, real size), so that the tiles are measured where they show.
    ContrastMeter(const CurrentImage& image, const SampleSettings& sample,
                  const TileSettings& tiles, std::function<QSize()> windowSize,
                  std::function<TileSurface()> surface, QObject* parent = nullptr);

    // The last measure; nothing when the text covers no pixel.
    std::optional<double> ratio() const { return m_ratio; }
    // Measures now instead of at the next turn.
    void measureNow();

    // The worst ratio over the pixels that `coverage` (placed at `at` in the window) covers by
    // at least half, each against the picture's pixel there over the page colour, or the page.
    // `geometry` lays the tiles out in a space of which a window pixel spans `scale` pixels.
    static std::optional<double> worstRatio(const QImage& coverage, const QPoint& at,
                                            const QColor& text, const QImage& picture,
                                            const TileGeometry& geometry, const QSize& window,
                                            const QColor& background, double scale = 1.0);

Q_SIGNALS:
    // ratio is negative when there is nothing to measure.
    void measured(double ratio);

private:
    void schedule();

    const CurrentImage& m_image;
    const SampleSettings& m_sample;
    const TileSettings& m_tiles;
    std::function<QSize()> m_windowSize;
    std::function<TileSurface()> m_surface;
    std::optional<double> m_ratio;
    bool m_pending = false;
};
