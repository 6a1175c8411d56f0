#include <QtTest>

#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <QtEndian>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <malloc.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ImageDecoder.h"
#include "platform/ImageHeader.h"
#include "platform/SafeFile.h"
#include "thumbs/DecodeBudget.h"
#include "thumbs/ThumbnailCache.h"

// Every allocation of this executable passes through here, whichever library makes it, so that
// the heap one decode needs can be measured.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* pointer);
}

namespace heap {

std::atomic<qint64> inUse{0};
std::atomic<qint64> peak{0};

void* added(void* pointer)
{
    if (pointer) {
        const qint64 now = inUse += qint64(malloc_usable_size(pointer));
        qint64 seen = peak.load();
        while (now > seen && !peak.compare_exchange_weak(seen, now)) {
        }
    }
    return pointer;
}

// How far the heap grew above its size at the start while `work` ran.
template <typename Work> qint64 growth(Work&& work)
{
    const qint64 start = inUse.load();
    peak = start;
    work();
    return peak.load() - start;
}

} // namespace heap

extern "C" void* malloc(size_t size) noexcept
{
    return heap::added(__libc_malloc(size));
}

extern "C" void* calloc(size_t count, size_t size) noexcept
{
    return heap::added(__libc_calloc(count, size));
}

extern "C" void* realloc(void* pointer, size_t size) noexcept
{
    const qint64 old = pointer ? qint64(malloc_usable_size(pointer)) : 0;
    void* moved = __libc_realloc(pointer, size);
    if (moved || size == 0) {
        heap::inUse -= old;
        heap::added(moved);
    }
    return moved;
}

extern "C" void* memalign(size_t alignment, size_t size) noexcept
{
    return heap::added(__libc_memalign(alignment, size));
}

extern "C" void* aligned_alloc(size_t alignment, size_t size) noexcept
{
    return heap::added(__libc_memalign(alignment, size));
}

extern "C" int posix_memalign(void** out, size_t alignment, size_t size) noexcept
{
    *out = heap::added(__libc_memalign(alignment, size));
    return *out ? 0 : ENOMEM;
}

extern "C" void free(void* pointer) noexcept
{
    if (pointer)
        heap::inUse -= qint64(malloc_usable_size(pointer));
    __libc_free(pointer);
}

using Failure = DecodedImage::Failure;
Q_DECLARE_METATYPE(Failure)
using Format = ImageHeader::Format;
Q_DECLARE_METATYPE(Format)

// Where a file found by fuzzing enters the program: the preview's full decode, the thumbnail
// build (the budget's estimate, then a scaled decode unless it passes the ceiling), or the
// shared thumbnail cache as one of its entries.
enum class Road
{
    Preview,
    Browse,
    CacheEntry
};
Q_DECLARE_METATYPE(Road)

namespace {

void writeFile(const QString& path, const QByteArray& bytes, qint64 sparseSize = 0)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    if (sparseSize > 0)
        QVERIFY(file.resize(sparseSize));
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <typename T> QByteArray le(T value)
{
    QByteArray bytes(sizeof(T), '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data)
{
    QByteArray chunk(4, '\0');
    qToBigEndian(quint32(data.size()), chunk.data());
    QByteArray crc(4, '\0');
    qToBigEndian(crc32(type + data), crc.data());
    return chunk + type + data + crc;
}

QByteArray bmpHeader(qint32 width, qint32 height, quint16 bitsPerPixel)
{
    return "BM" + le(quint32(0)) + le(quint32(0)) + le(quint32(54)) + le(quint32(40)) + le(width) +
           le(height) + le(quint16(1)) + le(bitsPerPixel) + QByteArray(24, '\0');
}

// One black pixel; bytes 6 to 9 are the logical screen.
const QByteArray OnePixelGif =
    QByteArray::fromHex("47494638396101000100800000000000ffffff2c00000000010001000002024401003b");

QImage pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x * y) % 256));
    return image;
}

// The directory entry (less its offset) and the data of a one-picture icon file written by Qt.
QPair<QByteArray, QByteArray> iconImage(int side, QRgb colour)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray file;
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "ico");
    const qsizetype size = qFromLittleEndian<quint32>(file.constData() + 14);
    const qsizetype offset = qFromLittleEndian<quint32>(file.constData() + 18);
    return {file.mid(6, 12), file.mid(offset, size)};
}

// `count` entries, entry i taking image i modulo the number of images.
QByteArray iconFile(const QVector<QPair<QByteArray, QByteArray>>& images, int count)
{
    QByteArray directory = le(quint16(0)) + le(quint16(1)) + le(quint16(count));
    QByteArray data;
    QVector<quint32> offsets;
    for (const auto& image : images) {
        offsets.append(quint32(6 + 16 * count + data.size()));
        data += image.second;
    }
    for (int i = 0; i < count; ++i)
        directory += images[i % images.size()].first + le(offsets[i % images.size()]);
    return directory + data;
}

// The frame size in the start-of-frame segment rewritten.
QByteArray withJpegSize(QByteArray jpeg, quint16 width, quint16 height)
{
    for (qsizetype at = 2; at + 9 < jpeg.size() && quint8(jpeg[at]) == 0xFF;
         at += 2 + qFromBigEndian<quint16>(jpeg.constData() + at + 2)) {
        if (quint8(jpeg[at + 1]) == 0xC0) {
            qToBigEndian(height, jpeg.data() + at + 5);
            qToBigEndian(width, jpeg.data() + at + 7);
            break;
        }
    }
    return jpeg;
}

// Pages of `width` x `height` 8-bit grey, chained; the first page's size comes first.
QByteArray tiffFile(const QVector<QSize>& pages)
{
    QByteArray file = "II*" + QByteArray(1, '\0') + le(quint32(8));
    for (int page = 0; page < pages.size(); ++page) {
        const quint32 at = quint32(file.size());
        const quint32 data = at + 2 + 8 * 12 + 4;
        const auto entry = [](quint16 tag, quint16 type, quint32 value) {
            return le(tag) + le(type) + le(quint32(1)) + le(value);
        };
        file += le(quint16(8));
        file += entry(256, 4, quint32(pages[page].width()));
        file += entry(257, 4, quint32(pages[page].height()));
        file += entry(258, 3, 8) + entry(259, 3, 1) + entry(262, 3, 1);
        file += entry(273, 4, data) + entry(278, 4, quint32(pages[page].height()));
        file += entry(279, 4, 1);
        file += le(quint32(page + 1 < pages.size() ? data + 1 : 0));
        file += QByteArray(1, char(0x80));
    }
    return file;
}

