#include "platform/ImageHeader.h"

#include <QBuffer>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace {

using Format = ImageHeader::Format;
using Reading = ImageHeader::Reading;

constexpr double MetresPerInch = 0.0254;
constexpr double CentimetresPerInch = 2.54;

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

int side(qint64 value)
{
    return int(std::min<qint64>(std::abs(value), ImageHeader::MaxReportedSide));
}

std::optional<double> dotsPerInch(double perUnit, double unitsPerInch)
{
    const double dpi = perUnit * unitsPerInch;
    if (!(dpi > 0) || dpi > 1e6)
        return std::nullopt;
    return dpi;
}

// A window over the device, so that walks of many small segments do not read byte by byte.
class Bytes
{
public:
    explicit Bytes(QIODevice& device) : m_device(device), m_size(device.size()) {}

    qint64 size() const { return m_size; }

    // Up to `length` bytes at `pos`: fewer at the file's end, none past it.
    QByteArray at(qint64 pos, qint64 length)
    {
        if (pos < 0 || pos >= m_size || length <= 0)
            return {};
        length = std::min(length, m_size - pos);
        if (!cover(pos, length))
            return {};
        return m_window.mid(qsizetype(pos - m_start), qsizetype(length));
    }

    // The byte at `pos`, or -1 past the end.
    int byte(qint64 pos)
    {
        if (pos < 0 || pos >= m_size || !cover(pos, 1))
            return -1;
        return quint8(m_window[qsizetype(pos - m_start)]);
    }

    // Where the next `c` at or after `from` is, or -1.
    qint64 find(char c, qint64 from)
    {
        while (from >= 0 && from < m_size) {
            if (!cover(from, 1))
                return -1;
            const char* begin = m_window.constData() + (from - m_start);
            const qint64 left = m_window.size() - (from - m_start);
            const void* hit = std::memchr(begin, c, std::size_t(left));
            if (hit)
                return from + (static_cast<const char*>(hit) - begin);
            from += left;
        }
        return -1;
    }

private:
    // Most headers sit in the first few kilobytes; a walk that goes on through the file reads
    // ever larger windows.
    static constexpr qint64 FirstWindow = 4 * 1024;
    static constexpr qint64 LargestWindow = 64 * 1024;

    bool cover(qint64 pos, qint64 length)
    {
        if (pos >= m_start && pos + length <= m_start + m_window.size())
            return true;
        if (!m_device.seek(pos))
            return false;
        m_window = m_device.read(std::max(length, m_nextWindow));
        m_nextWindow = std::min(m_nextWindow * 2, LargestWindow);
        m_start = pos;
        return m_window.size() >= length;
    }

    QIODevice& m_device;
    qint64 m_size;
    QByteArray m_window;
    qint64 m_start = 0;
    qint64 m_nextWindow = FirstWindow;
};

enum class Walk
{
    Stopped, // the visitor asked to stop
    Ended,   // the end marker was reached
    Cut      // the file ended first, or broke its own structure
};

// Every marker segment of a JPEG in file order, found as libjpeg finds them: bytes that are
// not a marker are skipped, and so are fill bytes and the stuffed zeros and restart markers
// of the entropy-coded data, which is how the data after a scan header is stepped over.
// `visit(marker, at, length)` gets the segment's body position and its length (which counts
// its own two bytes) and returns whether to go on.
template <typename Visit> Walk walkJpeg(Bytes& b, Visit&& visit)
{
    qint64 pos = 2;
    for (;;) {
        pos = b.find('\xFF', pos);
        if (pos < 0)
            return Walk::Cut;
        while (b.byte(pos) == 0xFF)
            ++pos;
        const int marker = b.byte(pos++);
        if (marker < 0)
            return Walk::Cut;
        if (marker == 0xD9)
            return Walk::Ended;
        if (marker == 0x00 || marker == 0x01 || marker == 0xD8 ||
            (marker >= 0xD0 && marker <= 0xD7))
            continue;
        const QByteArray lengthBytes = b.at(pos, 2);
        if (lengthBytes.size() < 2)
            return Walk::Cut;
        const qint64 length = be16(lengthBytes, 0);
        if (length < 2 || pos + length > b.size())
            return Walk::Cut;
        if (!visit(marker, pos + 2, length))
            return Walk::Stopped;
        pos += length;
    }
}

