// vadro-samples: writes a folder of seamless tile patterns to try the previewer on.
//
// Every pattern repeats exactly at the tile edges, and every run writes the same bytes: all
// "randomness" comes from a hash of pixel or cell coordinates with a fixed seed, never the clock.

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

quint32 hash(quint32 a, quint32 b = 0, quint32 c = 0)
{
    quint32 h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    return h ^ h >> 15;
}

double unit(quint32 h)
{
    return (h & 0xFFFFFF) / double(0x1000000);
}

// Colours written as 0xRRGGBB_rgb keep the sample table short.
QColor operator""_rgb(unsigned long long v)
{
    return QColor(QRgb(v));
}

QColor mix(const QColor& a, const QColor& b, double t)
{
    auto lerp = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                  lerp(a.alpha(), b.alpha()));
}

QColor ramp(const std::vector<QColor>& stops, double t)
{
    t = std::clamp(t, 0.0, 1.0) * double(stops.size() - 1);
    const size_t i = std::min(size_t(t), stops.size() - 2);
    return mix(stops[i], stops[i + 1], t - double(i));
}

// Lighter or darker by up to `percent`, so repeated bricks and cells do not look stamped.
QColor jitter(const QColor& c, quint32 h, int percent)
{
    const int f = 100 + int(h % quint32(2 * percent + 1)) - percent;
    return f >= 100 ? c.lighter(f) : c.darker(10000 / f);
}

// A tile being painted: smoothing on, no outline unless a family asks for one.
struct Tile
{
    QImage image;
    QPainter p;
    Tile(QSize size, const QColor& ground) : image(size, QImage::Format_ARGB32_Premultiplied)
    {
        image.fill(ground);
        p.begin(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
    }
    QImage done()
    {
        p.end();
        return image;
    }

    // Paints a shape where it is and one tile away in every direction, so whatever leaves the
    // tile over one edge comes back in over the opposite one.
    template <typename Paint> void wrapped(Paint paint)
    {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                p.save();
                p.translate(dx * image.width(), dy * image.height());
                paint();
                p.restore();
            }
    }
};

// For the families computed pixel by pixel; `colourAt` gets the pixel and its place in [0, 1).
template <typename F> QImage perPixel(QSize s, F colourAt)
{
    QImage img(s, QImage::Format_RGB32);
    for (int y = 0; y < s.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < s.width(); ++x)
            line[x] = colourAt(x, y, (x + 0.5) / s.width(), (y + 0.5) / s.height());
    }
    return img;
}

// Fine grain that depends only on the pixel's place in the tile, so it wraps too.
QImage grained(const QImage& img, int amount, quint32 seed)
{
    return perPixel(img.size(), [&](int x, int y, double, double) {
        const int d = int(hash(x, y, seed) % quint32(2 * amount + 1)) - amount;
        const QRgb p = img.pixel(x, y);
        auto add = [d](int c) { return std::clamp(c + d, 0, 255); };
        return qRgb(add(qRed(p)), add(qGreen(p)), add(qBlue(p)));
    });
}

// --- pattern families -------------------------------------------------------------------------
// Cell counts are chosen to divide the tile size: whole cells keep the edges matching.

QImage checks(QSize s, int cells, const QColor& a, const QColor& b)
{
    Tile t(s, a);
    const int cw = s.width() / cells, ch = s.height() / cells;
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i)
            if ((i + j) % 2)
                t.p.fillRect(i * cw, j * ch, cw, ch, b);
    return t.done();
}

// Vertical or diagonal; `fill` is the share of each period the stripe takes.
QImage stripes(QSize s, int count, double fill, bool diagonal, const QColor& bg, const QColor& fg)
{
    Tile t(s, bg);
    t.p.setBrush(fg);
    const double w = s.width(), h = s.height();
    for (int k = 0; k < count; ++k) {
        const double a = double(k) / count, b = (k + fill) / count;
        QPolygonF band;
        if (diagonal) // one period of x/w + y/h, falling to the left
            band << QPointF(a * w, 0) << QPointF(b * w, 0) << QPointF((b - 1) * w, h)
                 << QPointF((a - 1) * w, h);
        else
            band = QPolygonF(QRectF(a * w, 0, (b - a) * w, h));
        t.wrapped([&] { t.p.drawPolygon(band); });
    }
    return t.done();
}

// Staggered rows shift by half a cell, so `ny` must then be even.
QImage dots(QSize s, int nx, int ny, double radius, bool staggered, const QColor& bg,
            const QColor& fg)
{
    Tile t(s, bg);
    t.p.setBrush(fg);
    const double cw = double(s.width()) / nx, ch = double(s.height()) / ny, r = radius * cw;
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            const QPointF c((i + 0.5 + (staggered && j % 2 ? 0.5 : 0)) * cw, (j + 0.5) * ch);
            t.wrapped([&] { t.p.drawEllipse(c, r, r); });
        }
    return t.done();
}

// Rows of sine (or zigzag) bands with whole waves across the width. The curves are built three
// tiles wide and only repeated vertically: stroked ends butted together would leave a notch.
QImage waves(QSize s, int rows, int periods, double amplitude, bool zigzag, const QColor& bg,
             const QColor& band, const QColor& crest)
{
    Tile t(s, bg);
    const double w = s.width(), h = s.height(), rowH = h / rows;
    auto curve = [&](double x) {
        const double phase = periods * x / w;
        return zigzag ? 4 * std::fabs(phase - std::floor(phase) - 0.5) - 1
                      : std::sin(2 * Pi * phase);
    };
    const int steps = (zigzag ? 2 : 24) * periods * 3;
    for (int r = 0; r < rows; ++r) {
        QPolygonF top, bottom;
        for (int k = 0; k <= steps; ++k) {
            const double x = -w + 3 * w * k / steps;
            const double y = (r + 0.25) * rowH + amplitude * rowH * curve(x);
            top << QPointF(x, y);
            bottom.prepend(QPointF(x, y + rowH * 0.5));
        }
        QPainterPath shape, crestLine;
        shape.addPolygon(top + bottom);
        crestLine.addPolygon(top);
        for (int dy = -1; dy <= 1; ++dy) {
            const QTransform shift = QTransform::fromTranslate(0, dy * h);
            t.p.fillPath(shift.map(shape), band);
            if (crest.isValid())
                t.p.strokePath(shift.map(crestLine), QPen(crest, std::max(1.0, rowH / 12)));
        }
    }
    return t.done();
}