// gzip made from qCompress's zlib stream: the raw deflate data between a gzip header and
// trailer.
QByteArray gzip(const QByteArray& data)
{
    const QByteArray zlib = qCompress(data, 9);
    const QByteArray deflate = zlib.mid(4 + 2, zlib.size() - 4 - 2 - 4);
    return QByteArray::fromHex("1f8b0800000000000003") + deflate + le(crc32(data)) +
           le(quint32(data.size()));
}

QByteArray svg(const QByteArray& rootAttributes, const QByteArray& body = {})
{
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" "
           "xmlns:xlink=\"http://www.w3.org/1999/xlink\" " +
           rootAttributes + ">" + body + "</svg>";
}

QByteArray svgImage(const QByteArray& href)
{
    return svg("width=\"40\" height=\"30\"",
               "<rect width=\"40\" height=\"30\" fill=\"#00f\"/><image xlink:href=\"" + href +
                   "\" width=\"40\" height=\"30\"/>");
}

QByteArray saved(QImage image, const char* format, int dotsPerMetre, bool progressive = false)
{
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

QString hostilePath(const QString& name)
{
    return QStringLiteral(VADRO_TEST_DATA "/hostile/") + name;
}

QByteArray hostile(const char* name)
{
    return readFile(hostilePath(QLatin1String(name)));
}

// A fuzzer's cache entry (its first byte names the folder: normal, large, fail) placed for the
// picture its keys name: /tmp/vadro-fuzz-tc/pic.png, 10 bytes, modified at 1700000000. Whether
// the cache then gives a thumbnail or a recorded failure.
bool cacheTakes(const QByteArray& entry, const QString& root, const ImageDecoder& decoder)
{
    const QString picture = QStringLiteral("/tmp/vadro-fuzz-tc/pic.png");
    QDir().mkpath(QFileInfo(picture).path());
    QFile file(picture);
    if (!file.open(QIODevice::WriteOnly) || file.write("0123456789") != 10 || !file.flush() ||
        !file.setFileTime(QDateTime::fromSecsSinceEpoch(1700000000),
                          QFileDevice::FileModificationTime))
        return false;
    file.close();
    const ThumbnailCache cache(root);
    const ThumbnailCache::Source source = ThumbnailCache::source(picture);
    const QString path = entry.startsWith('\2') ? cache.failurePath(source.uri)
                         : entry.startsWith('\1')
                             ? cache.entryPath(ThumbnailCache::Flavour::Large, source.uri)
                             : cache.entryPath(ThumbnailCache::Flavour::Normal, source.uri);
    QDir().mkpath(QFileInfo(path).path());
    writeFile(path, entry.mid(1));
    const bool taken = !cache.read(source, ThumbnailCache::Flavour::Normal, decoder).isNull() ||
                       cache.hasFailed(source, decoder);
    QFile::remove(picture);
    return taken;
}

// A JPEG's markers as far as its first scan: a JFIF segment with `units` and `density`, a
// 3-component frame of `width` x `height`, and a scan holding `scanComponents` of them.
QByteArray jpegMarkers(int sof, int units, int density, int scanComponents, int width = 640,
                       int height = 480)
{
    const auto be16 = [](int v) { return QByteArray(1, char(v >> 8)) + char(v & 255); };
    QByteArray b = QByteArray::fromHex("ffd8ffe000104a464946000101") + char(units);
    b += be16(density) + be16(density) + QByteArray(2, '\0');
    b += "\xFF" + QByteArray(1, char(sof)) + QByteArray::fromHex("001108") + be16(height) +
         be16(width) + QByteArray::fromHex("03012200021100031100");
    b += QByteArray::fromHex("ffda") + be16(6 + 2 * scanComponents) + char(scanComponents);
    for (int c = 1; c <= scanComponents; ++c)
        b += char(c) + QByteArray(1, '\0');
    return b + QByteArray::fromHex("003f00") + QByteArray(16, '\x55') + "\xFF\xD9";
}

// The peak resident size since the last reset, in KiB; the reset needs Linux's clear_refs.
bool resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

qint64 peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

class TestDecoder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void readsHeaders_data();
    void readsHeaders();
    void decode_data();
    void decode();
    void decodesPixelsFaithfully();
    void takesTheLargestIcon();
    void decodesLargeBitmapWithinTheCap();
    void decodeScaledCoversTheTarget_data();
    void decodeScaledCoversTheTarget();
    void reducesJpegsSmoothly();
    void decodesFromSeveralThreads();
    void sizeRules();
    void drawsSvgSharpAtEachSize();
    void hostileFilesStayWithinTheCaps_data();
    void hostileFilesStayWithinTheCaps();
    void drawingsOpenNothingOutsideThemselves();
    void saysWhy();

private:
    QString file(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QtImageDecoder m_decoder;
};

void TestDecoder::initTestCase()
{
    const QImage tile = pattern(40, 30);
    QVERIFY(tile.save(file("tile.bmp")) && tile.save(file("tile.jpg")));
    QVERIFY(tile.save(file("tile.png")) && tile.save(file("png-named.bmp"), "png"));
    QVERIFY(pattern(4000, 3000).save(file("photo.jpg"), "jpg", 80));
    writeFile(file("tile.gif"), OnePixelGif);

    const auto small = iconImage(16, qRgb(255, 0, 0));
    writeFile(file("sizes.ico"),
              iconFile({small, iconImage(48, qRgb(0, 255, 0)), iconImage(32, qRgb(0, 0, 255))}, 3));
    writeFile(file("entries65535.ico"), iconFile({small}, 65535));
    writeFile(file("offset-past-end.ico"), iconFile({small}, 1).left(18) + le(quint32(1) << 31));
    // The directory says 256 x 256 (a zero byte); the embedded picture is over the cap.
    QByteArray hidden;
    QBuffer hiddenBuffer(&hidden);
    QVERIFY(hiddenBuffer.open(QIODevice::WriteOnly));
    QImage overCap(10001, 10001, QImage::Format_Mono);
    overCap.fill(1);
    QVERIFY(overCap.save(&hiddenBuffer, "png"));
    writeFile(file("hidden-size.ico"), le(quint16(0)) + le(quint16(1)) + le(quint16(1)) +
                                           QByteArray::fromHex("0000000001002000") +
                                           le(quint32(hidden.size())) + le(quint32(22)) + hidden);

    QByteArray topDown = readFile(file("tile.bmp"));
    qToLittleEndian(qint32(-30), topDown.data() + 22);
    writeFile(file("top-down.bmp"), topDown);
    writeFile(file("truncated.jpg"), readFile(file("tile.jpg")).left(20));
    writeFile(file("empty.bmp"), {});
    writeFile(file("text.jpg"), "This is not a picture.\n");

    writeFile(file("huge.bmp"), bmpHeader(100000, 100000, 24) + QByteArray(64, 'x'));
    writeFile(file("over-cap.bmp"), bmpHeader(12000, 12000, 24) + QByteArray(64, 'x'));
    writeFile(file("over-cap.jpg"), withJpegSize(readFile(file("tile.jpg")), 60000, 60000));
    writeFile(file("huge.png"),
              QByteArray::fromHex("89504e470d0a1a0a") +
                  pngChunk("IHDR", QByteArray::fromHex("0000ffff0000ffff0806000000")) +
                  pngChunk("IDAT", QByteArray::fromHex("789c030000000001")) + pngChunk("IEND", {}));
    QByteArray hugeGif = OnePixelGif;
    hugeGif.replace(6, 4, QByteArray(4, '\xff'));
    writeFile(file("huge.gif"), hugeGif);
    QImage wide(20000, 20000, QImage::Format_Mono);
    wide.fill(0);
    QVERIFY(wide.save(file("20000.png")));

    writeFile(file("big.bmp"), {}, qint64(4) << 30);
    QCOMPARE(::mkfifo(QFile::encodeName(file("pipe.jpg")).constData(), 0644), 0);
    QVERIFY(QDir(m_dir.path()).mkdir("x.bmp"));
    QVERIFY(QFile::link("/dev/zero", file("zero.bmp")));
    QVERIFY(tile.save(file("tile.webp"), "webp") && tile.save(file("tile.tif"), "tiff"));
    QVERIFY(tile.save(file("jpeg-named.gif"), "jpeg"));
    writeFile(file("pages.tif"),
              tiffFile(QVector<QSize>{{1, 1}} + QVector<QSize>(5000, QSize(2, 2))));
    writeFile(file("huge.tif"), tiffFile({{100000, 100000}}));
    writeFile(file("huge100k.png"),
              QByteArray::fromHex("89504e470d0a1a0a") +
                  pngChunk("IHDR", QByteArray::fromHex("000186a0000186a00806000000")) +
                  pngChunk("IEND", {}));
    // The directory says 16 x 16; the entry is an 11,000 square PNG.
    QByteArray big;
    QBuffer bigBuffer(&big);
    QVERIFY(bigBuffer.open(QIODevice::WriteOnly));
    QImage eleven(11000, 11000, QImage::Format_Mono);
    eleven.fill(0);
    QVERIFY(eleven.save(&bigBuffer, "png"));
    eleven = QImage();
    writeFile(file("lying-entry.ico"), le(quint16(0)) + le(quint16(1)) + le(quint16(1)) +
                                           QByteArray::fromHex("1010000001002000") +
                                           le(quint32(big.size())) + le(quint32(22)) + big);

    const QByteArray drawing =
        svg("width=\"40\" height=\"30\"", "<rect width=\"40\" height=\"30\" fill=\"#f00\"/>");
    writeFile(file("tile.svg"), drawing);
    writeFile(file("tile.svgz"), gzip(drawing));
    writeFile(file("svg-named.bmp"), drawing);
    writeFile(file("svgz-named.bmp"), gzip(drawing));
    writeFile(file("xpm-named.bmp"), "/* XPM */\nstatic char *x[] = {\"1 1 1 1\", \"a c #ff0000\", "
                                     "\"a\"};\n");
    writeFile(file("pbm-named.bmp"), "P1\n9000 9000\n0\n");
    writeFile(file("view-box.svg"), svg("viewBox=\"0 0 64 16\""));
    writeFile(file("mm.svg"), svg("width=\"25.4mm\" height=\"1in\""));
    writeFile(file("no-size.svg"), svg("width=\"100%\""));
    writeFile(file("over-cap.svg"), svg("width=\"20000\" height=\"20000\""));
    writeFile(file("not-svg.svg"), "<html><body/></html>");
    writeFile(file("bomb.svg"), gzip(svg("width=\"4\" height=\"4\"", QByteArray(40 << 20, ' '))));
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY a \"aaaaaaaaaa\">";
    for (char level = 'b'; level <= 'j'; ++level)
        laughs += QByteArray("<!ENTITY ") + level + " \"" +
                  QByteArray("&").append(char(level - 1)).append(';').repeated(10) + "\">";
    laughs += "]>" + svg("width=\"4\" height=\"4\"", "<text>&j;</text>");
    writeFile(file("laughs.svg"), laughs);
    QCOMPARE(::mkfifo(QFile::encodeName(file("fifo")).constData(), 0644), 0);
    writeFile(file("dev-zero.svg"), svgImage("/dev/zero"));
    writeFile(file("file-dev-zero.svg"), svgImage("file:///dev/zero"));
    writeFile(file("fifo.svg"), svgImage(QFile::encodeName(file("fifo"))));
    writeFile(file("relative-fifo.svg"), svgImage("fifo"));
    writeFile(file("http.svg"), svgImage("http://127.0.0.1:9/tile.png"));
    writeFile(file("inline-svg.svg"),
              svgImage("data:image/svg+xml;base64," +
                       gzip(svg("width=\"4\" height=\"4\"", QByteArray(1 << 20, ' '))).toBase64()));
}

void TestDecoder::readsHeaders_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Format>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<bool>("multiScan");
    QTest::addColumn<int>("frames");
    QTest::addColumn<double>("dpi"); // 0: the file states none

    const QImage photo = pattern(40, 30);
    // 11,811 dots a metre are 300 a inch (299.9994); 2,835 are 72.009; 3,780 are 96.012.
    QTest::newRow("png 300 dpi") << saved(photo, "png", 11811) << Format::Png << QSize(40, 30)
                                 << false << false << 1 << 299.9994;
    const QByteArray ihdr = QByteArray::fromHex("0000000700000005080200000000");
    QTest::newRow("png without pHYs")
        << "\x89PNG\r\n\x1A\n" + pngChunk("IHDR", ihdr.left(13)) + pngChunk("IEND", {})
        << Format::Png << QSize(7, 5) << false << false << 1 << 0.0;
    QTest::newRow("jpeg 72 dpi") << saved(photo, "jpeg", 2835) << Format::Jpeg << QSize(40, 30)
                                 << false << false << 1 << 72.0;
    QTest::newRow("jpeg progressive") << saved(photo, "jpeg", 2835, true) << Format::Jpeg
                                      << QSize(40, 30) << true << true << 1 << 72.0;
    QTest::newRow("jpeg dots a centimetre, one scan")
        << jpegMarkers(0xC0, 2, 118, 3) << Format::Jpeg << QSize(640, 480) << false << false << 1
        << 299.72;
    QTest::newRow("jpeg aspect only, a component a scan")
        << jpegMarkers(0xC0, 0, 1, 1) << Format::Jpeg << QSize(640, 480) << false << true << 1
        << 0.0;
    // Stray bytes, fill bytes and many segments before the frame are walked as libjpeg does.
    QByteArray noisy = jpegMarkers(0xC0, 1, 96, 3);
    noisy.insert(20, "junk" + QByteArray(300, '\xFF') + QByteArray::fromHex("fe0002") +
                         QByteArray::fromHex("fffe0002").repeated(600));
    QTest::newRow("jpeg noise before the frame")
        << noisy << Format::Jpeg << QSize(640, 480) << false << false << 1 << 96.0;
    QTest::newRow("jpeg sequential 10000, a component a scan")
        << hostile("budget-jpeg-seq-noninterleaved-10000.jpg") << Format::Jpeg
        << QSize(10000, 10000) << false << true << 1 << 0.0;
    QTest::newRow("jpeg progressive 10000, stray byte")
        << hostile("budget-jpeg-prog-stray-10000.jpg") << Format::Jpeg << QSize(10000, 10000)
        << true << true << 1 << 0.0;
    QTest::newRow("bmp 96 dpi") << saved(photo, "bmp", 3780) << Format::Bmp << QSize(40, 30)
                                << false << false << 1 << 96.012;
    QTest::newRow("tiff 300 dpi") << saved(photo, "tiff", 11811) << Format::Tiff << QSize(40, 30)
                                  << false << false << 1 << 299.9994;
    QTest::newRow("tiff size after 520 tags")
        << hostile("budget-tiff-late-size-6000.tif") << Format::Tiff << QSize(6000, 6000) << false
        << false << 1 << 0.0;
    QTest::newRow("ico") << saved(photo, "ico", 3780) << Format::Ico << QSize(40, 30) << false
                         << false << 1 << 0.0;
    QTest::newRow("gif one pixel")
        << OnePixelGif << Format::Gif << QSize(1, 1) << false << false << 1 << 0.0;
    // An empty screen takes the first frame's extent: at 5, 5, 10 x 20; a second frame counts.
    const QByteArray frame = QByteArray::fromHex("2c050005000a001400000202440100");
    QTest::newRow("gif two frames on an empty screen")
        << QByteArray::fromHex("474946383961000000000000") + QByteArray(1, '\0') + frame + frame +
               ";"
        << Format::Gif << QSize(15, 25) << false << false << 2 << 0.0;
    QTest::newRow("gif screen 0, frame 10000")
        << hostile("budget-gif-screen0-frame10000.gif") << Format::Gif << QSize(10000, 10000)
        << false << false << 1 << 0.0;
    QTest::newRow("text") << QByteArray("not a picture") << Format::Unknown << QSize() << false
                          << false << 1 << 0.0;
}