bool isFrameMarker(int marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

void readJpeg(Bytes& b, ImageHeader& h)
{
    bool frame = false;
    int frameComponents = 0;
    walkJpeg(b, [&](int marker, qint64 at, qint64 length) {
        if (marker == 0xE0 && length >= 16 && !h.dotsPerInchX) {
            const QByteArray jfif = b.at(at, 12);
            if (jfif.size() == 12 && jfif.startsWith(QByteArray("JFIF\0", 5))) {
                const int units = quint8(jfif[7]);
                const double perInch = units == 1 ? 1 : units == 2 ? CentimetresPerInch : 0;
                h.dotsPerInchX = dotsPerInch(be16(jfif, 8), perInch);
                h.dotsPerInchY = dotsPerInch(be16(jfif, 10), perInch);
                if (!h.dotsPerInchX || !h.dotsPerInchY)
                    h.dotsPerInchX = h.dotsPerInchY = std::nullopt;
            }
        } else if (isFrameMarker(marker) && !frame) {
            const QByteArray body =
                b.at(at, std::min<qint64>(length - 2, 6 + 3 * ImageHeader::MaxComponents));
            if (body.size() < 6)
                return false;
            frame = true;
            h.size = QSize(int(be16(body, 3)), int(be16(body, 1)));
            frameComponents = quint8(body[5]);
            h.components = std::clamp(frameComponents, 1, int(ImageHeader::MaxComponents));
            h.samples = h.components;
            h.bitsPerSample = quint8(body[0]);
            for (int c = 0; c < h.components && 6 + 3 * c + 1 < body.size(); ++c) {
                const int sampling = quint8(body[6 + 3 * c + 1]);
                h.hSampling[c] = std::clamp(sampling >> 4, 1, 4);
                h.vSampling[c] = std::clamp(sampling & 15, 1, 4);
            }
            h.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            h.multiScan = h.progressive;
        } else if (marker == 0xDA) {
            // The first scan decides: one holding fewer components than the frame means more
            // scans follow, and the decoder buffers the whole image for them.
            if (frame && b.byte(at) < frameComponents)
                h.multiScan = true;
            return false;
        }
        return true;
    });
    // Without a frame of some size the decoder stops before it allocates anything.
    if (frame && !h.size.isEmpty()) {
        h.reading = Reading::Complete;
    } else {
        h.reading = Reading::Refused;
        h.refusal = QStringLiteral("The picture has no frame header");
    }
}

// Inflates zlib data, nothing when it is damaged or longer than `limit`.
std::optional<QByteArray> inflated(const QByteArray& data, int limit)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return std::nullopt;
    QByteArray output(limit + 1, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(output.data());
    stream.avail_out = uInt(output.size());
    const int status = inflate(&stream, Z_FINISH);
    const qsizetype produced = output.size() - qsizetype(stream.avail_out);
    inflateEnd(&stream);
    if (status != Z_STREAM_END || produced > limit)
        return std::nullopt;
    output.resize(produced);
    return output;
}

void readPngText(const QByteArray& type, const QByteArray& body, ImageHeader& h)
{
    const qsizetype keyEnd = body.indexOf('\0');
    if (keyEnd <= 0)
        return;
    const QString key = QString::fromLatin1(body.left(keyEnd));
    std::optional<QByteArray> value;
    bool utf8 = false;
    if (type == "tEXt") {
        value = body.mid(keyEnd + 1);
    } else if (type == "zTXt") {
        if (keyEnd + 2 <= body.size() && body[keyEnd + 1] == 0)
            value = inflated(body.mid(keyEnd + 2), ImageHeader::MaxTextBytes);
    } else {
        // iTXt: compression flag and method, language and translated key, then the text.
        utf8 = true;
        const qsizetype language = keyEnd + 3;
        const qsizetype languageEnd = body.indexOf('\0', language);
        const qsizetype translatedEnd = languageEnd < 0 ? -1 : body.indexOf('\0', languageEnd + 1);
        if (language > body.size() || translatedEnd < 0)
            return;
        const QByteArray raw = body.mid(translatedEnd + 1);
        if (body[keyEnd + 1] == 0)
            value = raw;
        else if (body[keyEnd + 2] == 0)
            value = inflated(raw, ImageHeader::MaxTextBytes);
    }
    if (value)
        h.text.insert(key, utf8 ? QString::fromUtf8(*value) : QString::fromLatin1(*value));
}

// Chunk by chunk to IEND. Chunks that libpng keeps whole must fit in the file and stay
// small; a critical chunk cut by the file's end is a picture still being written.
void readPng(Bytes& b, ImageHeader& h, bool* ended)
{
    *ended = false;
    const auto refuse = [&h](const char* why) {
        h.reading = Reading::Refused;
        h.refusal = QString::fromLatin1(why);
    };
    qint64 pos = 8;
    bool first = true;
    while (pos + 8 <= b.size()) {
        const QByteArray head = b.at(pos, 8);
        if (head.size() < 8)
            break;
        const qint64 length = be32(head, 0);
        const QByteArray type = head.mid(4, 4);
        const bool ancillary = (quint8(type[0]) & 0x20) != 0;
        const qint64 end = pos + 12 + length;
        if (length > 0x7FFFFFFF || length > b.size())
            return refuse("A chunk is longer than the file");
        if (ancillary && (end > b.size() || length > ImageHeader::MaxAncillaryChunk))
            return refuse("A metadata chunk is too long");
        if (first) {
            if (type != "IHDR" || length < 13)
                return refuse("The picture has no header chunk");
            const QByteArray ihdr = b.at(pos + 8, 13);
            if (ihdr.size() < 13)
                return refuse("The picture has no header chunk");
            h.size = QSize(side(be32(ihdr, 0)), side(be32(ihdr, 4)));
            h.bitsPerSample = quint8(ihdr[8]);
            const int colour = quint8(ihdr[9]);
            h.indexed = colour == 3;
            h.samples = colour == 2 ? 3 : colour == 4 ? 2 : colour == 6 ? 4 : 1;
            h.bitsPerPixel = h.bitsPerSample * h.samples;
            h.progressive = ihdr[12] != 0;
            if (h.size.isEmpty())
                return refuse("The picture has no size");
            h.reading = Reading::Complete;
            first = false;
        } else if (type == "IEND") {
            *ended = end <= b.size();
            return;
        } else if (type == "pHYs" && length >= 9) {
            const QByteArray phys = b.at(pos + 8, 9);
            if (phys.size() == 9 && phys[8] == 1) {
                h.dotsPerInchX = dotsPerInch(be32(phys, 0), MetresPerInch);
                h.dotsPerInchY = dotsPerInch(be32(phys, 4), MetresPerInch);
            }
        } else if (type == "acTL" && length >= 8) {
            const QByteArray actl = b.at(pos + 8, 4);
            if (actl.size() == 4)
                h.frames = int(std::clamp<quint32>(be32(actl, 0), 1, 1 << 20));
        } else if ((type == "tEXt" || type == "zTXt" || type == "iTXt") &&
                   length <= ImageHeader::MaxTextBytes) {
            readPngText(type, b.at(pos + 8, length), h);
        }
        pos = end;
    }
    if (first)
        refuse("The picture has no header chunk");
}

qint64 gifColourTable(int flags)
{
    return flags & 0x80 ? 3 * (qint64(2) << (flags & 7)) : 0;
}

// Block by block to the trailer, counting the frames.
void readGif(Bytes& b, ImageHeader& h, bool* ended)
{
    *ended = false;
    const QByteArray head = b.at(0, 13);
    if (head.size() < 13)
        return;
    const QSize screen(int(le16(head, 6)), int(le16(head, 8)));
    h.size = screen;
    h.indexed = true;
    h.frames = 0;
    qint64 pos = 13 + gifColourTable(quint8(head[10]));
    const auto skipSubBlocks = [&b, &pos] {
        for (;;) {
            const int length = b.byte(pos++);
            if (length < 0)
                return false;
            if (length == 0)
                return true;
            pos += length;
        }
    };
    for (;;) {
        const int block = b.byte(pos++);
        if (block == 0x3B) {
            *ended = true;
            break;
        }
        if (block == 0x21) {
            ++pos; // the extension's label
            if (!skipSubBlocks())
                break;
        } else if (block == 0x2C) {
            const QByteArray d = b.at(pos, 9);
            if (d.size() < 9)
                break;
            if (h.frames == 0) {
                // Qt draws the first frame onto the screen, grown to the frame's extent where
                // the screen is empty or smaller.
                h.frameSize = QSize(int(le16(d, 4)), int(le16(d, 6)));
                h.size = screen.expandedTo(
                    QSize(int(le16(d, 0) + le16(d, 4)), int(le16(d, 2) + le16(d, 6))));
                h.progressive = (quint8(d[8]) & 0x40) != 0;
            }
            ++h.frames;
            pos += 9 + gifColourTable(quint8(d[8])) + 1; // and the LZW code size
            if (!skipSubBlocks())
                break;
        } else {
            break;
        }
    }
    h.reading = h.frames > 0 && !h.size.isEmpty() ? Reading::Complete : Reading::Partial;
    h.frames = std::max(h.frames, 1);
}

void readBmp(Bytes& b, ImageHeader& h)
{
    const QByteArray head = b.at(0, 46);
    if (head.size() < 30)
        return;
    const quint32 infoSize = le32(head, 14);
    qint64 width = 0;
    qint64 height = 0;
    if (infoSize == 12) {
        width = le16(head, 18);
        height = le16(head, 20);
        h.bitsPerPixel = int(le16(head, 24));
    } else if (infoSize >= 40) {
        width = qint32(le32(head, 18));
        height = qint32(le32(head, 22));
        h.bitsPerPixel = int(le16(head, 28));
        if (head.size() >= 46) {
            h.dotsPerInchX = dotsPerInch(qint32(le32(head, 38)), MetresPerInch);
            h.dotsPerInchY = dotsPerInch(qint32(le32(head, 42)), MetresPerInch);
        }
    } else {
        return;
    }
    h.size = QSize(side(width), side(height));
    h.indexed = h.bitsPerPixel <= 8;
    h.reading = h.size.isEmpty() ? Reading::Partial : Reading::Complete;
}

void readIcon(Bytes& b, QIODevice& device, ImageHeader& h)
{
    const QVector<QSize> own = ImageHeader::iconEntrySizes(device);
    const QByteArray head = b.at(0, 6);
    const int count =
        head.size() < 6 ? 0 : std::min<int>(int(le16(head, 4)), ImageHeader::MaxIconEntries);
    // The directory's bytes may understate an entry, and serve only where its own header says
    // nothing.
    const QByteArray directory = b.at(6, 16 * count);
    for (int i = 0; i * 16 + 16 <= directory.size(); ++i) {
        QSize size = i < own.size() ? own[i] : QSize();
        if (size.isEmpty()) {
            const int w = quint8(directory[i * 16]);
            const int h = quint8(directory[i * 16 + 1]);
            size = QSize(w == 0 ? 256 : w, h == 0 ? 256 : h);
        }
        if (qint64(size.width()) * size.height() > qint64(h.size.width()) * h.size.height())
            h.size = size;
    }
    h.frames = std::max(1, count);
    h.reading = h.size.isEmpty() ? Reading::Partial : Reading::Complete;
}

void readTiff(Bytes& b, ImageHeader& h)
{
    const QByteArray head = b.at(0, 8);
    const bool little = head.startsWith("II");
    const auto u16 = [little](const QByteArray& x, int at) {
        return little ? le16(x, at) : be16(x, at);
    };
    const auto u32 = [little](const QByteArray& x, int at) {
        return little ? le32(x, at) : be32(x, at);
    };
    const qint64 ifd = u32(head, 4);
    const QByteArray countBytes = b.at(ifd, 2);
    if (ifd < 8 || countBytes.size() < 2)
        return;
    const int count = int(u16(countBytes, 0));
    const QByteArray entries = b.at(ifd + 2, 12 * qint64(count));
    // The values of an entry: inline when they fit in four bytes, else at the offset given.
    const auto values = [&](int at, int most) {
        QVector<qint64> out;
        const quint32 type = u16(entries, at + 2);
        const int width = type == 3 ? 2 : type == 4 ? 4 : type == 1 ? 1 : 0;
        const qint64 n = std::min<qint64>(u32(entries, at + 4), most);
        if (width == 0 || n <= 0)
            return out;
        const QByteArray data = qint64(width) * u32(entries, at + 4) <= 4
                                    ? entries.mid(at + 8, 4)
                                    : b.at(u32(entries, at + 8), width * n);
        for (int i = 0; (i + 1) * width <= data.size() && i < n; ++i)
            out.append(width == 2   ? u16(data, i * 2)
                       : width == 4 ? u32(data, i * 4)
                                    : quint8(data[i]));
        return out;
    };
    const auto rational = [&](int at) -> double {
        const QByteArray r = b.at(u32(entries, at + 8), 8);
        if (u16(entries, at + 2) != 5 || r.size() < 8 || u32(r, 4) == 0)
            return 0;
        return double(u32(r, 0)) / u32(r, 4);
    };
    qint64 width = 0;
    qint64 height = 0;
    int unit = 2;
    double x = 0;
    double y = 0;
    h.samples = 1;
    h.bitsPerSample = 1;
    for (int i = 0; (i + 1) * 12 <= entries.size(); ++i) {
        const int at = i * 12;
        const quint32 tag = u16(entries, at);
        const QVector<qint64> v = tag == 258 ? values(at, 16) : values(at, 1);
        const qint64 first = v.isEmpty() ? 0 : v[0];
        if (tag == 256)
            width = first;
        else if (tag == 257)
            height = first;
        else if (tag == 258 && !v.isEmpty())
            h.bitsPerSample = int(std::clamp<qint64>(*std::max_element(v.begin(), v.end()), 1, 64));
        else if (tag == 277)
            h.samples = int(std::clamp<qint64>(first, 1, 16));
        else if (tag == 262)
            h.indexed = first == 3;
        else if (tag == 339)
            h.floatingPoint = first == 3;
        else if (tag == 282)
            x = rational(at);
        else if (tag == 283)
            y = rational(at);
        else if (tag == 296)
            unit = int(first);
    }
    h.size = QSize(side(width), side(height));
    h.bitsPerPixel = h.bitsPerSample * h.samples;
    const double perInch = unit == 2 ? 1 : unit == 3 ? CentimetresPerInch : 0;
    h.dotsPerInchX = dotsPerInch(x, perInch);
    h.dotsPerInchY = dotsPerInch(y, perInch);
    if (!h.dotsPerInchX || !h.dotsPerInchY)
        h.dotsPerInchX = h.dotsPerInchY = std::nullopt;
    h.reading = h.size.isEmpty() ? Reading::Partial : Reading::Complete;
}

void readWebP(Bytes& b, ImageHeader& h)
{
    const QByteArray head = b.at(0, 30);
    if (head.size() < 30)
        return;
    const QByteArray chunk = head.mid(12, 4);
    if (chunk == "VP8X") {
        h.size = QSize(int(le32(head, 24) & 0xFFFFFF) + 1, int(le32(head, 27) & 0xFFFFFF) + 1);
    } else if (chunk == "VP8L" && quint8(head[20]) == 0x2F) {
        const quint32 bits = le32(head, 21);
        h.size = QSize(int(bits & 0x3FFF) + 1, int((bits >> 14) & 0x3FFF) + 1);
    } else if (chunk == "VP8 ") {
        h.size = QSize(int(le16(head, 26) & 0x3FFF), int(le16(head, 28) & 0x3FFF));
    }
    h.samples = 4;
    h.reading = h.size.isEmpty() ? Reading::Partial : Reading::Complete;
}

bool bmpComplete(const QByteArray& head, qint64 size)
{
    if (head.size() < 14)
        return false;
    // Writers that leave the length 0 are taken at their word that the pixels start inside.
    const qint64 stated = le32(head, 2);
    const qint64 pixels = le32(head, 10);
    return stated > 0 ? size >= stated : size > pixels;
}

} // namespace