QImage bricks(QSize s, int rows, int perRow, const QColor& brick, const QColor& mortar)
{
    Tile t(s, mortar);
    const int bw = s.width() / perRow, bh = s.height() / rows, gap = std::max(1, bh / 10);
    for (int r = 0; r < rows; ++r)
        for (int i = 0; i < perRow; ++i) {
            const QRect rect(i * bw + (r % 2 ? bw / 2 : 0), r * bh, bw - gap, bh - gap);
            const QColor c = jitter(brick, hash(i, r, 1), 12);
            t.wrapped([&] {
                t.p.fillRect(rect, c);
                t.p.fillRect(rect.left(), rect.bottom() - gap + 1, rect.width(), gap,
                             c.darker(115));
            });
        }
    return t.done();
}

// Planks twice as long as wide; the pattern repeats every four plank widths both ways, so
// `units` must be a multiple of four.
QImage herringbone(QSize s, int units, const QColor& wood, const QColor& grout)
{
    Tile t(s, grout);
    const double ux = double(s.width()) / units, uy = double(s.height()) / units;
    const double gap = std::max(1.0, ux / 12);
    for (int y = 0; y < units; ++y)
        for (int x = 0; x < units; ++x) {
            if ((x + y) % 2 || (x - y + 4 * units) % 4)
                continue; // not where a flat and an upright plank meet
            const QRectF flat(x * ux, y * uy, 2 * ux - gap, uy - gap);
            const QRectF upright((x + 2) * ux, (y - 1) * uy, ux - gap, 2 * uy - gap);
            const QColor a = jitter(wood, hash(x, y, 3), 10), b = jitter(wood, hash(x, y, 4), 10);
            t.wrapped([&] {
                t.p.fillRect(flat, a);
                t.p.fillRect(upright, b);
            });
        }
    return t.done();
}

// Cells alternate between horizontal and vertical strands, as in basketwork; with one strand
// per cell it is a plain over-and-under weave.
QImage weave(QSize s, int cells, int strands, const QColor& bg, const QColor& warp,
             const QColor& weft)
{
    Tile t(s, bg);
    const double c = double(s.width()) / cells, pitch = c / strands, body = pitch * 0.82;
    auto strand = [&](const QRectF& r, bool horizontal) {
        const QColor col = horizontal ? weft : warp;
        QLinearGradient across(r.topLeft(), horizontal ? r.bottomLeft() : r.topRight());
        across.setStops({{0, col.darker(125)}, {0.4, col.lighter(110)}, {1, col.darker(135)}});
        t.p.fillRect(r, across);
        // darker where the strand dives under its neighbour
        QLinearGradient along(r.topLeft(), horizontal ? r.topRight() : r.bottomLeft());
        const QColor shade(0, 0, 0, 70), clear(0, 0, 0, 0);
        along.setStops({{0, shade}, {0.25, clear}, {0.75, clear}, {1, shade}});
        t.p.fillRect(r, along);
    };
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i)
            for (int pass = 0; pass < 2; ++pass) { // the strands underneath first
                const bool horizontal = ((i + j) % 2 == 0) == (pass == 1);
                for (int k = 0; k < strands; ++k) {
                    const double off = k * pitch + (pitch - body) / 2;
                    strand(horizontal ? QRectF(i * c, j * c + off, c, body)
                                      : QRectF(i * c + off, j * c, body, c),
                           horizontal);
                }
            }
    return t.done();
}

// Value noise on a lattice of cx by cy cells whose indices wrap, so opposite edges agree;
// each octave doubles the lattice.
double fbm(double u, double v, int cx, int cy, int octaves, quint32 seed)
{
    auto smooth = [](double f) { return f * f * (3 - 2 * f); };
    double sum = 0, amp = 1, total = 0;
    for (int o = 0; o < octaves; ++o, amp *= 0.5) {
        const int nx = cx << o, ny = cy << o;
        const double x = u * nx, y = v * ny;
        const int x0 = int(x), y0 = int(y);
        auto at = [&](int i, int j) { return unit(hash(i % nx, j % ny, seed + quint32(o))); };
        const double sx = smooth(x - x0), sy = smooth(y - y0);
        const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
        const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
        sum += amp * (top + (bottom - top) * sy);
        total += amp;
    }
    return sum / total;
}

enum class Noise
{
    Clouds,
    Granite,
    Marble,
    Paper
};

QImage noise(QSize s, int cx, int cy, Noise kind, const std::vector<QColor>& stops, quint32 seed)
{
    return perPixel(s, [&](int x, int y, double u, double v) {
        const double n = fbm(u, v, cx, cy, kind == Noise::Clouds ? 6 : 5, seed);
        const double fleck = unit(hash(x, y, seed + 99));
        double t = 0.35 + 0.4 * n + 0.25 * fleck; // paper: soft fibres
        if (kind == Noise::Clouds)
            t = (n - 0.35) / 0.4;
        else if (kind == Noise::Marble) // whole periods across the tile keep the veins wrapping
            t = std::pow(std::fabs(std::sin(2 * Pi * (u + v) + 7 * n)), 0.35);
        else if (kind == Noise::Granite)
            t = fleck < 0.06 ? 0.0 : fleck > 0.95 ? 1.0 : 0.2 + 0.6 * n;
        return ramp(stops, t).rgb();
    });
}

// A cosine ramp goes there and back again, so each edge meets the colour of the opposite one;
// (fu, fv) are whole periods across and down. A radial ramp is symmetric about the middle.
QImage gradient(QSize s, const std::vector<QColor>& stops, int fu, int fv, bool radial)
{
    return perPixel(s, [&](int, int, double u, double v) {
        const double t = radial ? std::hypot(u - 0.5, v - 0.5) / std::sqrt(0.5)
                                : 0.5 - 0.5 * std::cos(2 * Pi * (fu * u + fv * v));
        return ramp(stops, t).rgb();
    });
}

