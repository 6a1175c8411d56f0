#include "preview/TilePainter.h"

#include <QPainter>
#include <QPen>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "preview/TileGeometry.h"

namespace {

// Pictures up to this many pixels are converted once to a format drawn without conversion;
// a larger one is drawn as it is rather than held twice.
constexpr qint64 ConvertLimit = 16 * 1024 * 1024;

// The picture over the page colour, at `size`, enlarged by repeating pixels.
QImage overPage(const QImage& picture, const QSize& size, const QColor& background)
{
    QImage out(size, QImage::Format_RGB32);
    out.fill(background);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(QRect(QPoint(0, 0), size), picture);
    return out;
}

// Draws one tile, flipped as the repeat asks.
void drawTile(QPainter& p, const QRect& target, const QImage& tile, bool flipX, bool flipY)
{
    if (!flipX && !flipY) {
        p.drawImage(target, tile);
        return;
    }
    p.save();
    p.translate(flipX ? target.right() + 1 : target.left(),
                flipY ? target.bottom() + 1 : target.top());
    p.scale(flipX ? -1 : 1, flipY ? -1 : 1);
    p.drawImage(QRect(QPoint(0, 0), target.size()), tile);
    p.restore();
}

// The window's size in pixels of a space `scale` times smaller, whole pixels covering it.
QSize spaceOf(const QSize& window, double scale)
{
    return {int(std::ceil(window.width() / scale)), int(std::ceil(window.height() / scale))};
}

QRect spaceOf(const QRect& area, double scale)
{
    return QRectF(area.x() / scale, area.y() / scale, area.width() / scale, area.height() / scale)
        .toAlignedRect();
}

// The pattern and the window's picture ignore where the offset and the axis put the tiles.
TileMode unmoved(TileMode mode)
{
    mode.offset = false;
    mode.axis = TileMode::Axis::Both;
    return mode;
}

} // namespace

QRgb TilePainter::gridPixel(QRgb under)
{
    const int r = qRed(under), g = qGreen(under), b = qBlue(under);
    const bool light = (r * 54 + g * 183 + b * 19) >> 8 >= 128;
    const int target = light ? 0 : 255;
    // Two fifths of the way: visible on a flat colour, faint beside the picture's own lines.
    auto move = [target](int c) { return c + (target - c) * 2 / 5; };
    return qRgb(move(r), move(g), move(b));
}

QRgb TilePainter::seamPixel(QRgb under, double excess)
{
    // A magenta few pictures use, from faint at a small excess to strong at twice the limit.
    const double a = 0.3 + 0.55 * std::clamp(excess, 0.0, 1.0);
    auto mix = [a](int c, int tint) { return int(c + (tint - c) * a + 0.5); };
    return qRgb(mix(qRed(under), 255), mix(qGreen(under), 0), mix(qBlue(under), 200));
}

