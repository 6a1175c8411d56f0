#pragma once

// The file formats Qt cannot write deterministically here: GIF (no writer at all) and ICO
// (uninitialised mask padding), plus the plain save of the other formats.

#include "Patterns.h"

namespace samples {

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

} // namespace samples