// Pointy-topped cells; rows are offset by half a cell, so `ny` must be even.
QImage hexagons(QSize s, int nx, int ny, const QColor& cell, const QColor& edge)
{
    Tile t(s, edge);
    const double dx = double(s.width()) / nx, dy = double(s.height()) / ny, k = 0.86;
    QPolygonF hex;
    hex << QPointF(0, -2 * dy / 3) << QPointF(dx / 2, -dy / 3) << QPointF(dx / 2, dy / 3)
        << QPointF(0, 2 * dy / 3) << QPointF(-dx / 2, dy / 3) << QPointF(-dx / 2, -dy / 3);
    hex = QTransform::fromScale(k, k).map(hex); // leaves a gap for the edge colour
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            const QPointF c((i + (j % 2 ? 0.5 : 0)) * dx, j * dy);
            const QColor col = jitter(cell, hash(i, j, 7), 8);
            QRadialGradient glow(c + QPointF(-dx / 6, -dy / 5), dx * 0.7);
            glow.setStops({{0, col.lighter(125)}, {1, col.darker(110)}});
            t.p.setBrush(glow);
            t.wrapped([&] { t.p.drawPolygon(hex.translated(c)); });
        }
    return t.done();
}

// Overlapping discs, painted bottom row first so each row laps over the one below. The order
// has to hold across the wrapped copies too, hence the loops instead of Tile::wrapped.
QImage scales(QSize s, int nx, const QColor& base, const QColor& rim)
{
    Tile t(s, rim);
    const double dx = double(s.width()) / nx, r = dx / 2;
    const int ny = int(std::lround(s.height() / r));
    t.p.setPen(QPen(rim, std::max(1.0, r / 8)));
    for (int oy = 1; oy >= -1; --oy)
        for (int j = ny - 1; j >= 0; --j)
            for (int ox = -1; ox <= 1; ++ox)
                for (int i = 0; i < nx; ++i) {
                    const QPointF c(ox * s.width() + (i + (j % 2 ? 0.5 : 0)) * dx,
                                    oy * s.height() + j * r);
                    const QColor col = jitter(base, hash(i, j, 8), 6);
                    QRadialGradient shade(c + QPointF(0, r * 0.6), r * 1.1);
                    shade.setStops({{0, col.lighter(130)}, {0.8, col}, {1, col.darker(130)}});
                    t.p.setBrush(shade);
                    t.p.drawEllipse(c, r, r);
                }
    return t.done();
}

// Harlequin: a diamond centred in each cell; with `size` 1 the ground between them forms the
// other diamonds.
QImage diamonds(QSize s, int nx, int ny, double size, const QColor& ground, const QColor& fill,
                const QColor& line)
{
    Tile t(s, ground);
    t.p.setPen(QPen(line, 1));
    t.p.setBrush(fill);
    const double dx = double(s.width()) / nx, dy = double(s.height()) / ny;
    const double hx = dx / 2 * size, hy = dy / 2 * size;
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            const QPointF c((i + 0.5) * dx, (j + 0.5) * dy);
            QPolygonF d;
            d << c + QPointF(0, -hy) << c + QPointF(hx, 0) << c + QPointF(0, hy)
              << c + QPointF(-hx, 0);
            t.wrapped([&] { t.p.drawPolygon(d); });
        }
    return t.done();
}

struct Band
{
    QColor colour;
    int weight;
};

// Tartan in a 2/2 twill: along each diagonal two pixels show the warp thread, two the weft.
// Tile sides must be multiples of four for the twill to wrap.
QImage plaid(QSize s, const std::vector<Band>& sett)
{
    int total = 0;
    for (const Band& b : sett)
        total += b.weight;
    auto threads = [&](int length) {
        std::vector<QRgb> out;
        for (int i = 0; i < length; ++i) {
            int pos = (2 * i + 1) * total / (2 * length);
            size_t k = 0;
            while (pos >= sett[k].weight)
                pos -= sett[k++].weight;
            out.push_back(sett[k].colour.rgb());
        }
        return out;
    };
    const std::vector<QRgb> warp = threads(s.width()), weft = threads(s.height());
    return perPixel(s, [&](int x, int y, double, double) {
        return (x + y) % 4 < 2 ? warp[size_t(x)] : weft[size_t(y)];
    });
}

// One star per cell, placed at random inside it so they scatter without clumping; `dust`
// adds faint dots between them.
QImage stars(QSize s, int cells, double size, const QColor& bg, const QColor& fg, int dust,
             quint32 seed)
{
    Tile t(s, bg);
    quint32 draws = 0;
    auto rnd = [&] { return unit(hash(seed, draws++)); };
    const double cw = double(s.width()) / cells, ch = double(s.height()) / cells;
    t.p.setBrush(fg);
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            const QPointF c((i + 0.3 + 0.4 * rnd()) * cw, (j + 0.3 + 0.4 * rnd()) * ch);
            const double r = size * cw * (0.7 + 0.3 * rnd()), turn = rnd();
            QPolygonF star;
            for (int k = 0; k < 10; ++k) {
                const double a = turn + k * Pi / 5 - Pi / 2, rr = k % 2 ? r * 0.42 : r;
                star << c + QPointF(rr * std::cos(a), rr * std::sin(a));
            }
            t.wrapped([&] { t.p.drawPolygon(star); });
        }
    for (int k = 0; k < dust; ++k) {
        const QPointF c(rnd() * s.width(), rnd() * s.height());
        const double r = 0.4 + 0.6 * rnd();
        t.p.setBrush(mix(bg, fg, 0.4 + 0.6 * rnd()));
        t.wrapped([&] { t.p.drawEllipse(c, r, r); });
    }
    return t.done();
}

// Graph paper: a line every `step` pixels and a stronger one every `major` lines.
QImage grid(QSize s, int step, int major, const QColor& bg, const QColor& minor,
            const QColor& strong)
{
    Tile t(s, bg);
    for (int k = 0; k * step < s.width(); ++k)
        t.p.fillRect(k * step, 0, 1, s.height(), k % major ? minor : strong);
    for (int k = 0; k * step < s.height(); ++k)
        t.p.fillRect(0, k * step, s.width(), 1, k % major ? minor : strong);
    return t.done();
}

// --- file formats -----------------------------------------------------------------------------

// Appends each value as a little-endian number of `bytes` bytes.
void le(QByteArray& out, int bytes, std::initializer_list<quint32> values)
{
    for (quint32 v : values)
        for (int k = 0; k < bytes; ++k)
            out.append(char(v >> 8 * k & 0xFF));
}

struct Indexed
{
    std::vector<QRgb> palette;
    std::vector<quint8> pixels;
    int transparent = -1;
};

