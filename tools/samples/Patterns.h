#pragma once

// The pattern families of the sample generator: each paints a tile that repeats exactly at
// its edges, with all "randomness" from a hash of coordinates and a fixed seed.

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

namespace samples {

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

} // namespace samples