void TestDecoder::readsHeaders()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Format, format);
    QFETCH(QSize, size);
    QFETCH(bool, progressive);
    QFETCH(bool, multiScan);
    QFETCH(int, frames);
    QFETCH(double, dpi);
    QVERIFY(!bytes.isEmpty());
    const ImageHeader header = ImageHeader::read(bytes);
    QCOMPARE(header.format, format);
    QCOMPARE(header.size, size);
    QCOMPARE(header.progressive, progressive);
    QCOMPARE(header.multiScan, multiScan);
    QCOMPARE(header.frames, frames);
    QCOMPARE(bool(header.dotsPerInchX), dpi > 0);
    QCOMPARE(bool(header.dotsPerInchY), dpi > 0);
    if (dpi > 0) {
        QVERIFY2(qAbs(*header.dotsPerInchX - dpi) < 0.01,
                 qPrintable(QString::number(*header.dotsPerInchX)));
        QVERIFY(qAbs(*header.dotsPerInchY - dpi) < 0.01);
    }
    if (format != Format::Unknown)
        QCOMPARE(header.reading, ImageHeader::Reading::Complete);
}

void TestDecoder::decode_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QSize>("size");

    QTest::newRow("bmp") << "tile.bmp" << Failure::None << QSize(40, 30);
    QTest::newRow("jpeg") << "tile.jpg" << Failure::None << QSize(40, 30);
    QTest::newRow("png") << "tile.png" << Failure::None << QSize(40, 30);
    QTest::newRow("gif") << "tile.gif" << Failure::None << QSize(1, 1);
    QTest::newRow("top-down bmp") << "top-down.bmp" << Failure::None << QSize(40, 30);
    QTest::newRow("65,535 icon entries") << "entries65535.ico" << Failure::None << QSize(16, 16);

    QTest::newRow("webp") << "tile.webp" << Failure::None << QSize(40, 30);
    QTest::newRow("tiff") << "tile.tif" << Failure::None << QSize(40, 30);
    QTest::newRow("tiff, first of 5,001 pages") << "pages.tif" << Failure::None << QSize(1, 1);
    QTest::newRow("jpeg named .gif") << "jpeg-named.gif" << Failure::None << QSize(40, 30);
    QTest::newRow("svg") << "tile.svg" << Failure::None << QSize(40, 30);
    QTest::newRow("svgz") << "tile.svgz" << Failure::None << QSize(40, 30);
    QTest::newRow("svg view box") << "view-box.svg" << Failure::None << QSize(64, 16);
    QTest::newRow("svg in mm and in") << "mm.svg" << Failure::None << QSize(96, 96);
    QTest::newRow("svg image /dev/zero") << "dev-zero.svg" << Failure::None << QSize(40, 30);
    QTest::newRow("svg image file:///dev/zero")
        << "file-dev-zero.svg" << Failure::None << QSize(40, 30);
    QTest::newRow("svg image FIFO") << "fifo.svg" << Failure::None << QSize(40, 30);
    QTest::newRow("svg image relative FIFO")
        << "relative-fifo.svg" << Failure::None << QSize(40, 30);
    QTest::newRow("svg image http") << "http.svg" << Failure::None << QSize(40, 30);
    QTest::newRow("svg inline gzip drawing") << "inline-svg.svg" << Failure::None << QSize(40, 30);

    QTest::newRow("svg named .bmp") << "svg-named.bmp" << Failure::NotAPicture << QSize();
    QTest::newRow("gzip svg named .bmp") << "svgz-named.bmp" << Failure::NotAPicture << QSize();
    QTest::newRow("xpm named .bmp") << "xpm-named.bmp" << Failure::NotAPicture << QSize();
    QTest::newRow("pbm named .bmp") << "pbm-named.bmp" << Failure::NotAPicture << QSize();
    QTest::newRow("svg without size") << "no-size.svg" << Failure::NotAPicture << QSize();
    QTest::newRow("html named .svg") << "not-svg.svg" << Failure::NotAPicture << QSize();
    QTest::newRow("svg billion laughs") << "laughs.svg" << Failure::NotAPicture << QSize();
    QTest::newRow("svg 20,000 square") << "over-cap.svg" << Failure::TooLarge << QSize();
    QTest::newRow("gzip svg of 40 MB") << "bomb.svg" << Failure::TooLarge << QSize();
    QTest::newRow("tiff 100,000 square") << "huge.tif" << Failure::TooLarge << QSize();
    QTest::newRow("icon entry 16 holding 11,000")
        << "lying-entry.ico" << Failure::TooLarge << QSize();

    QTest::newRow("truncated jpeg") << "truncated.jpg" << Failure::NotAPicture << QSize();
    QTest::newRow("zero bytes") << "empty.bmp" << Failure::NotAPicture << QSize();
    QTest::newRow("text named .jpg") << "text.jpg" << Failure::NotAPicture << QSize();
    QTest::newRow("icon offset past end")
        << "offset-past-end.ico" << Failure::NotAPicture << QSize();
    QTest::newRow("sparse 4 GiB") << "big.bmp" << Failure::NotAPicture << QSize();
    QTest::newRow("bmp 100,000 square") << "huge.bmp" << Failure::TooLarge << QSize();
    QTest::newRow("png 100,000 square") << "huge100k.png" << Failure::TooLarge << QSize();

    QTest::newRow("bmp 12,000 square") << "over-cap.bmp" << Failure::TooLarge << QSize();
    QTest::newRow("jpeg 60,000 square") << "over-cap.jpg" << Failure::TooLarge << QSize();
    QTest::newRow("png 65,535 square") << "huge.png" << Failure::TooLarge << QSize();
    QTest::newRow("gif screen 65,535 square") << "huge.gif" << Failure::TooLarge << QSize();
    QTest::newRow("real png 20,000 square") << "20000.png" << Failure::TooLarge << QSize();
    QTest::newRow("icon hiding 10,001 square") << "hidden-size.ico" << Failure::TooLarge << QSize();

    QTest::newRow("FIFO") << "pipe.jpg" << Failure::Unreadable << QSize();
    QTest::newRow("directory") << "x.bmp" << Failure::Unreadable << QSize();
    QTest::newRow("link to /dev/zero") << "zero.bmp" << Failure::Unreadable << QSize();
    QTest::newRow("missing") << "missing.bmp" << Failure::Unreadable << QSize();
}