ImageHeader ImageHeader::read(QIODevice& device)
{
    ImageHeader h;
    Bytes b(device);
    h.format = formatOf(b.at(0, SignatureBytes));
    bool ended = false;
    switch (h.format) {
    case Format::Unknown:
        break;
    case Format::Jpeg:
        readJpeg(b, h);
        break;
    case Format::Png:
        readPng(b, h, &ended);
        break;
    case Format::Gif:
        readGif(b, h, &ended);
        break;
    case Format::Bmp:
        readBmp(b, h);
        break;
    case Format::Ico:
    case Format::Cur:
        readIcon(b, device, h);
        break;
    case Format::Tiff:
        readTiff(b, h);
        break;
    case Format::WebP:
        readWebP(b, h);
        break;
    }
    if (h.frameSize.isEmpty())
        h.frameSize = h.size;
    device.seek(0);
    return h;
}

ImageHeader ImageHeader::read(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return read(buffer);
}

ImageHeader::Format ImageHeader::formatOf(const QByteArray& head)
{
    const auto startsWith = [&head](const char* magic, qsizetype length, qsizetype at = 0) {
        return head.size() >= at + length && head.mid(at, length) == QByteArray(magic, length);
    };
    if (startsWith("\x89PNG\r\n\x1a\n", 8))
        return Format::Png;
    if (startsWith("\xff\xd8\xff", 3))
        return Format::Jpeg;
    if (startsWith("GIF87a", 6) || startsWith("GIF89a", 6))
        return Format::Gif;
    if (startsWith("BM", 2))
        return Format::Bmp;
    if (startsWith("\0\0\1\0", 4))
        return Format::Ico;
    if (startsWith("\0\0\2\0", 4))
        return Format::Cur;
    if (startsWith("RIFF", 4) && startsWith("WEBP", 4, 8))
        return Format::WebP;
    if (startsWith("II*\0", 4) || startsWith("MM\0*", 4))
        return Format::Tiff;
    return Format::Unknown;
}