void TilePainter::drawTiles(QImage& image, const QPoint& at, const QRect& clip, const QImage& tile,
                            const QImage& picture, const TileGeometry& geometry,
                            const TileMode& mode, const SeamScore::Steps& limits, bool periodic)
{
    const QRect area = clip.translated(at);
    {
        QPainter p(&image);
        p.setClipRect(clip);
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        geometry.forEachTile(area, [&](const QRect& target, bool flipX, bool flipY) {
            drawTile(p, target.translated(-at), tile, flipX, flipY);
        });
    }
    if (!mode.grid && !mode.seamMap)
        return;

    const int zoom = geometry.zoom();
    const bool direct = picture.format() == QImage::Format_RGB32 ||
                        picture.format() == QImage::Format_ARGB32_Premultiplied;
    auto shown = [&](const QPoint& windowPixel) {
        const QPoint s = geometry.sourceAt(windowPixel);
        return direct ? reinterpret_cast<const QRgb*>(picture.constScanLine(s.y()))[s.x()]
                      : qPremultiply(picture.pixel(s));
    };
    // How far the step between two meeting pixels exceeds the picture's own strongest.
    auto excess = [&](const QPoint& a, const QPoint& b, int limit) {
        const int step = SeamScore::stepBetween(shown(a), shown(b));
        return step <= limit ? 0.0 : double(step - limit) / std::max(limit, 32);
    };
    // A pixel of the image; the far side of a seam at the image's edge wraps when it repeats.
    auto pixel = [&](int x, int y) -> QRgb* {
        if (!clip.contains(x, y))
            return nullptr;
        return reinterpret_cast<QRgb*>(image.scanLine(y)) + x;
    };
    auto farPixel = [&](int x, int y) {
        if (periodic) {
            x = TileGeometry::wrap(x, image.width());
            y = TileGeometry::wrap(y, image.height());
        }
        return pixel(x, y);
    };
    auto tint = [](QRgb* p, double e) {
        if (p)
            *p = seamPixel(*p, e);
    };

    // A tile just past the clip still tints its seam's near side inside it; in a repeating
    // image that side is reached by wrapping instead.
    const QRect reach = periodic ? area : area.adjusted(0, 0, zoom, zoom);
    geometry.forEachTile(reach, [&](const QRect& target, bool, bool) {
        const QRect local = target.translated(-at);
        if (mode.seamMap) {
            // The picture's pixels on both sides of the tile's left and top edges.
            // Only the picture pixels the clip shows: a tile may be far longer than the window.
            const int firstY = local.top() + std::max(0, (clip.top() - local.top()) / zoom) * zoom;
            const int lastY = std::min(local.bottom(), clip.bottom());
            for (int y = firstY; y <= lastY; y += zoom) {
                const QPoint w = at + QPoint(local.left(), y);
                const double e = excess(w, w - QPoint(1, 0), limits.across);
                if (e <= 0)
                    continue;
                for (int dy = 0; dy < zoom; ++dy) {
                    for (int dx = 0; dx < zoom; ++dx) {
                        tint(pixel(local.left() + dx, y + dy), e);
                        tint(farPixel(local.left() - 1 - dx, y + dy), e);
                    }
                }
            }
            const int firstX =
                local.left() + std::max(0, (clip.left() - local.left()) / zoom) * zoom;
            const int lastX = std::min(local.right(), clip.right());
            for (int x = firstX; x <= lastX; x += zoom) {
                const QPoint w = at + QPoint(x, local.top());
                const double e = excess(w, w - QPoint(0, 1), limits.down);
                if (e <= 0)
                    continue;
                for (int dy = 0; dy < zoom; ++dy) {
                    for (int dx = 0; dx < zoom; ++dx) {
                        tint(pixel(x + dx, local.top() + dy), e);
                        tint(farPixel(x + dx, local.top() - 1 - dy), e);
                    }
                }
            }
        }
        if (mode.grid) {
            const QRect column = QRect(local.left(), local.top(), 1, local.height()) & clip;
            for (int y = column.top(); y <= column.bottom(); ++y) {
                if (QRgb* p = pixel(local.left(), y))
                    *p = gridPixel(*p);
            }
            // The corner has its line already.
            const QRect row = QRect(local.left() + 1, local.top(), local.width() - 1, 1) & clip;
            for (int x = row.left(); x <= row.right(); ++x) {
                if (QRgb* p = pixel(x, local.top()))
                    *p = gridPixel(*p);
            }
        }
    });
}