void TestDecoder::decode()
{
    QFETCH(QString, name);
    QFETCH(Failure, failure);
    QFETCH(QSize, size);

    // A few bytes may not cost what their header claims: bounded well below the pixel cap.
    const bool measured = resetPeak();
    const qint64 before = peakKb();
    const DecodedImage decoded = m_decoder.decode(file(name));
    const DecodedImage scaled = m_decoder.decodeScaled(file(name), QSize(8, 8));
    if (measured) {
        const qint64 grown = peakKb() - before;
        QVERIFY2(grown < 96 * 1024, qPrintable(QStringLiteral("%1 KiB").arg(grown)));
    }

    QCOMPARE(decoded.failure, failure);
    QCOMPARE(scaled.failure, failure);
    QCOMPARE(decoded.image.isNull(), failure != Failure::None);
    QCOMPARE(scaled.image.isNull(), failure != Failure::None);
    QCOMPARE(decoded.reason().isEmpty(), failure == Failure::None);
    if (decoded.ok()) {
        QCOMPARE(decoded.image.size(), size);
        QCOMPARE(decoded.naturalSize, size);
        QCOMPARE(scaled.naturalSize, size);
    }
}

void TestDecoder::decodesPixelsFaithfully()
{
    const QImage tile = pattern(40, 30);
    const auto rgb = [this](const QString& name) {
        return m_decoder.decode(file(name)).image.convertToFormat(QImage::Format_RGB32);
    };
    QCOMPARE(rgb("tile.bmp"), tile);
    QCOMPARE(rgb("png-named.bmp"), tile);
    // Rows stored top first: the same bytes with a negative height are the picture upside down.
    QCOMPARE(rgb("top-down.bmp"), tile.mirrored(false, true));
}

