#include "thumbs/DecodeBudget.h"

#include <QIODevice>
#include <QVector>

#include <algorithm>

#include "platform/ImageDecoder.h"

namespace {

using Kind = DecodeBudget::Kind;

constexpr qint64 MiB = DecodeBudget::MiB;
// Buffers, tables and the small pictures of every decode, whatever its kind.
constexpr qint64 Overhead = MiB;
// A header this far into a file is not looked for.
constexpr int MaxJpegMarkers = 256;
constexpr int MaxTiffEntries = 512;

quint32 be16(const QByteArray& b, int at)
{
    return quint32(quint8(b[at])) << 8 | quint8(b[at + 1]);
}

quint32 be32(const QByteArray& b, int at)
{
    return be16(b, at) << 16 | be16(b, at + 2);
}

quint32 le16(const QByteArray& b, int at)
{
    return quint32(quint8(b[at + 1])) << 8 | quint8(b[at]);
}

quint32 le32(const QByteArray& b, int at)
{
    return le16(b, at + 2) << 16 | le16(b, at);
}

QByteArray readAt(QIODevice& file, qint64 offset, int length)
{
    if (offset < 0 || !file.seek(offset))
        return {};
    return file.read(length);
}

qint64 pixels(const QSize& size)
{
    return qint64(size.width()) * size.height();
}

struct JpegFrame
{
    bool found = false;
    bool progressive = false;
    QSize size;
    int components = 0;
    int h[4] = {1, 1, 1, 1};
    int v[4] = {1, 1, 1, 1};
};

JpegFrame readJpegFrame(QIODevice& file, qint64 fileSize)
{
    JpegFrame frame;
    qint64 at = 2;
    for (int markers = 0; markers < MaxJpegMarkers && at + 4 <= fileSize; ++markers) {
        const QByteArray head = readAt(file, at, 4);
        if (head.size() < 4 || quint8(head[0]) != 0xFF)
            return frame;
        const quint32 marker = quint8(head[1]);
        if (marker == 0xFF) { // fill byte
            at += 1;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length follows
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) // the end, or the scans: no frame header came
            return frame;
        const quint32 length = be16(head, 2);
        if (length < 2)
            return frame;
        const bool sof =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof) {
            const QByteArray body =
                readAt(file, at + 4, int(std::min<quint32>(length - 2, 6 + 4 * 3)));
            if (body.size() < 6)
                return frame;
            frame.size = QSize(int(be16(body, 3)), int(be16(body, 1)));
            frame.components = std::clamp(int(quint8(body[5])), 1, 4);
            for (int c = 0; c < frame.components && 6 + 3 * c + 1 < body.size(); ++c) {
                const int sampling = quint8(body[6 + 3 * c + 1]);
                frame.h[c] = std::clamp(sampling >> 4, 1, 4);
                frame.v[c] = std::clamp(sampling & 15, 1, 4);
            }
            frame.progressive =
                marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            frame.found = !frame.size.isEmpty();
            return frame;
        }
        at += 2 + length;
    }
    return frame;
}

qint64 jpegBytes(const JpegFrame& frame, const QSize& target)
{
    int hMax = 1, vMax = 1;
    for (int c = 0; c < frame.components; ++c) {
        hMax = std::max(hMax, frame.h[c]);
        vMax = std::max(vMax, frame.v[c]);
    }
    const qint64 width = frame.size.width();
    const qint64 height = frame.size.height();
    qint64 coefficients = 0; // the whole image's DCT blocks, two bytes a coefficient
    qint64 rows = 0;         // one row of blocks per component, for a sequential decode
    for (int c = 0; c < frame.components; ++c) {
        const qint64 blocksWide = ((width * frame.h[c] + hMax - 1) / hMax + 7) / 8;
        const qint64 blocksHigh = ((height * frame.v[c] + vMax - 1) / vMax + 7) / 8;
        // Rounded up to whole MCUs, as the decoder allocates them.
        const qint64 paddedWide = (blocksWide + frame.h[c] - 1) / frame.h[c] * frame.h[c];
        const qint64 paddedHigh = (blocksHigh + frame.v[c] - 1) / frame.v[c] * frame.v[c];
        coefficients += paddedWide * paddedHigh * 64 * 2;
        rows += paddedWide * frame.v[c] * 64 * 2 + width * frame.v[c] * 8;
    }
    // The decoder's output, and the final scaled copy of it.
    const qint64 output = pixels(DecodeBudget::jpegScaledSize(frame.size, target)) * 4 * 2;
    return (frame.progressive ? coefficients : 0) + rows + output;
}

