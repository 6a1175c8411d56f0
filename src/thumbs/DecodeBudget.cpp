#include "thumbs/DecodeBudget.h"

#include <QIODevice>

#include <algorithm>

#include "platform/ImageDecoder.h"
#include "platform/ImageHeader.h"
#include "platform/ScaledJpegDecoder.h"

namespace {

using Kind = DecodeBudget::Kind;
using Format = ImageHeader::Format;

constexpr qint64 MiB = DecodeBudget::MiB;
// Buffers, tables and the small pictures of every decode, whatever its kind.
constexpr qint64 Overhead = MiB;
// A header that cannot be read to its end may hide the largest picture the caps let through,
// decoded and then copied for smooth scaling.
constexpr qint64 WorstCase = QtImageDecoder::PixelCap * 8;

qint64 pixels(const QSize& size)
{
    return qint64(size.width()) * size.height();
}

// Pixels decoded in full, and the copy smooth scaling converts them into.
qint64 fullDecodeBytes(const QSize& size, int bytesPerPixel, bool scalingCopies)
{
    return pixels(size) * (bytesPerPixel + (scalingCopies ? 4 : 0));
}

Kind kindOf(const ImageHeader& h)
{
    switch (h.format) {
    case Format::Jpeg:
        return h.progressive ? Kind::JpegProgressive : Kind::JpegBaseline;
    case Format::Png:
        return Kind::Png;
    case Format::Gif:
        return Kind::Gif;
    case Format::Bmp:
        return Kind::Bmp;
    case Format::Ico:
    case Format::Cur:
        return Kind::Ico;
    case Format::Tiff:
        return Kind::Tiff;
    case Format::WebP:
        return Kind::WebP;
    case Format::Unknown:
        break;
    }
    return Kind::Unknown;
}

// A sequential decode holds a row of blocks a component (coefficients and samples); a
// multi-scan one every block of the image; both the output and its final scaled copy.
qint64 jpegBytes(const ImageHeader& h, const QSize& target)
{
    int hMax = 1;
    for (int c = 0; c < h.components; ++c)
        hMax = std::max(hMax, h.hSampling[c]);
    qint64 rows = 0;
    for (int c = 0; c < h.components; ++c)
        rows += (qint64(h.size.width()) * h.hSampling[c] / hMax + 16) * h.vSampling[c] * 8 * 3;
    const qint64 output = pixels(ScaledJpegDecoder::reducedSize(h.size, target)) * 4 * 2;
    return h.wholeImageBufferBytes() + rows + output;
}

qint64 tiffBytes(const ImageHeader& h)
{
    // Wide and floating-point samples decode to 8 or 16 bytes a pixel, beside the strip
    // buffer the library reads them into.
    const int decoded = h.floatingPoint || h.bitsPerSample > 16 ? 16 : h.bitsPerSample > 8 ? 8 : 4;
    const int stored = (h.bitsPerSample * h.samples + 7) / 8;
    return fullDecodeBytes(h.size, decoded + stored, true);
}

qint64 decodeBytes(const ImageHeader& h, const QSize& target)
{
    switch (h.format) {
    case Format::Jpeg:
        return jpegBytes(h, target);
    case Format::Png: {
        // 16-bit channels decode to eight bytes a pixel; only 8-bit RGB decodes straight into
        // the format smooth scaling works on.
        const bool direct = !h.indexed && h.samples == 3 && h.bitsPerSample == 8;
        return fullDecodeBytes(h.size, h.bitsPerSample == 16 ? 8 : 4, !direct);
    }
    case Format::Bmp:
        // Palette bitmaps decode to a byte a pixel, then smooth scaling converts them to four.
        return fullDecodeBytes(h.size, h.indexed ? 1 : 4, h.indexed || h.bitsPerPixel == 32);
    case Format::Tiff:
        return tiffBytes(h);
    case Format::Gif:
    case Format::Ico:
    case Format::Cur:
    case Format::WebP:
        return fullDecodeBytes(h.size, 4, true);
    case Format::Unknown:
        break;
    }
    return 0;
}

} // namespace

DecodeBudget::Estimate DecodeBudget::estimate(QIODevice& file, qint64 fileSize, const QSize& target)
{
    const ImageHeader header = ImageHeader::read(file);
    Estimate e;
    e.kind = kindOf(header);
    if (header.reading != ImageHeader::Reading::Refused)
        e.size = header.size;
    if (header.format == Format::Unknown) {
        // Not a raster picture (a drawing, or not a picture at all): what one as large as the
        // file could be, at the least a small one.
        e.bytes = std::clamp<qint64>(fileSize * 4, 4 * MiB, 64 * MiB);
    } else if (header.reading == ImageHeader::Reading::Partial) {
        e.bytes = WorstCase;
    } else if (header.reading == ImageHeader::Reading::Complete) {
        e.bytes = decodeBytes(header, target);
    }
    // A refused file is not decoded at all.
    const qint64 read = fileSize <= WholeReadLimit ? fileSize : 64 * 1024;
    e.bytes += std::max<qint64>(0, read) + Overhead;
    return e;
}

int DecodeBudget::pick(const std::vector<qint64>& costs, std::size_t from) const
{
    for (std::size_t i = from; i < costs.size(); ++i) {
        if (costs[i] < 0)
            continue;
        if (m_running == 0 || m_inFlight + costs[i] <= m_limit)
            return int(i);
    }
    return -1;
}

void DecodeBudget::started(qint64 cost)
{
    m_inFlight += cost;
    ++m_running;
}

void DecodeBudget::finished(qint64 cost)
{
    m_inFlight -= cost;
    --m_running;
}
