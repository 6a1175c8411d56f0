#include "preview/TilePainter.h"

#include <QPainter>
#include <QRegion>

#include <cstring>

#include "preview/TileGeometry.h"

namespace {

// Pictures up to this many pixels are converted once to a format drawn without conversion;
// a larger one is drawn as it is rather than held twice.
constexpr qint64 ConvertLimit = 16 * 1024 * 1024;

// The picture over the page colour, at `size`, enlarged by repeating pixels.
QImage overPage(const QImage& picture, const QRect& source, const QSize& size,
                const QColor& background)
{
    QImage out(size, QImage::Format_RGB32);
    out.fill(background);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(QRect(QPoint(0, 0), size), picture, source);
    return out;
}

// The grid along the first column, or along the first row from `first` on.
void applyGrid(QImage& image, bool column, int first = 0)
{
    if (column) {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            line[0] = TilePainter::gridPixel(line[0]);
        }
    } else {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(0));
        for (int x = first; x < image.width(); ++x)
            line[x] = TilePainter::gridPixel(line[x]);
    }
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

void TilePainter::prepare(const QImage& picture, const TileMode& mode, const QColor& background)
{
    const Key key{picture.cacheKey(), mode.zoom, mode.grid, background.rgba()};
    if (m_prepared && key == m_key)
        return;
    m_key = key;
    m_prepared = true;
    m_pattern = QPixmap();
    m_tile = QImage();
    m_edgeColumn = QImage();
    m_edgeRow = QImage();
    m_window = QPixmap();
    const QSize step = picture.size() * mode.zoom;
    if (step.width() <= LargestPatternTile && step.height() <= LargestPatternTile)
        preparePattern(picture, step, mode.grid, background);
    else
        prepareTiles(picture, mode.grid, background);
}

void TilePainter::preparePattern(const QImage& picture, const QSize& step, bool grid,
                                 const QColor& background)
{
    QImage tile = overPage(picture, picture.rect(), step, background);
    if (grid) {
        applyGrid(tile, true);
        applyGrid(tile, false, 1); // the corner has its line already
    }
    // Whole tiles in the pattern, so that repeating the pattern repeats the tiles.
    const int across = (PatternWidth + step.width() - 1) / step.width();
    const int down = (PatternHeight + step.height() - 1) / step.height();
    QImage pattern(step.width() * across, step.height() * down, QImage::Format_RGB32);
    const size_t rowBytes = size_t(step.width()) * sizeof(QRgb);
    for (int y = 0; y < pattern.height(); ++y) {
        const uchar* from = tile.constScanLine(y % step.height());
        uchar* to = pattern.scanLine(y);
        for (int k = 0; k < across; ++k)
            std::memcpy(to + k * rowBytes, from, rowBytes);
    }
    m_pattern = QPixmap::fromImage(std::move(pattern));
}

void TilePainter::prepareTiles(const QImage& picture, bool grid, const QColor& background)
{
    const QImage::Format drawn =
        picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (picture.format() == drawn || qint64(picture.width()) * picture.height() > ConvertLimit)
        m_tile = picture;
    else
        m_tile = picture.convertToFormat(drawn);
    if (grid) {
        m_edgeColumn = overPage(picture, QRect(0, 0, 1, picture.height()),
                                QSize(1, picture.height()), background);
        applyGrid(m_edgeColumn, true);
        m_edgeRow = overPage(picture, QRect(0, 0, picture.width(), 1), QSize(picture.width(), 1),
                             background);
        applyGrid(m_edgeRow, false);
    }
}

void TilePainter::paint(QPainter& painter, const QRect& area, const QSize& window,
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
    const QRect whole = geometry.tiledArea(window);
    const QPixmap& frame =
        windowPicture(window, whole, geometry.tileCornerAt(whole.topLeft()), mode, background);
    painter.drawPixmap(tiled.topLeft(), frame, tiled);
}

const QPixmap& TilePainter::windowPicture(const QSize& window, const QRect& tiled,
                                          const QPoint& first, const TileMode& mode,
                                          const QColor& background)
{
    if (!m_window.isNull() && m_windowSize == window && m_windowMode == mode)
        return m_window;
    // Scaling a large picture costs several fills of the window; made once, a repaint is a copy.
    QImage frame(window, QImage::Format_RGB32);
    frame.fill(background);
    {
        QPainter p(&frame);
        paintTileByTile(p, tiled, first, TileGeometry(m_tile.size(), mode).step(), mode.grid,
                        background);
    }
    m_window = QPixmap::fromImage(std::move(frame));
    m_windowSize = window;
    m_windowMode = mode;
    return m_window;
}

void TilePainter::paintTileByTile(QPainter& painter, const QRect& tiled, const QPoint& first,
                                  const QSize& step, bool grid, const QColor& background) const
{
    painter.save();
    painter.setClipRect(tiled, Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const bool seeThrough = m_tile.hasAlphaChannel();
    for (int y = first.y(); y <= tiled.bottom(); y += step.height()) {
        for (int x = first.x(); x <= tiled.right(); x += step.width()) {
            const QRect target(QPoint(x, y), step);
            if (seeThrough)
                painter.fillRect(target.intersected(tiled), background);
            painter.drawImage(target, m_tile);
            if (grid) {
                painter.drawImage(QRect(x, y, 1, step.height()), m_edgeColumn);
                painter.drawImage(QRect(x, y, step.width(), 1), m_edgeRow);
            }
        }
    }
    painter.restore();
}