// Pixels decoded in full at four bytes, and the copy smooth scaling converts them into.
qint64 fullDecodeBytes(const QSize& size, int bytesPerPixel, bool scalingCopies)
{
    return pixels(size) * (bytesPerPixel + (scalingCopies ? 4 : 0));
}

DecodeBudget::Estimate pngEstimate(const QByteArray& head)
{
    DecodeBudget::Estimate e;
    e.kind = Kind::Png;
    if (head.size() < 26 || head.mid(12, 4) != "IHDR")
        return e;
    e.size = QSize(int(std::min<quint32>(be32(head, 16), 1u << 30)),
                   int(std::min<quint32>(be32(head, 20), 1u << 30)));
    const int depth = quint8(head[24]);
    const int colour = quint8(head[25]);
    // 16-bit channels decode to eight bytes a pixel; only 8-bit RGB decodes straight into the
    // format smooth scaling works on.
    const bool wide = depth == 16;
    const bool direct = colour == 2 && depth == 8;
    e.bytes = fullDecodeBytes(e.size, wide ? 8 : 4, !direct);
    return e;
}

DecodeBudget::Estimate gifEstimate(const QByteArray& head)
{
    DecodeBudget::Estimate e;
    e.kind = Kind::Gif;
    if (head.size() < 10)
        return e;
    // Decoded onto the whole logical screen, whatever its frames claim.
    e.size = QSize(int(le16(head, 6)), int(le16(head, 8)));
    e.bytes = fullDecodeBytes(e.size, 4, true);
    return e;
}

// The size and decoded bytes a pixel of a bitmap info header at `at`, as an icon also holds
// one; empty when it is not one.
QSize bitmapInfo(const QByteArray& b, int at, int* bitCount)
{
    if (b.size() < at + 16)
        return {};
    const quint32 headerSize = le32(b, at);
    qint64 width = 0, height = 0;
    if (headerSize == 12) {
        width = le16(b, at + 4);
        height = le16(b, at + 6);
        *bitCount = int(le16(b, at + 10));
    } else if (headerSize >= 40 && b.size() >= at + 16) {
        width = qint32(le32(b, at + 4));
        height = qint32(le32(b, at + 8));
        *bitCount = int(le16(b, at + 14));
    } else {
        return {};
    }
    width = std::min<qint64>(std::abs(width), 1 << 30);
    height = std::min<qint64>(std::abs(height), 1 << 30);
    return {int(width), int(height)};
}

DecodeBudget::Estimate bmpEstimate(const QByteArray& head)
{
    DecodeBudget::Estimate e;
    e.kind = Kind::Bmp;
    int bitCount = 32;
    e.size = bitmapInfo(head, 14, &bitCount);
    // Palette bitmaps decode to a byte a pixel, then smooth scaling converts them to four.
    const bool palette = bitCount <= 8;
    e.bytes = fullDecodeBytes(e.size, palette ? 1 : 4, palette || bitCount == 32);
    return e;
}

DecodeBudget::Estimate icoEstimate(QIODevice& file, const QByteArray& head)
{
    DecodeBudget::Estimate e;
    e.kind = Kind::Ico;
    const int count = std::min<int>(int(le16(head, 4)), QtImageDecoder::MaxIconEntries);
    // Each entry's own header says its real size (the decoder's reading of it): the
    // directory's bytes may understate it, and serve only where the entry says nothing.
    const QVector<QSize> own = QtImageDecoder::iconEntrySizes(file);
    const QByteArray directory = readAt(file, 6, 16 * count);
    for (int i = 0; i * 16 + 16 <= directory.size(); ++i) {
        QSize size = i < own.size() ? own[i] : QSize();
        if (size.isEmpty()) {
            const int w = quint8(directory[i * 16]);
            const int h = quint8(directory[i * 16 + 1]);
            size = QSize(w == 0 ? 256 : w, h == 0 ? 256 : h);
        }
        if (pixels(size) > pixels(e.size))
            e.size = size;
    }
    e.bytes = fullDecodeBytes(e.size, 4, true);
    return e;
}