void TestDecoder::takesTheLargestIcon()
{
    const DecodedImage decoded = m_decoder.decode(file("sizes.ico"));
    QCOMPARE(decoded.image.size(), QSize(48, 48));
    QCOMPARE(decoded.image.pixel(24, 24), qRgb(0, 255, 0));

    const DecodedImage scaled = m_decoder.decodeScaled(file("sizes.ico"), QSize(24, 24));
    QCOMPARE(scaled.naturalSize, QSize(48, 48));
    QCOMPARE(scaled.image.size(), QSize(24, 24));
}

// 256 MB of pixels: more than Qt lets one picture allocate unless told otherwise.
void TestDecoder::decodesLargeBitmapWithinTheCap()
{
    writeFile(file("large.bmp"), bmpHeader(8000, 8000, 32), 54 + qint64(8000) * 8000 * 4);
    const DecodedImage decoded = m_decoder.decode(file("large.bmp"));
    QFile::remove(file("large.bmp"));
    QCOMPARE(decoded.failure, Failure::None);
    QCOMPARE(decoded.image.size(), QSize(8000, 8000));
}

void TestDecoder::decodeScaledCoversTheTarget_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("target");
    QTest::addColumn<QSize>("natural");
    QTest::addColumn<QSize>("largest");

    // At most a quarter each way: the JPEG decoder scaled it down itself.
    QTest::newRow("jpeg") << "photo.jpg" << QSize(60, 60) << QSize(4000, 3000) << QSize(1000, 750);
    QTest::newRow("bmp") << "top-down.bmp" << QSize(20, 20) << QSize(40, 30) << QSize(30, 20);
    QTest::newRow("not enlarged") << "tile.bmp" << QSize(60, 60) << QSize(40, 30) << QSize(40, 30);
}

