#include "preview/SeamScore.h"

#include <QImage>

#include "tile/Repeat.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

inline quint32 absDiff(uchar a, uchar b)
{
    return a > b ? quint32(a - b) : quint32(b - a);
}

inline quint32 step(QRgb a, QRgb b)
{
    return absDiff(uchar(a), uchar(b)) + absDiff(uchar(a >> 8), uchar(b >> 8)) +
           absDiff(uchar(a >> 16), uchar(b >> 16)) + absDiff(uchar(a >> 24), uchar(b >> 24));
}

// The loops below run in fixed blocks so the compiler turns each block into a few vector
// instructions, both where it vectorises only loops of a known length (-O2) and where it
// vectorises everything (-O3: a block of 32 keeps it from a slower outer-loop form).
constexpr int Block = 32;

// acc[i] += |a[i] - b[i]| for n bytes.
void accumulate(quint32* __restrict acc, const uchar* a, const uchar* b, int n)
{
    int i = 0;
    for (; i + Block <= n; i += Block)
        for (int k = 0; k < Block; ++k)
            acc[i + k] += absDiff(a[i + k], b[i + k]);
    for (; i < n; ++i)
        acc[i] += absDiff(a[i], b[i]);
}

// The sum of |a[i] - b[i]| over n bytes.
quint64 difference(const uchar* a, const uchar* b, int n)
{
    quint64 sum = 0;
    int i = 0;
    for (; i + Block <= n; i += Block) {
        quint32 block = 0;
        for (int k = 0; k < Block; ++k)
            block += absDiff(a[i + k], b[i + k]);
        sum += block;
    }
    for (; i < n; ++i)
        sum += absDiff(a[i], b[i]);
    return sum;
}

// count indices of 0..n-1, evenly spread, starting at 0.
std::vector<int> spread(int n, int count)
{
    std::vector<int> out;
    const int taken = std::clamp(count, 0, n);
    out.reserve(size_t(taken));
    for (int i = 0; i < taken; ++i)
        out.push_back(int(qint64(i) * n / taken));
    return out;
}

// How many lines a pass over lines `length` pixels long reads, of `available`.
int linesFor(int length, int available)
{
    const qint64 lines =
        std::max<qint64>(SeamScore::MinLines, SeamScore::PairsPerAxis / std::max(length, 1));
    return int(std::min<qint64>(lines, available));
}

// The picture's pixels premultiplied, so a transparent pixel counts as what it shows. The two
// 32-bit layouts decoders give most are read in place, a picture in any other layout is
// converted once up to 16 megapixels (64 MB), a larger one a line or a pixel at a time: a
// 100-megapixel palette picture would take 400 MB.
class Pixels
{
public:
    static constexpr qint64 ConvertWhole = 16 << 20;

    explicit Pixels(const QImage& image)
    {
        if (image.format() == QImage::Format_RGB32 ||
            image.format() == QImage::Format_ARGB32_Premultiplied) {
            m_image = image;
            m_direct = true;
        } else if (qint64(image.width()) * image.height() <= ConvertWhole) {
            m_image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            m_direct = true;
        } else {
            m_image = image;
        }
    }

    const QImage& image() const { return m_image; }
    bool direct() const { return m_direct; }

    // Row y; `scratch` holds it while it is in use when it has to be converted.
    const QRgb* row(int y, QImage& scratch) const
    {
        if (!m_direct) {
            scratch = m_image.copy(0, y, m_image.width(), 1)
                          .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            return reinterpret_cast<const QRgb*>(scratch.constScanLine(0));
        }
        return reinterpret_cast<const QRgb*>(m_image.constScanLine(y));
    }

    // One pixel, premultiplied.
    QRgb at(int x, int y) const
    {
        if (m_direct)
            return reinterpret_cast<const QRgb*>(m_image.constScanLine(y))[x];
        return qPremultiply(m_image.pixel(x, y));
    }

    // A few columns of row y of a picture that is not read in place.
    void gather(int y, const std::vector<int>& columns, std::vector<QRgb>& out) const
    {
        out.resize(columns.size());
        for (size_t i = 0; i < columns.size(); ++i)
            out[i] = qPremultiply(m_image.pixel(columns[i], y));
    }

private:
    QImage m_image;
    bool m_direct = false;
};