// The image's own colours when they fit, else a fixed 6 x 7 x 6 cube (green gets the extra
// level, the eye being keenest there). Pixels less than half opaque take the transparent index.
Indexed quantise(const QImage& source)
{
    const QImage img = source.convertToFormat(QImage::Format_ARGB32);
    std::vector<QRgb> px; // opaque colours, or 0 for a transparent pixel
    std::map<QRgb, int> seen;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            px.push_back(qAlpha(p) < 128 ? 0 : p | 0xFF000000u);
            seen.emplace(px.back(), 0);
        }
    Indexed out;
    const bool clear = seen.erase(0) > 0, exact = seen.size() <= (clear ? 255u : 256u);
    for (auto& [rgb, index] : seen) {
        index = int(out.palette.size());
        if (exact)
            out.palette.push_back(rgb);
    }
    for (int i = 0; !exact && i < 6 * 7 * 6; ++i)
        out.palette.push_back(qRgb(i / 42 * 51, i / 6 % 7 * 255 / 6, i % 6 * 51));
    if (clear) {
        out.transparent = int(out.palette.size());
        out.palette.push_back(0);
    }
    // Ordered dithering hides the steps between cube levels; its 4 x 4 cycle keeps tiles whose
    // sides are multiples of four seamless.
    static const int bayer[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};
    const size_t w = size_t(img.width());
    auto cube = [&](QRgb p, size_t i) {
        const double bias = (bayer[i % w % 4 + i / w % 4 * 4] + 0.5) / 16 - 0.5;
        auto level = [bias](int c, int top) {
            return std::clamp(int(std::lround(c * top / 255.0 + bias)), 0, top);
        };
        return (level(qRed(p), 5) * 7 + level(qGreen(p), 6)) * 6 + level(qBlue(p), 5);
    };
    for (size_t i = 0; i < px.size(); ++i)
        out.pixels.push_back(quint8(px[i] == 0 ? out.transparent
                                    : exact    ? seen[px[i]]
                                               : cube(px[i], i)));
    return out;
}

// Variable-width LZW as GIF wants it: codes packed least significant bit first, and the table
// restarted with a clear code once all 4096 codes are taken.
QByteArray lzw(const std::vector<quint8>& pixels, int minCodeSize)
{
    QByteArray bytes;
    quint32 acc = 0;
    int bits = 0;
    const int clearCode = 1 << minCodeSize, endCode = clearCode + 1;
    int next = endCode + 1, width = minCodeSize + 1;
    auto put = [&](int code) {
        acc |= quint32(code) << bits;
        for (bits += width; bits >= 8; bits -= 8, acc >>= 8)
            bytes.append(char(acc & 0xFF));
    };
    std::unordered_map<quint32, int> table;
    put(clearCode);
    int prefix = pixels.front();
    for (size_t i = 1; i < pixels.size(); ++i) {
        const quint32 key = quint32(prefix) << 8 | pixels[i];
        if (const auto it = table.find(key); it != table.end()) {
            prefix = it->second;
            continue;
        }
        put(prefix);
        if (next < 4096) {
            table.emplace(key, next++);
            if (next > (1 << width) && width < 12)
                ++width;
        } else {
            put(clearCode);
            table.clear();
            next = endCode + 1;
            width = minCodeSize + 1;
        }
        prefix = pixels[i];
    }
    put(prefix);
    put(endCode);
    if (bits > 0)
        bytes.append(char(acc & 0xFF));
    return bytes;
}

// Qt reads GIF but cannot write it.
QByteArray encodeGif(const QImage& image)
{
    const Indexed ix = quantise(image);
    int depth = 1; // the colour table holds 2^depth entries
    while ((1u << depth) < ix.palette.size())
        ++depth;
    const quint32 w = image.width(), h = image.height();
    QByteArray gif("GIF89a");
    le(gif, 2, {w, h});
    // a global colour table and its size; no background index or pixel ratio
    le(gif, 1, {0x80u | (depth - 1u) << 4 | (depth - 1u), 0, 0});
    for (size_t i = 0; i < (1u << depth); ++i) {
        const QRgb c = i < ix.palette.size() ? ix.palette[i] : 0;
        le(gif, 1, {quint32(qRed(c)), quint32(qGreen(c)), quint32(qBlue(c))});
    }
    if (ix.transparent >= 0) // a graphic control extension naming the transparent index
        le(gif, 1, {0x21, 0xF9, 4, 1, 0, 0, quint32(ix.transparent), 0});
    gif.append(',');
    le(gif, 2, {0, 0, w, h});
    gif.append('\0'); // no local colour table, not interlaced
    const int minCodeSize = std::max(2, depth);
    gif.append(char(minCodeSize));
    const QByteArray data = lzw(ix.pixels, minCodeSize);
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const qsizetype n = std::min<qsizetype>(255, data.size() - i);
        gif.append(char(n)).append(data.mid(i, n));
    }
    return gif.append('\0').append(';');
}

// Qt's ICO writer leaves the padding of the transparency mask uninitialised, so two runs could
// differ; this writes the same kind of 32-bit icons with every byte set, one entry per image.
QByteArray encodeIco(const std::vector<QImage>& images)
{
    QByteArray ico;
    le(ico, 2, {0, 1, quint32(images.size())}); // reserved, an icon (not a cursor), the count
    std::vector<QImage> argb;
    quint32 offset = 6 + 16 * quint32(images.size()); // the bitmaps follow the directory
    for (const QImage& image : images) {
        argb.push_back(image.convertToFormat(QImage::Format_ARGB32));
        const quint32 w = image.width(), h = image.height(), maskStride = (w + 31) / 32 * 4;
        const quint32 bytes = 40 + (w * 4 + maskStride) * h;
        le(ico, 1, {w & 0xFF, h & 0xFF, 0, 0}); // 256 is stored as 0; no palette
        le(ico, 2, {1, 32});                    // planes, bits per pixel
        le(ico, 4, {bytes, offset});            // size of the bitmap, where it starts
        offset += bytes;
    }
    for (const QImage& img : argb) {
        const quint32 w = img.width(), h = img.height(), maskStride = (w + 31) / 32 * 4;
        le(ico, 4, {40, w, 2 * h}); // its header; the height counts the mask too
        le(ico, 2, {1, 32});
        le(ico, 4, {0, 0, 0, 0, 0, 0});       // no compression; the other fields unused
        for (int y = int(h) - 1; y >= 0; --y) // bottom-up rows of BGRA
            for (int x = 0; x < int(w); ++x) {
                const QRgb p = img.pixel(x, y);
                le(ico, 1,
                   {quint32(qBlue(p)), quint32(qGreen(p)), quint32(qRed(p)), quint32(qAlpha(p))});
            }
        for (int y = int(h) - 1; y >= 0; --y) { // mask: a set bit marks a fully transparent pixel
            QByteArray row(maskStride, '\0');
            for (int x = 0; x < int(w); ++x)
                if (qAlpha(img.pixel(x, y)) == 0)
                    row[x / 8] = char(row[x / 8] | 0x80 >> (x % 8));
            ico.append(row);
        }
    }
    return ico;
}