QImage TilePainter::seamTinted(const QImage& tile, const QImage& picture,
                               const TileGeometry& geometry, const SeamScore::Steps& limits)
{
    // Every tile of a drop or a brick meets its neighbours the same way, and a mirror meets
    // itself: the tints of one unflipped tile serve them all.
    std::optional<QRect> found;
    geometry.forEachTile(QRect(geometry.origin(), geometry.tileStep() * 2),
                         [&](const QRect& target, bool flipX, bool flipY) {
                             if (!found && !flipX && !flipY)
                                 found = target;
                         });
    if (!found || tile.size() != found->size() ||
        (tile.format() != QImage::Format_RGB32 &&
         tile.format() != QImage::Format_ARGB32_Premultiplied))
        return tile;
    const QRect r = *found;
    auto shown = [&](int x, int y) {
        return qPremultiply(picture.pixel(geometry.sourceAt({x, y})));
    };
    auto excess = [&](int x, int y, int fromX, int fromY, int limit) {
        const int step = SeamScore::stepBetween(shown(x, y), shown(fromX, fromY));
        return step <= limit ? 0.0 : double(step - limit) / std::max(limit, 32);
    };
    QImage tinted = tile.copy();
    auto tint = [&](int x, int y, double e) {
        if (e > 0) {
            QRgb* p = reinterpret_cast<QRgb*>(tinted.scanLine(y)) + x;
            *p = seamPixel(*p, e);
        }
    };
    for (int y = 0; y < r.height(); ++y) {
        const int at = r.top() + y;
        tint(0, y, excess(r.left(), at, r.left() - 1, at, limits.across));
        tint(r.width() - 1, y, excess(r.right() + 1, at, r.right(), at, limits.across));
    }
    for (int x = 0; x < r.width(); ++x) {
        const int at = r.left() + x;
        tint(x, 0, excess(at, r.top(), at, r.top() - 1, limits.down));
        tint(x, r.height() - 1, excess(at, r.bottom() + 1, at, r.bottom(), limits.down));
    }
    return tinted;
}

void TilePainter::prepare(const QImage& picture, const TileMode& mode, const QColor& background)
{
    const Key key{picture.cacheKey(), unmoved(mode), background.rgba()};
    if (m_prepared && key == m_key)
        return;
    m_key = key;
    m_prepared = true;
    m_pattern = QPixmap();
    m_reduced = QPixmap();
    m_tile = QImage();
    m_window = QPixmap();
    m_limits = mode.seamMap ? SeamScore::strongestSteps(picture) : SeamScore::Steps();
    const QSize unit = TileGeometry(picture.size(), mode).step();
    if (unit.width() <= LargestPatternTile && unit.height() <= LargestPatternTile) {
        preparePattern(picture, mode, background);
        return;
    }
    const QImage::Format drawn =
        picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (picture.format() == drawn || qint64(picture.width()) * picture.height() > ConvertLimit)
        m_tile = picture;
    else
        m_tile = picture.convertToFormat(drawn);
}

void TilePainter::preparePattern(const QImage& picture, const TileMode& mode,
                                 const QColor& background)
{
    const TileGeometry geometry(picture.size(), unmoved(mode));
    const QSize step = geometry.step();
    // One unit, drawn as it repeats: its tiles' parts that reach past it come round again.
    QImage unit(step, QImage::Format_RGB32);
    unit.fill(background);
    drawTiles(unit, QPoint(0, 0), unit.rect(), overPage(picture, geometry.tileStep(), background),
              picture, geometry, mode, m_limits, true);
    // Whole units in the pattern, so that repeating the pattern repeats the units.
    const int across = (PatternWidth + step.width() - 1) / step.width();
    const int down = (PatternHeight + step.height() - 1) / step.height();
    QImage pattern(step.width() * across, step.height() * down, QImage::Format_RGB32);
    const size_t rowBytes = size_t(step.width()) * sizeof(QRgb);
    for (int y = 0; y < pattern.height(); ++y) {
        const uchar* from = unit.constScanLine(y % step.height());
        uchar* to = pattern.scanLine(y);
        for (int k = 0; k < across; ++k)
            std::memcpy(to + k * rowBytes, from, rowBytes);
    }
    m_pattern = QPixmap::fromImage(std::move(pattern));
}

int TilePainter::devicePixelsPerPixel(double ratio, bool webPage)
{
    const double whole = std::floor(ratio + 1e-6);
    if (webPage || ratio - whole < 1e-6)
        return 0;
    return std::max(1, int(whole));
}