// sums[i] is the summed step between line i and line i + 1 over `lines` lines; the last entry
// is the wrap-around one.
SeamScore::Axis summarise(const std::vector<quint64>& sums, int lines)
{
    SeamScore::Axis axis;
    if (sums.size() < 2 || lines < 1)
        return axis;
    axis.exists = true;
    axis.strongest = double(*std::max_element(sums.begin(), sums.end() - 1)) / lines;
    axis.seam = double(sums.back()) / lines;
    return axis;
}

SeamScore::Axis across(const Pixels& pixels)
{
    const int w = pixels.image().width(), h = pixels.image().height();
    if (w < 2 || h < 1)
        return {};
    // Per byte first, so the inner loop is one straight pass along the row.
    std::vector<quint32> bytes(size_t(w - 1) * 4, 0);
    quint64 seam = 0;
    QImage scratch;
    const std::vector<int> rows = spread(h, linesFor(w, h));
    for (int y : rows) {
        const QRgb* p = pixels.row(y, scratch);
        const auto* b = reinterpret_cast<const uchar*>(p);
        accumulate(bytes.data(), b, b + 4, int(bytes.size()));
        seam += step(p[w - 1], p[0]);
    }
    std::vector<quint64> sums(size_t(w), 0);
    for (size_t x = 0; x + 1 < sums.size(); ++x)
        sums[x] = quint64(bytes[4 * x]) + bytes[4 * x + 1] + bytes[4 * x + 2] + bytes[4 * x + 3];
    sums.back() = seam;
    return summarise(sums, int(rows.size()));
}

SeamScore::Axis down(const Pixels& pixels)
{
    const int w = pixels.image().width(), h = pixels.image().height();
    if (h < 2 || w < 1)
        return {};
    // Sampled columns come in runs of adjacent pixels: a large picture's rows are then read in
    // a few strides of half a kilobyte, not a pixel from each of hundreds of cache lines.
    constexpr int Run = 128;
    const int wanted = linesFor(h, w);
    const bool every = wanted >= w || w <= 2 * Run;
    const int run = every ? w : Run;
    const std::vector<int> starts =
        every ? std::vector<int>{0} : spread(w - Run + 1, std::max(1, wanted / Run));
    const int columns = run * int(starts.size());
    std::vector<quint64> sums(size_t(h), 0);

    // A large picture that is not read in place is read a pixel at a time: converting whole
    // rows would convert the whole picture.
    if (!pixels.direct()) {
        std::vector<int> picked;
        for (int start : starts)
            for (int x = start; x < start + run; ++x)
                picked.push_back(x);
        std::vector<QRgb> first, a, b;
        pixels.gather(0, picked, first);
        a = first;
        for (int y = 0; y < h; ++y) {
            if (y + 1 < h)
                pixels.gather(y + 1, picked, b);
            else
                b = first;
            quint64 sum = 0;
            for (size_t i = 0; i < picked.size(); ++i)
                sum += step(a[i], b[i]);
            sums[size_t(y)] = sum;
            std::swap(a, b);
        }
        return summarise(sums, columns);
    }
    const QImage& image = pixels.image();
    for (int y = 0; y < h; ++y) {
        const auto* a = image.constScanLine(y);
        const auto* b = image.constScanLine(y + 1 < h ? y + 1 : 0);
        quint64 sum = 0;
        for (int start : starts)
            sum += difference(a + 4 * start, b + 4 * start, 4 * run);
        sums[size_t(y)] = sum;
    }
    return summarise(sums, columns);
}