bool writeFile(const QByteArray& bytes, const QString& path, QString* error)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush())
        return true;
    *error = file.errorString();
    return false;
}

// An 8-bit image is written as it is, for palette bitmaps and grey JPEGs; anything else as
// 24-bit colour.
bool save(const QImage& image, const QString& path, const QByteArray& format, QString* error,
          int quality = 90)
{
    if (format == "gif")
        return writeFile(encodeGif(image), path, error);
    if (format == "ico")
        return writeFile(encodeIco({image}), path, error);
    const bool eightBit =
        image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Grayscale8;
    QImage out = eightBit ? image : image.convertToFormat(QImage::Format_RGB888);
    // The default resolution follows the screen; a fixed one keeps the headers identical.
    out.setDotsPerMeterX(3780);
    out.setDotsPerMeterY(3780);
    QImageWriter writer(path, format);
    writer.setQuality(quality);
    if (writer.write(out))
        return true;
    *error = writer.errorString();
    return false;
}

// --- the samples ------------------------------------------------------------------------------

using Put = std::function<void(const char* name, const char* format, const QImage& tile)>;

void writeAll(const Put& put)
{
    const QColor none(Qt::transparent), noCrest;
    const std::vector<Band> tartan = {{0xb3202a_rgb, 10}, {0x1d2c5e_rgb, 6}, {0xb3202a_rgb, 2},
                                      {0x1f5e3a_rgb, 8},  {0x111111_rgb, 2}, {0xe8c33a_rgb, 1},
                                      {0x111111_rgb, 2},  {0x1f5e3a_rgb, 8}, {0xb3202a_rgb, 2},
                                      {0x1d2c5e_rgb, 6}};
    // JPEG: textures with many colours, and the large tiles
    put("brick-sand", "jpg", grained(bricks({640, 480}, 16, 8, 0xc9a877_rgb, 0x8a7d6b_rgb), 10, 2));
    put("gradient-sunset", "jpg",
        gradient({800, 600}, {0xffb347_rgb, 0xff5e62_rgb, 0x6a3093_rgb}, 0, 1, false));
    put("clouds-sky", "jpg",
        noise({1024, 768}, 4, 3, Noise::Clouds, {0x3b7dd8_rgb, 0x8fbdf0_rgb, 0xffffff_rgb}, 11));
    put("granite-grey", "jpg",
        noise({128, 128}, 8, 8, Noise::Granite,
              {0x2b2b2e_rgb, 0x77777c_rgb, 0xb9b6b0_rgb, 0xf4f1ea_rgb}, 21));
    put("marble-white", "jpg",
        noise({256, 256}, 4, 4, Noise::Marble, {0x8a8f99_rgb, 0xd9dbe0_rgb, 0xf8f8f6_rgb}, 31));
    put("paper-beige", "jpg",
        noise({256, 256}, 8, 8, Noise::Paper, {0xd8c9a8_rgb, 0xf3ead6_rgb}, 41));
    put("herringbone-oak", "jpg",
        grained(herringbone({128, 128}, 8, 0xb07a45_rgb, 0x5a3b1e_rgb), 8, 5));
    put("weave-linen", "jpg",
        grained(weave({64, 64}, 8, 1, 0x8c8170_rgb, 0xe6dcc6_rgb, 0xd8ccb2_rgb), 6, 6));
    put("plaid-tartan", "jpg", plaid({128, 128}, tartan));
    put("scales-fish", "jpg", scales({64, 64}, 4, 0x6f9fc8_rgb, 0x284a6b_rgb));
    put("hexagons-honey", "jpg", hexagons({224, 192}, 8, 8, 0xf0a928_rgb, 0x8a5a12_rgb));
    put("dots-coral", "jpg", dots({60, 60}, 3, 4, 0.22, true, 0xfdf3e1_rgb, 0xf26b5b_rgb));
    put("stars-night", "jpg", stars({128, 128}, 4, 0.22, 0x0d1b3d_rgb, 0xfff2b8_rgb, 60, 51));
    put("weave-basket", "jpg", weave({96, 96}, 4, 3, 0x3d2a16_rgb, 0xc89b5c_rgb, 0xb5854a_rgb));
    put("gradient-aqua", "jpg",
        gradient({256, 32}, {0x0f7c8c_rgb, 0x5fd3c7_rgb, 0xe0fbf5_rgb}, 1, 0, false));
    // BMP: crisp flat patterns
    put("waves-sea", "bmp",
        waves({96, 48}, 3, 2, 0.2, false, 0x174a7e_rgb, 0x3a86c8_rgb, 0xe6f3ff_rgb));
    put("stripes-candy", "bmp", stripes({48, 48}, 4, 0.5, true, 0xfff8f0_rgb, 0xd8283c_rgb));
    put("brick-red", "bmp", bricks({64, 64}, 8, 2, 0xb0412e_rgb, 0xd9d0c1_rgb));
    put("checks-grey", "bmp", checks({16, 16}, 2, 0xffffff_rgb, 0xcccccc_rgb));
    put("stripes-navy", "bmp", stripes({24, 24}, 3, 0.125, false, 0x1b2a4a_rgb, 0x8fa8d8_rgb));
    put("herringbone-slate", "bmp", herringbone({64, 64}, 8, 0x5d6b78_rgb, 0x2b323a_rgb));
    put("diamonds-harlequin", "bmp",
        diamonds({64, 64}, 4, 2, 1.0, 0x1f1f3a_rgb, 0xb3203a_rgb, 0xe0b74a_rgb));
    put("gingham-red", "bmp", plaid({32, 32}, {{0xffffff_rgb, 1}, {0xd23a3a_rgb, 1}}));
    put("grid-blueprint", "bmp", grid({160, 160}, 8, 5, 0x1c4f8c_rgb, 0x3d6ea8_rgb, 0x9cc0ea_rgb));
    // GIF: few colours, some on a transparent ground
    put("checks-blue", "gif", checks({64, 64}, 8, 0xdce9f7_rgb, 0x3a86d4_rgb));
    put("dots-polka", "gif", dots({64, 64}, 4, 4, 0.25, true, none, 0xe0457b_rgb));
    put("waves-teal", "gif",
        waves({64, 32}, 2, 2, 0.22, false, 0xd8f1ee_rgb, 0x1f9e8f_rgb, 0x0d5e55_rgb));
    put("hexagons-mint", "gif", hexagons({56, 48}, 2, 2, 0x8fdcb4_rgb, 0x2f7a58_rgb));
    put("chevron-orange", "gif",
        waves({64, 32}, 2, 4, 0.25, true, 0xfff4e0_rgb, 0xf07b1f_rgb, noCrest));
    put("diamonds-gold", "gif", diamonds({32, 32}, 2, 2, 0.8, none, 0xf2c230_rgb, 0xa07808_rgb));
    put("stars-white", "gif", stars({48, 48}, 2, 0.3, none, 0xffffff_rgb, 0, 61));
    // ICO: small ones, at most 256 x 256
    put("checks-green", "ico", checks({32, 32}, 4, 0xe4f4dc_rgb, 0x4caf50_rgb));
    put("dots-yellow", "ico", dots({16, 16}, 2, 2, 0.3, false, 0x3a3a3a_rgb, 0xffd23f_rgb));
    put("scales-jade", "ico", scales({48, 48}, 3, 0x3fa37a_rgb, 0x1d5a41_rgb));
    put("gradient-violet", "ico",
        gradient({256, 256}, {0xf1e6ff_rgb, 0xa77bdb_rgb, 0x4b2377_rgb}, 0, 0, true));
    put("stars-gold", "ico", stars({24, 24}, 1, 0.4, none, 0xf5b921_rgb, 0, 71));
}

