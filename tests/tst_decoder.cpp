#include <QtTest>

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <QtEndian>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/ImageDecoder.h"

using Failure = DecodedImage::Failure;
Q_DECLARE_METATYPE(Failure)

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

} // namespace

class TestDecoder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void decode_data();
    void decode();
    void decodesPixelsFaithfully();
    void takesTheLargestIcon();
    void decodesLargeBitmapWithinTheCap();
    void decodeScaledCoversTheTarget_data();
    void decodeScaledCoversTheTarget();
    void decodesFromSeveralThreads();
    void sizeRules();

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

    QTest::newRow("truncated jpeg") << "truncated.jpg" << Failure::NotAPicture << QSize();
    QTest::newRow("zero bytes") << "empty.bmp" << Failure::NotAPicture << QSize();
    QTest::newRow("text named .jpg") << "text.jpg" << Failure::NotAPicture << QSize();
    QTest::newRow("icon offset past end")
        << "offset-past-end.ico" << Failure::NotAPicture << QSize();
    QTest::newRow("sparse 4 GiB") << "big.bmp" << Failure::NotAPicture << QSize();
    // Qt's bitmap reader turns this header down itself, before any size is known.
    QTest::newRow("bmp 100,000 square") << "huge.bmp" << Failure::NotAPicture << QSize();

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

    QElapsedTimer timer;
    timer.start();
    const DecodedImage decoded = m_decoder.decode(file(name));
    const DecodedImage scaled = m_decoder.decodeScaled(file(name), QSize(8, 8));
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));

    QCOMPARE(decoded.failure, failure);
    QCOMPARE(scaled.failure, failure);
    QCOMPARE(decoded.image.isNull(), failure != Failure::None);
    QCOMPARE(scaled.image.isNull(), failure != Failure::None);
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

void TestDecoder::decodesFromSeveralThreads()
{
    QStringList paths;
    for (int round = 0; round < 8; ++round)
        paths << file("tile.bmp") << file("tile.jpg") << file("tile.png") << file("sizes.ico")
              << file("text.jpg") << file("huge.png") << file("pipe.jpg");
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

QTEST_GUILESS_MAIN(TestDecoder)
#include "tst_decoder.moc"