DecodeBudget::Estimate tiffEstimate(QIODevice& file, const QByteArray& head, qint64 fileSize)
{
    DecodeBudget::Estimate e;
    e.kind = Kind::Tiff;
    const bool little = head.startsWith("II");
    const auto u16 = [little](const QByteArray& b, int at) {
        return little ? le16(b, at) : be16(b, at);
    };
    const auto u32 = [little](const QByteArray& b, int at) {
        return little ? le32(b, at) : be32(b, at);
    };
    const qint64 ifd = u32(head, 4);
    if (ifd < 8 || ifd + 2 > fileSize)
        return e;
    const QByteArray countBytes = readAt(file, ifd, 2);
    if (countBytes.size() < 2)
        return e;
    const int count = std::min<int>(int(u16(countBytes, 0)), MaxTiffEntries);
    const QByteArray entries = readAt(file, ifd + 2, 12 * count);
    qint64 width = 0, height = 0, samples = 1, bits = 8;
    for (int i = 0; (i + 1) * 12 <= entries.size(); ++i) {
        const int at = i * 12;
        const quint32 tag = u16(entries, at);
        const quint32 type = u16(entries, at + 2);
        // A SHORT value sits in the first two bytes of the value field, a LONG in all four.
        const qint64 value = type == 3 ? u16(entries, at + 8) : u32(entries, at + 8);
        if (tag == 256)
            width = value;
        else if (tag == 257)
            height = value;
        else if (tag == 277)
            samples = std::clamp<qint64>(value, 1, 8);
        else if (tag == 258 && u32(entries, at + 4) == 1)
            bits = std::clamp<qint64>(value, 1, 64);
    }
    e.size = QSize(int(std::min<qint64>(width, 1 << 30)), int(std::min<qint64>(height, 1 << 30)));
    const int bytesPerPixel = bits > 8 && samples >= 3 ? 8 : 4;
    e.bytes = fullDecodeBytes(e.size, bytesPerPixel, true);
    return e;
}

DecodeBudget::Estimate webpEstimate(const QByteArray& head)
{
    DecodeBudget::Estimate e;
    e.kind = Kind::WebP;
    if (head.size() < 30)
        return e;
    const QByteArray chunk = head.mid(12, 4);
    if (chunk == "VP8X") {
        e.size = QSize(int(le32(head, 24) & 0xFFFFFF) + 1, int((le32(head, 27) & 0xFFFFFF)) + 1);
    } else if (chunk == "VP8L" && quint8(head[20]) == 0x2F) {
        const quint32 bits = le32(head, 21);
        e.size = QSize(int(bits & 0x3FFF) + 1, int((bits >> 14) & 0x3FFF) + 1);
    } else if (chunk == "VP8 ") {
        e.size = QSize(int(le16(head, 26) & 0x3FFF), int(le16(head, 28) & 0x3FFF));
    }
    e.bytes = fullDecodeBytes(e.size, 4, true);
    return e;
}

} // namespace

DecodeBudget::Estimate DecodeBudget::estimate(QIODevice& file, qint64 fileSize, const QSize& target)
{
    const QByteArray head = readAt(file, 0, 32);
    Estimate e;
    if (head.startsWith("\xFF\xD8")) {
        const JpegFrame frame = readJpegFrame(file, fileSize);
        e.kind = frame.progressive ? Kind::JpegProgressive : Kind::JpegBaseline;
        if (frame.found) {
            e.size = frame.size;
            e.bytes = jpegBytes(frame, target);
        }
    } else if (head.startsWith("\x89PNG\r\n\x1A\n")) {
        e = pngEstimate(head);
    } else if (head.startsWith("GIF8")) {
        e = gifEstimate(head);
    } else if (head.startsWith("BM")) {
        e = bmpEstimate(head);
    } else if (head.size() >= 6 && le16(head, 0) == 0 &&
               (le16(head, 2) == 1 || le16(head, 2) == 2)) {
        e = icoEstimate(file, head);
    } else if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4))) {
        e = tiffEstimate(file, head, fileSize);
    } else if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") {
        e = webpEstimate(head);
    }
    // A header that says nothing usable: what a picture as large as the file could be, at the
    // least a small one. The decoder's own caps stop anything that claims more.
    if (e.bytes <= 0)
        e.bytes = std::clamp<qint64>(fileSize * 4, 4 * MiB, 64 * MiB);
    const qint64 read = fileSize <= WholeReadLimit ? fileSize : 64 * 1024;
    e.bytes += std::max<qint64>(0, read) + Overhead;
    return e;
}

QSize DecodeBudget::jpegScaledSize(const QSize& size, const QSize& target)
{
    if (target.isEmpty())
        return size;
    int denominator = 1;
    while (denominator < 8 && size.width() / (denominator * 2) >= target.width() &&
           size.height() / (denominator * 2) >= target.height())
        denominator *= 2;
    return {(size.width() + denominator - 1) / denominator,
            (size.height() + denominator - 1) / denominator};
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