// --- the benchmark corpus ---------------------------------------------------------------------
// Five hundred files in the mix a photo folder with some graphics in it has: mostly JPEG photos
// from thumbnail size up to 12 megapixels, then bitmaps, GIFs and icons. Every file depends on
// its number alone, so any thread may write it and every run writes the same bytes.

constexpr int CorpusJpegs = 325, CorpusBitmaps = 75, CorpusGifs = 60, CorpusIcons = 40;
constexpr int CorpusFiles = CorpusJpegs + CorpusBitmaps + CorpusGifs + CorpusIcons;

// Draws in a fixed order from one seed. Each draw is its own statement: the order in which a
// call's arguments are evaluated is unspecified, and with it which value goes where.
class Dice
{
public:
    explicit Dice(quint32 seed) : m_seed(seed) {}
    double real() { return unit(hash(m_seed, m_draws++, 0xD1CE)); }
    double between(double lo, double hi) { return lo + (hi - lo) * real(); }
    int upTo(int lo, int hi)
    {
        return lo + int(hash(m_seed, m_draws++, 0xD1CE) % quint32(hi - lo + 1));
    }
    bool chance(double p) { return real() < p; }

private:
    quint32 m_seed;
    quint32 m_draws = 0;
};

// Colours around one hue, as the light of one scene or the inks of one design are.
class Palette
{
public:
    explicit Palette(Dice& d) : m_d(d), m_hue(d.real()) {}
    QColor pick(double spread, double satLo, double satHi, double valLo, double valHi)
    {
        const double h = m_d.between(-spread, spread);
        const double s = m_d.between(satLo, satHi);
        const double v = m_d.between(valLo, valHi);
        return QColor::fromHsvF(float(std::fmod(m_hue + h + 2.0, 1.0)), float(s), float(v));
    }

private:
    Dice& m_d;
    double m_hue;
};

// A 4:3, 3:2, 16:9 or square frame, landscape or portrait, that fits `box` upright.
QSize frame(Dice& d, double longSide, QSize box)
{
    static const double ratios[] = {0.75, 0.75, 0.75, 2.0 / 3, 0.5625, 1.0};
    const double r = ratios[d.upTo(0, 5)];
    const bool portrait = r < 1 && d.chance(0.3);
    const int along = portrait ? box.height() : box.width(); // room for the long side
    const int lo = int(std::lround(std::min(longSide, double(along))));
    const int sh = std::clamp(int(std::lround(lo * r)), 16, std::min(lo, box.height()));
    return portrait ? QSize(sh, lo) : QSize(lo, sh);
}

// Long sides spread evenly on a log scale from `lo` to `hi` over `count` files.
double logSpread(int i, int count, double lo, double hi)
{
    return lo * std::pow(hi / lo, count > 1 ? double(i) / (count - 1) : 0.0);
}