TilePainter::Layout TilePainter::layoutFor(const TileMode& mode, const TileSurface& surface)
{
    Layout layout{mode, 1.0};
    if (surface.realScale && *surface.realScale > 0) {
        layout.mode.zoom = TileMode::MinZoom;
        layout.scale = 1 / *surface.realScale;
    } else if (const int whole = devicePixelsPerPixel(surface.ratio, mode.webPage)) {
        layout.mode.zoom = mode.zoom * whole;
        layout.scale = surface.ratio;
    }
    return layout;
}

bool TilePainter::paint(QPainter& painter, const QRect& area, const QSize& window,
                        const QImage& picture, const TileMode& mode, const QColor& background,
                        const TileSurface& surface)
{
    if (surface.realScale && *surface.realScale > 0 && !picture.isNull())
        return paintScaled(painter, area, window, picture, mode, background, *surface.realScale,
                           surface.paper);
    // The same layout the contrast is measured on.
    const Layout layout = layoutFor(mode, surface);
    if (layout.scale == 1.0) {
        paintAtZoom(painter, area, window, picture, mode, background);
        return true;
    }
    // Painted in device pixels, each picture pixel a whole number of them: at 1.5 a window
    // pixel is a pixel and a half, and a picture drawn in window pixels would alternate widths.
    painter.save();
    painter.scale(1 / layout.scale, 1 / layout.scale);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    paintAtZoom(painter, spaceOf(area, 1 / layout.scale), spaceOf(window, 1 / layout.scale),
                picture, layout.mode, background);
    painter.restore();
    return true;
}

bool TilePainter::paintScaled(QPainter& painter, const QRect& area, const QSize& window,
                              const QImage& picture, const TileMode& mode, const QColor& background,
                              double scale, bool paper)
{
    TileMode flat = mode;
    flat.zoom = TileMode::MinZoom;
    const TileGeometry geometry(picture.size(), flat);
    const QSize space = spaceOf(window, scale);
    // Smooth: a fractional scale by repeated pixels would make some pixels wider than others,
    // a pattern of its own; filtered, the picture reads as it will on paper or cloth.
    if (geometry.step().width() <= LargestPatternTile &&
        geometry.step().height() <= LargestPatternTile) {
        // On paper the printer has the resolution to shrink the pattern itself.
        if (scale < 0.5 && !paper) {
            prepare(picture, flat, background);
            if (!m_pattern.isNull()) {
                paintReduced(painter, area, geometry, space, background, scale);
                return true;
            }
        }
        // The pattern drawn through the scale: every unit where it belongs, to a fraction.
        painter.save();
        painter.scale(scale, scale);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        paintAtZoom(painter, spaceOf(area, scale), space, picture, flat, background);
        painter.restore();
        return true;
    }
    const QRect tiled = geometry.tiledArea(space);
    const qint64 across = tiled.width() / geometry.tileStep().width() + 2;
    const qint64 down = tiled.height() / geometry.tileStep().height() + 2;
    if (across * down > MostScaledTiles) {
        painter.fillRect(area, background);
        return false;
    }
    prepare(picture, flat, background);
    // Large tiles one by one through the scale: on paper straight onto it, at the picture's own
    // resolution; on screen once into a picture of the window, which a repaint copies.
    auto drawEach = [&](QPainter& p) {
        p.scale(scale, scale);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.setClipRect(tiled, Qt::IntersectClip);
        QImage tile = flat.seamMap ? seamTinted(m_tile, picture, geometry, m_limits) : m_tile;
        if (scale < 0.5 && !paper) {
            // Shrunk once by averaging; each draw then only stretches it by the rounding.
            tile = tile.scaled(std::max(1, qRound(tile.width() * scale)),
                               std::max(1, qRound(tile.height() * scale)), Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation);
        }
        geometry.forEachTile(tiled, [&](const QRect& target, bool flipX, bool flipY) {
            drawTile(p, target, tile, flipX, flipY);
        });
        if (flat.grid) {
            // Lines of one device pixel on the tiles' own edges.
            p.setPen(QPen(QColor(128, 128, 128, 160), 0));
            geometry.forEachTile(tiled, [&](const QRect& target, bool, bool) {
                p.drawLine(target.topLeft(), target.topRight() + QPoint(1, 0));
                p.drawLine(target.topLeft(), target.bottomLeft() + QPoint(0, 1));
            });
        }
    };
    if (paper) {
        painter.save();
        painter.fillRect(area, background);
        painter.setClipRect(area, Qt::IntersectClip);
        drawEach(painter);
        painter.restore();
        return true;
    }
    if (m_window.isNull() || m_windowSize != window || m_windowMode != flat ||
        m_windowScale != scale) {
        QImage frame(window, QImage::Format_RGB32);
        frame.fill(background);
        {
            QPainter p(&frame);
            drawEach(p);
        }
        m_window = QPixmap::fromImage(std::move(frame));
        m_windowSize = window;
        m_windowMode = flat;
        m_windowScale = scale;
    }
    painter.drawPixmap(area.topLeft(), m_window, area);
    return true;
}