QByteArray ImageHeader::formatName(Format format)
{
    switch (format) {
    case Format::Unknown:
        break;
    case Format::Png:
        return "png";
    case Format::Jpeg:
        return "jpeg";
    case Format::Gif:
        return "gif";
    case Format::Bmp:
        return "bmp";
    case Format::Ico:
        return "ico";
    case Format::Cur:
        return "cur";
    case Format::WebP:
        return "webp";
    case Format::Tiff:
        return "tiff";
    }
    return {};
}

qint64 ImageHeader::coefficientBytes() const
{
    int hMax = 1;
    int vMax = 1;
    for (int c = 0; c < components; ++c) {
        hMax = std::max(hMax, hSampling[c]);
        vMax = std::max(vMax, vSampling[c]);
    }
    const qint64 width = size.width();
    const qint64 height = size.height();
    qint64 bytes = 0;
    for (int c = 0; c < components; ++c) {
        const qint64 blocksWide = ((width * hSampling[c] + hMax - 1) / hMax + 7) / 8;
        const qint64 blocksHigh = ((height * vSampling[c] + vMax - 1) / vMax + 7) / 8;
        // Rounded up to whole MCUs, as the decoder allocates them.
        const qint64 paddedWide = (blocksWide + hSampling[c] - 1) / hSampling[c] * hSampling[c];
        const qint64 paddedHigh = (blocksHigh + vSampling[c] - 1) / vSampling[c] * vSampling[c];
        bytes += paddedWide * paddedHigh * 64 * 2;
    }
    return bytes;
}