// A picture that compresses like a photograph: a lit background, a horizon, soft and hard-edged
// things, texture at a coarse and a fine scale, and sensor grain.
QImage photo(QSize s, quint32 seed)
{
    Dice d(seed);
    Palette colours(d);
    const double w = s.width(), h = s.height(), span = std::max(w, h);
    QImage img(s, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    p.setPen(Qt::NoPen);

    const double tilt = d.between(-0.4, 0.4);
    const QPointF mid(w / 2, h / 2), reach(std::sin(tilt) * h / 2, std::cos(tilt) * h / 2);
    QLinearGradient sky(mid - reach, mid + reach);
    sky.setColorAt(0, colours.pick(0.05, 0.1, 0.5, 0.7, 1.0));
    sky.setColorAt(0.55, colours.pick(0.1, 0.2, 0.6, 0.5, 0.9));
    sky.setColorAt(1, colours.pick(0.15, 0.2, 0.7, 0.2, 0.6));
    p.fillRect(img.rect(), sky);

    if (d.chance(0.7)) { // hills: a few sines along the horizon
        const double horizon = h * d.between(0.35, 0.75);
        double amp[3], freq[3], phase[3];
        for (int k = 0; k < 3; ++k) {
            amp[k] = h * d.between(0.01, 0.08) / (k + 1);
            freq[k] = d.between(0.5, 3.0) * (k + 1);
            phase[k] = d.between(0, 2 * Pi);
        }
        QPolygonF hill;
        for (int i = 0; i <= 96; ++i) {
            const double x = w * i / 96;
            double y = horizon;
            for (int k = 0; k < 3; ++k)
                y += amp[k] * std::sin(2 * Pi * freq[k] * x / w + phase[k]);
            hill << QPointF(x, y);
        }
        hill << QPointF(w, h) << QPointF(0, h);
        QLinearGradient ground(0, horizon, 0, h);
        ground.setColorAt(0, colours.pick(0.3, 0.3, 0.7, 0.3, 0.6));
        ground.setColorAt(1, colours.pick(0.3, 0.4, 0.8, 0.1, 0.4));
        p.setBrush(ground);
        p.drawPolygon(hill);
    }

    // lights out of focus, foliage, boxes in side light
    const int things = d.upTo(6, 26);
    for (int k = 0; k < things; ++k) {
        const double x = d.real() * w, y = d.real() * h, r = span * d.between(0.02, 0.18);
        QColor c = colours.pick(0.5, 0.1, 0.8, 0.1, 1.0);
        c.setAlphaF(float(d.between(0.35, 0.9)));
        if (d.chance(0.5)) {
            QColor edge = c;
            edge.setAlpha(0);
            QRadialGradient soft(QPointF(x, y), r);
            soft.setColorAt(0, c);
            soft.setColorAt(0.6, c);
            soft.setColorAt(1, edge);
            p.setBrush(soft);
            p.drawEllipse(QPointF(x, y), r, r);
        } else {
            const double aspect = d.between(0.3, 2.5), turn = d.between(-15, 15);
            QLinearGradient lit(-r, 0, r, 0);
            lit.setColorAt(0, c.lighter(140));
            lit.setColorAt(1, c.darker(160));
            p.save();
            p.translate(x, y);
            p.rotate(turn);
            p.setBrush(lit);
            p.drawRect(QRectF(-r, -r * aspect, 2 * r, 2 * r * aspect));
            p.restore();
        }
    }

    // Random lattices stretched smoothly over the frame; overlay mode shades what is under them
    // instead of covering it. The coarse one tints a little, the finer ones are grey.
    auto texture = [&](double cell, int depth, bool tinted, quint32 layer) {
        const QSize n(int(w / cell) + 2, int(h / cell) + 2);
        QImage lattice(n, QImage::Format_RGB32);
        for (int y = 0; y < n.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(lattice.scanLine(y));
            for (int x = 0; x < n.width(); ++x) {
                const quint32 v = hash(quint32(x), quint32(y), seed * 4 + layer);
                const int g = 128 - depth + int(v % quint32(2 * depth + 1));
                const int t = tinted ? int(v >> 16 & 15) - 8 : 0;
                line[x] = qRgb(std::clamp(g + t, 0, 255), g, std::clamp(g - t, 0, 255));
            }
        }
        p.drawImage(QRectF(0, 0, w, h), lattice);
    };
    p.setCompositionMode(QPainter::CompositionMode_Overlay);
    texture(span / d.between(12, 40), d.upTo(30, 70), true, 1);
    texture(d.between(12, 30), d.upTo(20, 40), false, 2);
    texture(d.between(2.5, 6), d.upTo(20, 45), false, 3);
    p.end();

    const int grain = d.upTo(3, 6);
    for (int y = 0; y < s.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < s.width(); ++x) {
            const int n = int(hash(quint32(x), quint32(y), seed) % quint32(2 * grain + 1)) - grain;
            const QRgb c = line[x];
            auto add = [n](int v) { return std::clamp(v + n, 0, 255); };
            line[x] = qRgb(add(qRed(c)), add(qGreen(c)), add(qBlue(c)));
        }
    }
    return img;
}

// One of the tile families with its colours and scale drawn from `seed`. With `clear` the
// ground is transparent, for the families that have one; those are the first seven.
QImage pattern(QSize s, quint32 seed, bool clear)
{
    Dice d(seed);
    Palette colours(d);
    const int family = d.upTo(0, clear ? 6 : 14);
    const QColor ground = clear ? QColor(Qt::transparent) : colours.pick(0.1, 0.05, 0.4, 0.75, 1.0);
    const QColor ink = colours.pick(0.5, 0.4, 0.9, 0.3, 0.9);
    const QColor other = colours.pick(0.5, 0.3, 0.8, 0.15, 0.7);
    // a cell of 6 to 32 pixels, and at most 24 cells across to keep the drawing quick
    const int cellPx = d.upTo(6, 32), small = std::min(s.width(), s.height());
    const int cells = std::clamp(small / cellPx, 2, 24), even = cells + cells % 2;
    const double amount = d.real();
    const bool flag = d.chance(0.5);
    switch (family) {
    case 0:
        return checks(s, cells, ground, ink);
    case 1:
        return stripes(s, std::max(1, cells / 2), 0.2 + 0.4 * amount, flag, ground, ink);
    case 2:
        return dots(s, cells, even, 0.15 + 0.2 * amount, flag, ground, ink);
    case 3:
        return waves(s, std::max(1, cells / 3), 1 + cells % 4, 0.1 + 0.2 * amount, flag, ground,
                     ink, cells % 3 ? other : QColor());
    case 4:
        return diamonds(s, cells, cells, 0.6 + 0.4 * amount, ground, ink, other);
    case 5:
        return stars(s, std::max(1, cells / 2), 0.2 + 0.2 * amount, ground, ink,
                     flag ? 4 * cells : 0, seed);
    case 6:
        return grid(s, std::max(3, small / cells / 2), 3 + cells % 4, ground, other, ink);
    case 7:
        return bricks(s, cells, std::max(1, cells / 2), ink, ground);
    case 8:
        return herringbone(s, std::clamp(cells / 4, 1, std::max(1, small / 12)) * 4, ink, other);
    case 9:
        return hexagons(s, cells, even, ink, other);
    case 10:
        return scales(s, std::max(2, cells / 2), ink, other);
    case 11:
        return plaid(s, {{ground, 4 + cells % 5},
                         {ink, 2 + cells % 3},
                         {other, 1 + cells % 2},
                         {ink, 2 + cells % 3}});
    case 12:
        return noise(s, 2 + cells % 5, 2 + cells % 3, Noise(cells % 4), {other, ink, ground}, seed);
    case 13:
        return gradient(s, {ground, ink, other}, cells % 3, 1 + cells % 2, flag);
    default:
        return weave(s, std::max(1, cells / 2), 1 + cells % 3, other, ink, ground);
    }
}

