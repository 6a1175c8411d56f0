#include "platform/ImageCompleteness.h"

#include <QtEndian>

#include <cstring>

#include "platform/ImageDecoder.h"

namespace {

quint8 byteAt(const QByteArray& bytes, qint64 at)
{
    return quint8(bytes[qsizetype(at)]);
}

// Segment by segment to the end-of-image marker; trailing bytes after it are allowed. Inside
// the compressed data a 0xFF byte is followed by 0x00 or a restart marker, so the next real
// marker is found without decoding. A thumbnail inside the header has its own end marker,
// which the walk steps over with its segment.
bool jpegComplete(const QByteArray& bytes)
{
    const qint64 n = bytes.size();
    qint64 pos = 2;
    while (pos < n) {
        if (byteAt(bytes, pos) != 0xFF) {
            ++pos; // stray byte between segments: look for the next marker
            continue;
        }
        while (pos < n && byteAt(bytes, pos) == 0xFF)
            ++pos;
        if (pos >= n)
            return false;
        const quint8 marker = byteAt(bytes, pos++);
        if (marker == 0xD9)
            return true;
        const bool standalone =
            marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7);
        if (standalone || marker == 0x00)
            continue;
        if (pos + 2 > n)
            return false;
        const qint64 length = qFromBigEndian<quint16>(bytes.constData() + pos);
        if (length < 2)
            return false;
        pos += length;
        if (pos > n)
            return false;
        if (marker != 0xDA)
            continue;
        // Entropy-coded data up to the next marker that is not a restart.
        for (;;) {
            const void* found = std::memchr(bytes.constData() + pos, 0xFF, std::size_t(n - pos));
            if (!found)
                return false;
            pos = static_cast<const char*>(found) - bytes.constData();
            if (pos + 1 >= n)
                return false;
            const quint8 next = byteAt(bytes, pos + 1);
            if (next == 0x00 || next == 0xFF || (next >= 0xD0 && next <= 0xD7)) {
                pos += next == 0xFF ? 1 : 2;
                continue;
            }
            break;
        }
    }
    return false;
}

// Chunk by chunk to IEND and its checksum.
bool pngComplete(const QByteArray& bytes)
{
    const qint64 n = bytes.size();
    qint64 pos = 8;
    while (pos + 8 <= n) {
        const qint64 length = qFromBigEndian<quint32>(bytes.constData() + pos);
        const qint64 end = pos + 12 + length;
        if (end > n)
            return false;
        if (std::memcmp(bytes.constData() + pos + 4, "IEND", 4) == 0)
            return true;
        pos = end;
    }
    return false;
}

// Block by block to the trailer byte.
bool gifComplete(const QByteArray& bytes)
{
    const qint64 n = bytes.size();
    if (n < 13)
        return false;
    const auto colourTable = [](quint8 flags) -> qint64 {
        return flags & 0x80 ? 3 * (qint64(2) << (flags & 7)) : 0;
    };
    qint64 pos = 13 + colourTable(byteAt(bytes, 10));
    const auto skipSubBlocks = [&bytes, n, &pos] {
        for (;;) {
            if (pos >= n)
                return false;
            const quint8 length = byteAt(bytes, pos++);
            if (length == 0)
                return true;
            pos += length;
        }
    };
    while (pos < n) {
        const quint8 block = byteAt(bytes, pos++);
        if (block == 0x3B)
            return true;
        if (block == 0x21) {
            ++pos; // the extension's label
            if (!skipSubBlocks())
                return false;
        } else if (block == 0x2C) {
            if (pos + 9 > n)
                return false;
            pos += 9 + colourTable(byteAt(bytes, pos + 8));
            ++pos; // the LZW code size
            if (!skipSubBlocks())
                return false;
        } else {
            return false;
        }
    }
    return false;
}

// At least as long as the file header says; writers that leave that field 0 are taken at their
// word that the pixels start inside the file.
bool bmpComplete(const QByteArray& head, qint64 size)
{
    if (head.size() < 14)
        return false;
    const qint64 stated = qFromLittleEndian<quint32>(head.constData() + 2);
    const qint64 pixels = qFromLittleEndian<quint32>(head.constData() + 10);
    return stated > 0 ? size >= stated : size > pixels;
}

} // namespace

bool ImageCompleteness::isComplete(const QByteArray& bytes)
{
    const QByteArray format = QtImageDecoder::rasterFormat(bytes.left(HeadBytes));
    if (format == "jpeg")
        return jpegComplete(bytes);
    if (format == "png")
        return pngComplete(bytes);
    if (format == "gif")
        return gifComplete(bytes);
    if (format == "bmp")
        return bmpComplete(bytes, bytes.size());
    return true;
}

bool ImageCompleteness::isComplete(const QByteArray& head, const QByteArray& tail, qint64 size)
{
    const QByteArray format = QtImageDecoder::rasterFormat(head);
    if (format == "jpeg")
        return tail.contains("\xFF\xD9");
    if (format == "png") {
        const qsizetype end = tail.lastIndexOf("IEND");
        return end >= 0 && tail.size() - end >= 8;
    }
    if (format == "gif")
        return tail.endsWith(';');
    if (format == "bmp")
        return bmpComplete(head, size);
    return true;
}