void TestDecoder::decodeScaledCoversTheTarget()
{
    QFETCH(QString, name);
    QFETCH(QSize, target);
    QFETCH(QSize, natural);
    QFETCH(QSize, largest);

    const DecodedImage decoded = m_decoder.decodeScaled(file(name), target);
    QCOMPARE(decoded.naturalSize, natural);
    const QSize size = decoded.image.size();
    const QString got = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    QVERIFY2(size.expandedTo(target.boundedTo(natural)) == size, qPrintable(got));
    QVERIFY2(size.boundedTo(largest) == size, qPrintable(got));
    // The aspect kept to within rounding.
    QVERIFY(qAbs(size.width() * natural.height() - size.height() * natural.width()) <=
            qMax(natural.width(), natural.height()));
}

// Reduced JPEGs come from the library's DCT scaling and one smooth reduction, never from
// dropped pixels; colours keep their order, grey stays grey; CMYK goes to Qt's reader; damage
// does not stop the decode.
void TestDecoder::reducesJpegsSmoothly()
{
    // Stripes three pixels wide: a thumbnail made by dropping pixels beats from black to white
    // (64 to 191 grey); averaged, it stays near the middle.
    QImage stripes(1000, 1000, QImage::Format_RGB32);
    for (int x = 0; x < stripes.width(); ++x)
        for (int y = 0; y < stripes.height(); ++y)
            stripes.setPixel(x, y, (x / 3) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    QVERIFY(stripes.save(file("stripes.jpg"), "jpg", 95));
    const DecodedImage striped = m_decoder.decodeScaled(file("stripes.jpg"), {128, 128});
    QVERIFY(striped.ok());
    const QImage reduced =
        striped.image.scaled(128, 128, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int lightest = 0, darkest = 255;
    for (int x = 0; x < reduced.width(); ++x) {
        lightest = std::max(lightest, qGray(reduced.pixel(x, 64)));
        darkest = std::min(darkest, qGray(reduced.pixel(x, 64)));
    }
    QVERIFY2(lightest - darkest < 96,
             qPrintable(QStringLiteral("%1 to %2").arg(darkest).arg(lightest)));

    QImage plum(800, 600, QImage::Format_RGB32);
    plum.fill(qRgb(200, 40, 90));
    QVERIFY(plum.save(file("plum.jpg"), "jpg", 95));
    const QRgb reducedPlum = m_decoder.decodeScaled(file("plum.jpg"), {60, 60}).image.pixel(5, 5);
    QVERIFY(qAbs(qRed(reducedPlum) - 200) + qAbs(qGreen(reducedPlum) - 40) +
                qAbs(qBlue(reducedPlum) - 90) <
            12);
    QCOMPARE(qAlpha(reducedPlum), 255);

    QImage grey = pattern(400, 300).convertToFormat(QImage::Format_Grayscale8);
    QVERIFY(grey.save(file("grey.jpg"), "jpg"));
    const DecodedImage greyed = m_decoder.decodeScaled(file("grey.jpg"), {60, 60});
    QCOMPARE(greyed.image.format(), QImage::Format_Grayscale8);
    QCOMPARE(greyed.naturalSize, QSize(400, 300));
    QCOMPARE(greyed.image.size(), QSize(100, 75));

    const DecodedImage cmyk =
        m_decoder.decodeScaled(QStringLiteral(VADRO_TEST_DATA "/cmyk-64x48.jpg"), {16, 16});
    QVERIFY(cmyk.ok());
    QCOMPARE(cmyk.naturalSize, QSize(64, 48));
    QVERIFY(qRed(cmyk.image.pixel(4, 4)) > 180 && qGreen(cmyk.image.pixel(4, 4)) < 80);

    // A photograph cut in half decodes as far as it goes; one with its data overwritten in the
    // middle decodes or fails, and neither hangs nor crashes.
    const QByteArray photo = readFile(file("photo.jpg"));
    writeFile(file("half.jpg"), photo.left(photo.size() / 2));
    QVERIFY(m_decoder.decodeScaled(file("half.jpg"), {60, 60}).ok());
    QByteArray damaged = photo;
    for (qsizetype at = photo.size() / 3; at < photo.size() / 3 + 4096; ++at)
        damaged[at] = char(at * 131);
    writeFile(file("damaged.jpg"), damaged);
    const DecodedImage broken = m_decoder.decodeScaled(file("damaged.jpg"), {60, 60});
    QVERIFY(broken.ok() || broken.failure == Failure::NotAPicture);
}

void TestDecoder::decodesFromSeveralThreads()
{
    QStringList paths;
    for (int round = 0; round < 8; ++round)
        paths << file("tile.bmp") << file("tile.jpg") << file("tile.png") << file("sizes.ico")
              << file("text.jpg") << file("huge.png") << file("pipe.jpg") << file("tile.svg")
              << file("tile.tif") << file("lying-entry.ico");
    const QtImageDecoder& decoder = m_decoder;
    const QList<DecodedImage> results =
        QtConcurrent::blockingMapped(paths, [&decoder](const QString& path) {
            return decoder.decodeScaled(path, {24, 24});
        });
    for (int i = 0; i < paths.size(); ++i) {
        const DecodedImage alone = m_decoder.decodeScaled(paths[i], {24, 24});
        QCOMPARE(results[i].failure, alone.failure);
        QCOMPARE(results[i].image, alone.image);
    }
}

void TestDecoder::sizeRules()
{
    QVERIFY(!QtImageDecoder::isTooLarge({10000, 10000}));
    QVERIFY(QtImageDecoder::isTooLarge({10000, 10001}));
    QVERIFY(!QtImageDecoder::isTooLarge({65535, 1525}));
    QVERIFY(QtImageDecoder::isTooLarge({65536, 1}));
    QVERIFY(QtImageDecoder::isTooLarge({1, 65536}));

    QCOMPARE(QtImageDecoder::coveringSize({4000, 3000}, {60, 60}), QSize(80, 60));
    QCOMPARE(QtImageDecoder::coveringSize({3000, 4000}, {60, 60}), QSize(60, 80));
    QCOMPARE(QtImageDecoder::coveringSize({1000, 1000}, {60, 30}), QSize(60, 60));
    QCOMPARE(QtImageDecoder::coveringSize({50, 5000}, {60, 60}), QSize(50, 5000));
    QCOMPARE(QtImageDecoder::coveringSize({65535, 1525}, {96, 96}), QSize(4125, 96));
}

void TestDecoder::drawsSvgSharpAtEachSize()
{
    const DecodedImage natural = m_decoder.decode(file("tile.svg"));
    QCOMPARE(natural.image.size(), QSize(40, 30));
    QCOMPARE(natural.image.pixel(39, 29), qRgb(255, 0, 0));
    // Drawn at the cell's size, not stretched up from 40 x 30.
    const DecodedImage cell = m_decoder.decodeScaled(file("tile.svg"), QSize(96, 96));
    QCOMPARE(cell.naturalSize, QSize(40, 30));
    QCOMPARE(cell.image.size(), QSize(128, 96));
    QCOMPARE(cell.image.pixel(127, 95), qRgb(255, 0, 0));
    // The outside picture is left out; the rest of the drawing stays.
    QCOMPARE(m_decoder.decode(file("dev-zero.svg")).image.pixel(20, 15), qRgb(0, 0, 255));
}

void TestDecoder::hostileFilesStayWithinTheCaps_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Road>("road");
    QTest::addColumn<bool>("decoded");

    // Ten thousand pixels square in a few hundred bytes: progressive, or sequential with a
    // component a scan; the frame behind a stray byte, 300 comments or 300 fill bytes.
    for (const char* name :
         {"budget-jpeg-prog-stray-10000.jpg", "budget-jpeg-prog-300com-10000.jpg",
          "budget-jpeg-prog-300fill-10000.jpg", "budget-jpeg-seq-noninterleaved-10000.jpg"}) {
        QTest::addRow("%s preview", name) << name << Road::Preview << false;
        QTest::addRow("%s browse", name) << name << Road::Browse << false;
    }
    for (const char* name :
         {"decoder-png-tEXt-len-2GiB-alloc.png", "decoder-png-tEXt-after-IDAT-976MiB.png"}) {
        QTest::addRow("%s preview", name) << name << Road::Preview << false;
        QTest::addRow("%s browse", name) << name << Road::Browse << false;
    }
    QTest::newRow("gif screen 0, frame 10000 browse")
        << "budget-gif-screen0-frame10000.gif" << Road::Browse << false;
    QTest::newRow("tiff size after 520 tags browse")
        << "budget-tiff-late-size-6000.tif" << Road::Browse << false;
    QTest::newRow("ico sides overflowing browse")
        << "budget-ubsan-ico-overflow.bin" << Road::Browse << false;
    // A real 2,000 square float picture: decoded, within its estimate.
    QTest::newRow("tiff float rgba browse")
        << "budget-tiff-float-rgba-2000.tif" << Road::Browse << true;
    // The drawing is drawn; the 8,000 square picture behind a second "base64," is not.
    QTest::newRow("svg inline cap preview")
        << "svg-inline-cap-bypass-8000.svg" << Road::Preview << true;
    QTest::newRow("svg inline cap browse")
        << "svg-inline-cap-bypass-8000.svg" << Road::Browse << true;
    for (const char* name :
         {"thumbcache-hostile-10000-1row.bin", "thumbcache-hostile-10000-full.bin",
          "thumbcache-png-tEXt-len-2GiB-alloc.bin", "thumbcache-1760MiB-png-chunk.bin"})
        QTest::newRow(name) << name << Road::CacheEntry << false;
    // The same keys on a sound entry: the cache takes it, so the others are turned down for
    // what they are, not for their keys.
    QTest::newRow("sound entry") << QString() << Road::CacheEntry << true;
}

void TestDecoder::hostileFilesStayWithinTheCaps()
{
    QFETCH(QString, name);
    QFETCH(Road, road);
    QFETCH(bool, decoded);
    constexpr qint64 MiB = 1024 * 1024;
    QByteArray entry = readFile(hostilePath(name));
    if (name.isEmpty()) {
        QImage sound(96, 96, QImage::Format_RGB32);
        sound.fill(Qt::gray);
        sound.setText(QStringLiteral("Thumb::URI"),
                      QStringLiteral("file:///tmp/vadro-fuzz-tc/pic.png"));
        sound.setText(QStringLiteral("Thumb::MTime"), QStringLiteral("1700000000"));
        QBuffer buffer(&entry);
        buffer.open(QIODevice::WriteOnly);
        buffer.write("\0", 1);
        QVERIFY(sound.save(&buffer, "png"));
    }
    qint64 allowed = 64 * MiB;
    bool made = false;
    const qint64 grown = heap::growth([&] {
        const QString path = hostilePath(name);
        if (road == Road::Preview) {
            made = m_decoder.decode(path).ok();
        } else if (road == Road::Browse) {
            const std::unique_ptr<QFile> file = SafeFile::openForReading(path);
            const QSize target(ThumbnailCache::LargeSide, ThumbnailCache::LargeSide);
            const qint64 estimate = DecodeBudget::estimate(*file, file->size(), target).bytes;
            QVERIFY(estimate > 0);
            if (estimate <= DecodeBudget::Ceiling) {
                allowed = std::max(allowed, estimate);
                made = m_decoder.decodeScaled(path, target).ok();
            }
        } else {
            made = cacheTakes(entry, file(QStringLiteral("cache-") + QTest::currentDataTag()),
                              m_decoder);
        }
    });
    QCOMPARE(made, decoded);
    QVERIFY2(grown <= allowed, qPrintable(QStringLiteral("%1 MiB").arg(grown / MiB)));
}

void TestDecoder::drawingsOpenNothingOutsideThemselves()
{
    // The drawings point at files in /tmp/vadro-canary, and one at a path relative to the
    // working folder (an upper-case "DATA:" is no data to Qt SVG).
    QDir canary(QStringLiteral("/tmp/vadro-canary"));
    QVERIFY(canary.mkpath(QStringLiteral(".")));
    const QImage red = pattern(4, 4);
    for (const char* name : {"c3.png", "c5.png", "c27.png"})
        QVERIFY(red.save(canary.filePath(QLatin1String(name)), "png"));
    writeFile(canary.filePath(QStringLiteral("c25.svg")), svg("width=\"4\" height=\"4\""));
    const QString relative = QString::fromLatin1(
        QRegularExpression(QStringLiteral("xlink:href=\"([^\"]+)\""))
            .match(QString::fromLatin1(hostile("svg-ext-06-DATA-upper-relative-open.svg")))
            .captured(1)
            .toLatin1());
    QTemporaryDir work;
    QVERIFY(QDir(work.path()).mkpath(QFileInfo(relative).path()));
    QVERIFY(red.save(work.filePath(relative), "png"));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work.path()));

    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    QVERIFY(inotify_add_watch(watch, QFile::encodeName(canary.path()).constData(),
                              IN_OPEN | IN_ACCESS) >= 0);
    QVERIFY(inotify_add_watch(
                watch, QFile::encodeName(work.filePath(QFileInfo(relative).path())).constData(),
                IN_OPEN | IN_ACCESS) >= 0);
    for (const char* name :
         {"svg-ext-03-image-href-then-xlink.svg", "svg-ext-05-data-lastbase64-nested-svg.svg",
          "svg-ext-06-DATA-upper-relative-open.svg", "svg-ext-25-href-then-xlink-to-svg.svg",
          "svg-ext-27-gzip-href-then-xlink.svgz"}) {
        QVERIFY2(m_decoder.decode(hostilePath(QLatin1String(name))).ok(), name);
        QVERIFY2(m_decoder.decodeScaled(hostilePath(QLatin1String(name)), QSize(60, 60)).ok(),
                 name);
    }
    char events[4096];
    const ssize_t unseen = ::read(watch, events, sizeof events);
    QDir::setCurrent(previous);
    QCOMPARE(unseen, ssize_t(-1));
    // The watch does see an open.
    QFile touched(canary.filePath(QStringLiteral("c3.png")));
    QVERIFY(touched.open(QIODevice::ReadOnly));
    QVERIFY(::read(watch, events, sizeof events) > 0);
    ::close(watch);
    for (const QString& name : canary.entryList(QDir::Files))
        canary.remove(name);
    canary.rmdir(canary.path());

    // A sound inline picture is still drawn, whatever it was written as.
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImage white(8, 8, QImage::Format_RGB32);
    white.fill(Qt::white);
    QVERIFY(white.save(&buffer, "jpeg"));
    writeFile(file("inline.svg"), svgImage("data:image/jpeg;base64," + jpeg.toBase64()));
    const DecodedImage drawn = m_decoder.decode(file("inline.svg"));
    QVERIFY(drawn.ok());
    QCOMPARE(drawn.image.pixelColor(20, 15), QColor(Qt::white));
}

void TestDecoder::saysWhy()
{
    QCOMPARE(DecodedImage::failed(Failure::TooLarge).reason(),
             QStringLiteral("The picture is too large."));
    const DecodedImage missing = m_decoder.decode(file("missing.bmp"));
    QCOMPARE(missing.reason(), QStringLiteral("The file cannot be read: ") +
                                   QString::fromLocal8Bit(std::strerror(ENOENT)));
    const DecodedImage truncated = m_decoder.decode(file("truncated.jpg"));
    QVERIFY2(truncated.reason().startsWith("The file is not a picture Vadro can show: ") &&
                 !truncated.detail.isEmpty(),
             qPrintable(truncated.reason()));
    QCOMPARE(m_decoder.decode(file("laughs.svg")).detail.isEmpty(), false);
}

QTEST_GUILESS_MAIN(TestDecoder)
#include "tst_decoder.moc"