QVector<QSize> ImageHeader::iconEntrySizes(QIODevice& device)
{
    QVector<QSize> sizes;
    Bytes b(device);
    const QByteArray header = b.at(0, 6);
    if (header.size() < 6)
        return sizes;
    const int count = std::min<int>(int(le16(header, 4)), MaxIconEntries);
    const QByteArray directory = b.at(6, qint64(count) * 16);
    for (int index = 0; index * 16 + 16 <= directory.size(); ++index) {
        const qint64 offset = le32(directory, index * 16 + 12);
        const QByteArray own = b.at(offset, 24);
        QSize size;
        if (own.size() >= 24 && formatOf(own) == Format::Png) {
            size = QSize(side(be32(own, 16)), side(be32(own, 20)));
        } else if (own.size() >= 12 && le32(own, 0) >= 12) {
            // The bitmap header's height counts the colour rows and the mask rows.
            size = QSize(side(qint32(le32(own, 4))), side(qint32(le32(own, 8)) / 2));
        }
        sizes.append(size.isEmpty() ? QSize() : size);
    }
    device.seek(0);
    return sizes;
}

bool ImageHeader::isComplete(QIODevice& device)
{
    Bytes b(device);
    bool ended = true;
    ImageHeader h;
    switch (formatOf(b.at(0, SignatureBytes))) {
    case Format::Jpeg:
        ended = walkJpeg(b, [](int, qint64, qint64) { return true; }) == Walk::Ended;
        break;
    case Format::Png:
        readPng(b, h, &ended);
        break;
    case Format::Gif:
        readGif(b, h, &ended);
        break;
    case Format::Bmp:
        ended = bmpComplete(b.at(0, 14), b.size());
        break;
    default:
        break;
    }
    device.seek(0);
    return ended;
}

bool ImageHeader::endsComplete(const QByteArray& head, const QByteArray& tail, qint64 size)
{
    switch (formatOf(head)) {
    case Format::Jpeg:
        return tail.contains("\xFF\xD9");
    case Format::Png: {
        const qsizetype end = tail.lastIndexOf("IEND");
        return end >= 0 && tail.size() - end >= 8;
    }
    case Format::Gif:
        return tail.endsWith(';');
    case Format::Bmp:
        return bmpComplete(head, size);
    default:
        return true;
    }
}