void TilePainter::paintReduced(QPainter& painter, const QRect& area, const TileGeometry& geometry,
                               const QSize& space, const QColor& background, double scale)
{
    const QSize full = m_pattern.size();
    const QSize reduced(std::max(1, qRound(full.width() * scale)),
                        std::max(1, qRound(full.height() * scale)));
    if (m_reduced.isNull() || m_reducedScale != scale) {
        m_reduced = QPixmap::fromImage(
            m_pattern.toImage().scaled(reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        m_reducedScale = scale;
    }
    // The shrunk pattern stretched by what the rounding of its size took, anchored where the
    // units start: every unit lands where the scale puts it, to a fraction.
    QBrush brush(m_reduced);
    brush.setTransform(
        QTransform::fromTranslate(geometry.origin().x() * scale, geometry.origin().y() * scale)
            .scale(full.width() * scale / reduced.width(),
                   full.height() * scale / reduced.height()));
    const QRect tiledSpace = geometry.tiledArea(space);
    const QRectF tiled(tiledSpace.x() * scale, tiledSpace.y() * scale, tiledSpace.width() * scale,
                       tiledSpace.height() * scale);
    painter.save();
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.fillRect(area, background);
    painter.fillRect(tiled, brush);
    painter.restore();
}

void TilePainter::paintAtZoom(QPainter& painter, const QRect& area, const QSize& window,
                              const QImage& picture, const TileMode& mode, const QColor& background)
{
    if (picture.isNull()) {
        painter.fillRect(area, background);
        return;
    }
    const TileGeometry geometry(picture.size(), mode);
    const QRect tiled = geometry.tiledArea(window).intersected(area);
    // The page only where no tile lies: an opaque pattern covers the rest by itself.
    for (const QRect& page : QRegion(area).subtracted(QRegion(tiled)))
        painter.fillRect(page, background);
    if (tiled.isEmpty())
        return;
    prepare(picture, mode, background);
    if (!m_pattern.isNull()) {
        const QPoint from(
            TileGeometry::wrap(tiled.x() - geometry.origin().x(), m_pattern.width()),
            TileGeometry::wrap(tiled.y() - geometry.origin().y(), m_pattern.height()));
        painter.drawTiledPixmap(tiled, m_pattern, from);
        return;
    }
    const QPixmap& frame = windowPicture(window, picture, mode, background);
    painter.drawPixmap(tiled.topLeft(), frame, tiled);
}

const QPixmap& TilePainter::windowPicture(const QSize& window, const QImage& picture,
                                          const TileMode& mode, const QColor& background)
{
    if (!m_window.isNull() && m_windowSize == window && m_windowMode == mode && m_windowScale == 0)
        return m_window;
    // Scaling a large picture costs several fills of the window; made once, a repaint is a copy.
    QImage frame(window, QImage::Format_RGB32);
    frame.fill(background);
    const TileGeometry geometry(picture.size(), mode);
    drawTiles(frame, QPoint(0, 0), geometry.tiledArea(window), m_tile, picture, geometry, mode,
              m_limits, false);
    m_window = QPixmap::fromImage(std::move(frame));
    m_windowSize = window;
    m_windowMode = mode;
    m_windowScale = 0;
    return m_window;
}