// The mean step across the seams of a repeat, at the laid tiles' left edges (across) or top
// edges (down), each edge pixel against its neighbour in the tile before. Every seam pixel is
// read: a tile's edges are few pixels beside its area.
double repeatSeam(const Pixels& pixels, const Repeat& repeat, bool acrossEdges)
{
    const QSize tile = pixels.image().size();
    const QSize unit = repeat.unitSize(tile);
    const int length = acrossEdges ? tile.height() : tile.width();
    quint64 sum = 0;
    qint64 count = 0;
    for (const Repeat::Placed& placed : repeat.tiles(tile)) {
        for (int i = 0; i < length; ++i) {
            const QPoint edge = placed.corner + (acrossEdges ? QPoint(0, i) : QPoint(i, 0));
            const QPoint before = edge - (acrossEdges ? QPoint(1, 0) : QPoint(0, 1));
            const auto wrapIn = [&unit](const QPoint& p) {
                const auto w = [](int a, int b) { return ((a % b) + b) % b; };
                return QPoint(w(p.x(), unit.width()), w(p.y(), unit.height()));
            };
            const QPoint a = repeat.cellAt(wrapIn(edge), tile).source;
            const QPoint b = repeat.cellAt(wrapIn(before), tile).source;
            sum += step(pixels.at(a.x(), a.y()), pixels.at(b.x(), b.y()));
            ++count;
        }
    }
    return count > 0 ? double(sum) / double(count) : 0.0;
}

// The step only a hundredth of the counted ones exceed.
int percentile99(const std::vector<quint32>& histogram)
{
    quint64 total = 0;
    for (quint32 n : histogram)
        total += n;
    if (total == 0)
        return int(histogram.size()) - 1;
    const quint64 above = total / 100;
    quint64 seen = 0;
    for (int v = int(histogram.size()) - 1; v >= 0; --v) {
        seen += histogram[size_t(v)];
        if (seen > above)
            return v;
    }
    return 0;
}

} // namespace

int SeamScore::stepBetween(QRgb a, QRgb b)
{
    return int(step(a, b));
}

SeamScore::Steps SeamScore::strongestSteps(const QImage& image)
{
    Steps steps{1020, 1020};
    if (image.isNull())
        return steps;
    const Pixels pixels(image);
    const int w = image.width(), h = image.height();
    std::vector<quint32> histogram(1021);
    if (w >= 2) {
        std::fill(histogram.begin(), histogram.end(), 0);
        for (int y : spread(h, linesFor(w, h)))
            for (int x = 0; x + 1 < w; ++x)
                ++histogram[step(pixels.at(x, y), pixels.at(x + 1, y))];
        steps.across = percentile99(histogram);
    }
    if (h >= 2) {
        std::fill(histogram.begin(), histogram.end(), 0);
        for (int x : spread(w, linesFor(h, w)))
            for (int y = 0; y + 1 < h; ++y)
                ++histogram[step(pixels.at(x, y), pixels.at(x, y + 1))];
        steps.down = percentile99(histogram);
    }
    return steps;
}

SeamScore::Axis SeamScore::across(const QImage& image, const Repeat& repeat)
{
    const Pixels pixels(image);
    Axis axis = ::across(pixels);
    if (axis.exists && !repeat.isStraight())
        axis.seam = repeatSeam(pixels, repeat, true);
    return axis;
}

SeamScore::Axis SeamScore::down(const QImage& image, const Repeat& repeat)
{
    const Pixels pixels(image);
    Axis axis = ::down(pixels);
    if (axis.exists && !repeat.isStraight())
        axis.seam = repeatSeam(pixels, repeat, false);
    return axis;
}

int SeamScore::of(const QImage& image, const Repeat& repeat)
{
    if (repeat.isStraight())
        return of(image);
    if (image.isNull())
        return 100;
    const Pixels pixels(image);
    Axis across = ::across(pixels);
    Axis down = ::down(pixels);
    if (across.exists)
        across.seam = repeatSeam(pixels, repeat, true);
    if (down.exists)
        down.seam = repeatSeam(pixels, repeat, false);
    return std::min(ofAxis(across), ofAxis(down));
}

SeamScore::Axis SeamScore::across(const QImage& image)
{
    return ::across(Pixels(image));
}

SeamScore::Axis SeamScore::down(const QImage& image)
{
    return ::down(Pixels(image));
}

int SeamScore::ofAxis(const Axis& axis)
{
    if (!axis.exists || axis.seam <= axis.strongest)
        return 100;
    if (axis.strongest <= 0)
        return 0;
    const double ratio = axis.seam / axis.strongest;
    return int(std::lround(100.0 / (ratio * ratio)));
}

int SeamScore::of(const QImage& image)
{
    if (image.isNull())
        return 100;
    const Pixels pixels(image);
    return std::min(ofAxis(::across(pixels)), ofAxis(::down(pixels)));
}