// An 8-bit palette image: the image's own colours when it has few, else the dithered cube.
QImage indexed8(const QImage& image)
{
    const Indexed ix = quantise(image);
    QImage out(image.size(), QImage::Format_Indexed8);
    // Qt writes whole scan lines, padding too: clear it so no leftover memory reaches the file.
    std::fill(out.bits(), out.bits() + out.sizeInBytes(), uchar(0));
    // a full table: Qt would write 16 colours or fewer as a 4-bit bitmap
    QList<QRgb> table(ix.palette.begin(), ix.palette.end());
    table.resize(256, qRgb(0, 0, 0));
    out.setColorTable(table);
    const size_t w = size_t(image.width());
    for (int y = 0; y < image.height(); ++y)
        std::copy_n(ix.pixels.begin() + ptrdiff_t(size_t(y) * w), w, out.scanLine(y));
    return out;
}

struct CorpusFile
{
    QString name;
    QByteArray format;
    std::vector<QImage> images; // one, or the sizes of an icon
    int quality = 90;
};

QString sized(const char* kind, int i, QSize s, const char* ext)
{
    return QStringLiteral("%1-%2-%3x%4.%5")
        .arg(QLatin1String(kind))
        .arg(i, 3, 10, QLatin1Char('0'))
        .arg(s.width())
        .arg(s.height())
        .arg(QLatin1String(ext));
}

CorpusFile corpusFile(int index)
{
    Dice d(quint32(index) * 7919u + 17u);
    const quint32 seed = hash(quint32(index), 0xC0);
    int i = index;
    if (i < CorpusJpegs) {
        // both ends exactly: the smallest thumbnail-sized photo and a 12-megapixel one
        QSize s = i == 0 ? QSize(64, 64)
                  : i == CorpusJpegs - 1
                      ? QSize(4000, 3000)
                      : frame(d, logSpread(i, CorpusJpegs, 64, 4000), QSize(4000, 3000));
        s = s.expandedTo(QSize(64, 64));
        QImage img = photo(s, seed);
        const bool grey = i % 16 == 7;
        if (grey)
            img = img.convertToFormat(QImage::Format_Grayscale8);
        // both extensions the file list matches
        return {
            sized(grey ? "grey" : "photo", i, s, i % 8 == 3 ? "jpeg" : "jpg"), "jpg", {img}, 85};
    }
    i -= CorpusJpegs;
    if (i < CorpusBitmaps) {
        // full decodes of these stay small: at most 1024 x 768; some widths odd so that rows
        // need padding
        QSize s = frame(d, logSpread(i, CorpusBitmaps, 24, 1024), QSize(1024, 768));
        if (d.chance(0.3))
            s.rwidth() -= 1;
        const bool palette = i % 2 == 1, photographic = i % 4 < 2;
        const QImage img = photographic ? photo(s, seed) : pattern(s, seed, false);
        return {
            sized(palette ? "bmp8" : "bmp24", i, s, "bmp"), "bmp", {palette ? indexed8(img) : img}};
    }
    i -= CorpusBitmaps;
    if (i < CorpusGifs) {
        QSize s = frame(d, logSpread(i, CorpusGifs, 16, 800), QSize(800, 600));
        const bool clear = i % 3 == 0;
        return {sized(clear ? "gif-clear" : "gif", i, s, "gif"), "gif", {pattern(s, seed, clear)}};
    }
    i -= CorpusGifs;
    // one family and set of colours at every size the icon holds, drawn afresh for each size
    // rather than scaled down, as icons are
    const bool clear = i % 2 == 0;
    CorpusFile icon{QStringLiteral("icon-%1.ico").arg(i, 3, 10, QLatin1Char('0')), "ico", {}};
    for (int side : {16, 32, 48, 256})
        icon.images.push_back(pattern(QSize(side, side), seed, clear));
    return icon;
}

// Writes the corpus on two threads; returns how many files failed.
int writeCorpus(const QString& outDir)
{
    std::atomic<int> next{0}, failed{0};
    std::mutex report;
    auto work = [&] {
        for (int index; (index = next++) < CorpusFiles;) {
            const CorpusFile f = corpusFile(index);
            const QString path = QDir(outDir).filePath(f.name);
            QString error;
            const bool ok = f.format == "ico"
                                ? writeFile(encodeIco(f.images), path, &error)
                                : save(f.images.front(), path, f.format, &error, f.quality);
            if (!ok) {
                const std::lock_guard<std::mutex> lock(report);
                std::fprintf(stderr, "vadro-samples: cannot write %s: %s\n", qPrintable(path),
                             qPrintable(error));
                ++failed;
            }
        }
    };
    std::thread helper(work);
    work();
    helper.join();
    return failed;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bool corpus = argc == 3 && std::strcmp(argv[1], "--corpus") == 0;
    if (argc != 2 && !corpus) {
        std::fprintf(stderr,
                     "usage: vadro-samples OUTDIR           seamless sample tiles\n"
                     "       vadro-samples --corpus OUTDIR  the %d-file benchmark corpus\n",
                     CorpusFiles);
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[argc - 1]);
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "vadro-samples: cannot create %s\n", qPrintable(outDir));
        return 1;
    }
    for (const char* format : {"jpg", "bmp"})
        if (!QImageWriter::supportedImageFormats().contains(format)) {
            std::fprintf(stderr, "vadro-samples: this Qt cannot write %s images\n", format);
            return 1;
        }
    if (corpus) {
        if (writeCorpus(outDir) > 0)
            return 1;
        std::printf("vadro-samples: wrote %d files to %s: %d JPEG, %d BMP (24-bit and 8-bit), "
                    "%d GIF, %d ICO\n",
                    CorpusFiles, qPrintable(outDir), CorpusJpegs, CorpusBitmaps, CorpusGifs,
                    CorpusIcons);
        return 0;
    }
    int written = 0;
    writeAll([&](const char* name, const char* format, const QImage& tile) {
        const QString path = QDir(outDir).filePath(QStringLiteral("%1-%2x%3.%4")
                                                       .arg(QLatin1String(name))
                                                       .arg(tile.width())
                                                       .arg(tile.height())
                                                       .arg(QLatin1String(format)));
        QString error;
        if (!save(tile, path, format, &error)) {
            std::fprintf(stderr, "vadro-samples: cannot write %s: %s\n", qPrintable(path),
                         qPrintable(error));
            std::exit(1);
        }
        ++written;
    });
    std::printf("vadro-samples: wrote %d files to %s\n", written, qPrintable(outDir));
    return 0;
}
