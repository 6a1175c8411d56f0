// vadro-samples: writes a folder of tile patterns to try the previewer on.
//
// Every pattern repeats exactly at the tile edges but one: "clouds-crop" is cut out of the
// clouds at bounds off their period, a picture with a plain seam to check the seam tools on.
// Every run writes the same bytes: all "randomness" comes from a hash of pixel or cell
// coordinates with a fixed seed, never the clock.

#include <QCommandLineParser>
#include <QTextStream>

#include <optional>

#include "app/CommandLine.h"
#include "samples/Encoders.h"
#include "samples/Patterns.h"

namespace {

using namespace samples;

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
    const QImage clouds =
        noise({1024, 768}, 4, 3, Noise::Clouds, {0x3b7dd8_rgb, 0x8fbdf0_rgb, 0xffffff_rgb}, 11);
    put("clouds-sky", "jpg", clouds);
    put("clouds-crop", "jpg", clouds.copy(200, 150, 480, 360)); // not seamless, on purpose
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

// --- large photographs -------------------------------------------------------------------------
// Wallpaper-sized photographs, to measure the thumbnail build's memory and the shared cache:
// JPEG baseline and progressive at each size, PNG at each size, and PPM copies that tools/bench
// encodes with 4:4:4 chroma, which Qt's writer does not offer.

int writePhotos(const QString& outDir)
{
    const QSize sizes[] = {{5120, 2880}, {3840, 2160}, {2560, 1440}, {1920, 1080}};
    std::atomic<int> next{0}, failed{0};
    std::mutex report;
    constexpr int PerSize = 5;
    const int jobs = int(std::size(sizes)) * PerSize;
    auto work = [&] {
        for (int index; (index = next++) < jobs;) {
            const QSize size = sizes[index / PerSize];
            const int kind = index % PerSize;
            const int seed = index / PerSize * 2 + (kind == 1 || kind == 3 ? 1 : 0);
            const QImage image =
                photo(size, 0xF070u + quint32(seed)).convertToFormat(QImage::Format_RGB888);
            const QString stem = QStringLiteral("%1/wall-%2x%3-%4")
                                     .arg(outDir)
                                     .arg(size.width())
                                     .arg(size.height())
                                     .arg(seed);
            QString path;
            QImageWriter writer;
            switch (kind) {
            case 0: // baseline and progressive 4:2:0
            case 1:
                path = stem + (kind == 1 ? QStringLiteral("-progressive.jpg")
                                         : QStringLiteral("-baseline.jpg"));
                writer.setFormat("jpg");
                writer.setQuality(90);
                writer.setProgressiveScanWrite(kind == 1);
                writer.setOptimizedWrite(true);
                break;
            case 2:
            case 3: // for 4:4:4, encoded by tools/bench
                path = stem + QStringLiteral(".ppm");
                writer.setFormat("ppm");
                break;
            case 4:
                path = stem + QStringLiteral(".png");
                writer.setFormat("png");
                break;
            default:
                continue;
            }
            writer.setFileName(path);
            if (!writer.write(image)) {
                const std::lock_guard<std::mutex> lock(report);
                std::fprintf(stderr, "vadro-samples: cannot write %s: %s\n", qPrintable(path),
                             qPrintable(writer.errorString()));
                ++failed;
            }
        }
    };
    std::thread helper(work);
    work();
    helper.join();
    return failed;
}

// --- a folder of photographs ------------------------------------------------------------------
// COUNT photographs of 3000 x 2000 for the grid's build: a few dozen distinct pictures, every
// third progressive, then copies of them under new names, so that a large folder takes seconds,
// not minutes, to make.

int writeGridPhotos(const QString& outDir, int count)
{
    constexpr int Distinct = 30;
    std::atomic<int> next{0}, failed{0};
    std::mutex report;
    const auto name = [&outDir](int i) {
        return QStringLiteral("%1/photo-%2.jpg").arg(outDir).arg(i, 5, 10, QLatin1Char('0'));
    };
    auto work = [&] {
        for (int index; (index = next++) < std::min(count, Distinct);) {
            const QImage image = photo(QSize(3000, 2000), 0x6A1Du + quint32(index))
                                     .convertToFormat(QImage::Format_RGB888);
            QImageWriter writer(name(index), "jpg");
            writer.setQuality(90);
            writer.setProgressiveScanWrite(index % 3 == 2);
            writer.setOptimizedWrite(true);
            if (!writer.write(image)) {
                const std::lock_guard<std::mutex> lock(report);
                std::fprintf(stderr, "vadro-samples: cannot write %s: %s\n",
                             qPrintable(name(index)), qPrintable(writer.errorString()));
                ++failed;
            }
        }
    };
    std::thread helper(work);
    work();
    helper.join();
    for (int i = Distinct; i < count && failed == 0; ++i)
        if (!QFile::copy(name(i % Distinct), name(i))) {
            std::fprintf(stderr, "vadro-samples: cannot write %s\n", qPrintable(name(i)));
            ++failed;
        }
    return failed;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vadro-samples"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VADRO_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes sample tile pictures into OUTDIR, or with --corpus the %1-file "
                       "benchmark corpus, or with --photos large photographs.")
            .arg(CorpusFiles));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption corpusOption(QStringLiteral("corpus"),
                                          QStringLiteral("Write the benchmark corpus."));
    const QCommandLineOption photosOption(
        QStringLiteral("photos"), QStringLiteral("Write large photographs: JPEG, PNG, PPM."));
    const QCommandLineOption gridPhotosOption(
        QStringLiteral("grid-photos"), QStringLiteral("Write COUNT photographs of 3000 x 2000."),
        QStringLiteral("COUNT"));
    parser.addOptions({corpusOption, photosOption, gridPhotosOption});
    parser.addPositionalArgument(QStringLiteral("OUTDIR"),
                                 QStringLiteral("The folder to write, made when missing."));
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (const std::optional<int> status =
            CommandLine::parse(parser, QCoreApplication::arguments(), 1, out, err))
        return *status;
    const bool corpus = parser.isSet(corpusOption);
    const bool photos = parser.isSet(photosOption);
    bool countOk = true;
    const int gridPhotos =
        parser.isSet(gridPhotosOption) ? parser.value(gridPhotosOption).toInt(&countOk) : -1;
    if (!countOk || (parser.isSet(gridPhotosOption) && gridPhotos < 0)) {
        err << "vadro-samples: --grid-photos takes a count of 0 or more\n";
        return 2;
    }
    const int chosen = int(corpus) + int(photos) + int(gridPhotos >= 0);
    if (parser.positionalArguments().isEmpty() || chosen > 1) {
        err << "vadro-samples: give one OUTDIR, and at most one of --corpus, --photos and "
               "--grid-photos\n"
            << "Try 'vadro-samples --help' for more information.\n";
        return 2;
    }
    const QString outDir = parser.positionalArguments().constFirst();
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "vadro-samples: cannot create %s\n", qPrintable(outDir));
        return 1;
    }
    for (const char* format : {"jpg", "bmp"})
        if (!QImageWriter::supportedImageFormats().contains(format)) {
            std::fprintf(stderr, "vadro-samples: this Qt cannot write %s images\n", format);
            return 1;
        }
    if (photos)
        return writePhotos(outDir) > 0 ? 1 : 0;
    if (gridPhotos >= 0)
        return writeGridPhotos(outDir, gridPhotos) > 0 ? 1 : 0;
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
