#include "preview/ContrastMeter.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

#include "preview/CurrentImage.h"
#include "preview/SampleTextBox.h"
#include "preview/TileGeometry.h"
#include "tile/Contrast.h"
#include "tile/SampleSettings.h"
#include "tile/TileSettings.h"

namespace {

// A pixel of the picture as it shows over the page colour.
QRgb overPage(QRgb pixel, QRgb page)
{
    const int a = qAlpha(pixel);
    if (a == 255)
        return pixel;
    auto mix = [a](int top, int under) { return (top * a + under * (255 - a) + 127) / 255; };
    return qRgb(mix(qRed(pixel), qRed(page)), mix(qGreen(pixel), qGreen(page)),
                mix(qBlue(pixel), qBlue(page)));
}

} // namespace

ContrastMeter::ContrastMeter(const CurrentImage& image, const SampleSettings& sample,
                             const TileSettings& tiles, std::function<QSize()> windowSize,
                             std::function<TileSurface()> surface, QObject* parent)
    : QObject(parent), m_image(image), m_sample(sample), m_tiles(tiles),
      m_windowSize(std::move(windowSize)), m_surface(std::move(surface))
{
    connect(&image, &CurrentImage::changed, this, &ContrastMeter::schedule);
    connect(&sample, &SampleSettings::sampleChanged, this, &ContrastMeter::schedule);
    connect(&sample, &SampleSettings::colourChanged, this, &ContrastMeter::schedule);
    connect(&sample, &SampleSettings::toolboxShowingChanged, this, &ContrastMeter::schedule);
    connect(&tiles, &TileSettings::modeChanged, this, &ContrastMeter::schedule);
    connect(&tiles, &TileSettings::backgroundChanged, this, &ContrastMeter::schedule);
    connect(&tiles, &TileSettings::resolutionChanged, this, &ContrastMeter::schedule);
}

void ContrastMeter::schedule()
{
    // The figure shows in the toolbox only; a colour bar dragged sends many changes at once,
    // and one measure serves them all.
    if (m_pending || !m_sample.toolboxShowing())
        return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_pending)
            measureNow();
    });
}

void ContrastMeter::measureNow()
{
    m_pending = false;
    const QSize window = m_windowSize();
    const QPoint at = SampleTextBox::shownAt();
    const QImage coverage = SampleTextBox::coverage(
        m_sample.font(), m_sample.text(), (window - QSize(at.x(), at.y())).expandedTo({0, 0}));
    const QImage& picture = m_image.image();
    const TilePainter::Layout layout = TilePainter::layoutFor(m_tiles.mode(), m_surface());
    const TileGeometry geometry(picture.size(), layout.mode);
    m_ratio = worstRatio(coverage, at, m_sample.colour(), picture, geometry, window,
                         m_tiles.background(), layout.scale);
    Q_EMIT measured(m_ratio.value_or(-1.0));
}

std::optional<double> ContrastMeter::worstRatio(const QImage& coverage, const QPoint& at,
                                                const QColor& text, const QImage& picture,
                                                const TileGeometry& geometry, const QSize& window,
                                                const QColor& background, double scale)
{
    // pixel() hands premultiplied formats over as they are stored; the mix below wants them
    // straight (drawn SVG pictures come premultiplied).
    const QImage straight = picture.pixelFormat().premultiplied() == QPixelFormat::Premultiplied
                                ? picture.convertToFormat(QImage::Format_ARGB32)
                                : picture;
    const QRgb page = background.rgb();
    const double textLuminance = Contrast::luminance(text);
    const QImage mask = coverage.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRect visible(QPoint(0, 0), window);
    const QSize space(int(std::ceil(window.width() * scale)),
                      int(std::ceil(window.height() * scale)));
    std::optional<double> worst;
    for (int y = 0; y < mask.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        for (int x = 0; x < mask.width(); ++x) {
            if (qAlpha(line[x]) < 128)
                continue;
            const QPoint there = at + QPoint(x, y);
            if (!visible.contains(there))
                continue;
            QRgb under = page;
            if (!straight.isNull()) {
                // The tile under the window pixel's centre.
                const QPoint inSpace(int(std::floor((there.x() + 0.5) * scale)),
                                     int(std::floor((there.y() + 0.5) * scale)));
                if (const auto source = geometry.pictureAt(inSpace, space))
                    under = overPage(straight.pixel(*source), page);
            }
            const double r = Contrast::luminanceRatio(textLuminance, Contrast::luminance(under));
            worst = worst ? std::min(*worst, r) : r;
        }
    }
    return worst;
}
