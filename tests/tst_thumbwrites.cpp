#include <QtTest>

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>

#include <mutex>

#include "platform/ImageDecoder.h"
#include "platform/ScaledJpegDecoder.h"
#include "thumbs/DecodeBudget.h"
#include "thumbs/ThumbnailBuilder.h"
#include "thumbs/ThumbnailCache.h"
#include "thumbs/ThumbnailCacheWriter.h"

namespace {

using Flavour = ThumbnailCache::Flavour;

// The real decoder, remembering the size each file was asked for.
class RecordingDecoder : public QtImageDecoder
{
public:
    DecodedImage decodeScaled(const QString& path, const QSize& target) const override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_targets.insert(QFileInfo(path).fileName(), target);
        }
        return QtImageDecoder::decodeScaled(path, target);
    }
    QSize target(const QString& name) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_targets.value(name);
    }

private:
    mutable std::mutex m_mutex;
    mutable QHash<QString, QSize> m_targets;
};

QImage picture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

const ThumbnailCache::Entry* entryFor(const ThumbnailBuilder::Result& result, const QString& path)
{
    for (const ThumbnailCache::Entry& entry : result.toWrite)
        if (entry.source.path == path)
            return &entry;
    return nullptr;
}

} // namespace

class TestThumbWrites : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void jpegScales();
    void oneDecodeMakesCellAndEntry();
    void heldWritesWaitWithinALimit();
};

void TestThumbWrites::jpegScales()
{
    QCOMPARE(ScaledJpegDecoder::reducedSize(QSize(640, 480), QSize(60, 60)), QSize(80, 60));
    QCOMPARE(ScaledJpegDecoder::reducedSize(QSize(640, 480), QSize(128, 96)), QSize(160, 120));
    QCOMPARE(ScaledJpegDecoder::reducedSize(QSize(2048, 1536), QSize(128, 96)), QSize(256, 192));
    // Odd sizes round up, as the decoder does; no target is the whole picture.
    QCOMPARE(ScaledJpegDecoder::reducedSize(QSize(1001, 601), QSize(60, 60)), QSize(126, 76));
    QCOMPARE(ScaledJpegDecoder::reducedSize(QSize(300, 200), QSize()), QSize(300, 200));
}

void TestThumbWrites::oneDecodeMakesCellAndEntry()
{
    QTemporaryDir dir;
    const ThumbnailCache cache(dir.filePath(QStringLiteral("cache/thumbnails")));
    const auto add = [&dir](const QString& name, const QImage& image) {
        const QString path = dir.filePath(name);
        if (!image.save(path))
            qWarning("cannot write %s", qPrintable(path));
        return path;
    };
    // 640 x 480: an eighth would cover the cell but not the thumbnail, so the one decode is
    // asked for the thumbnail's 128 x 96. A PNG decodes whole either way; a small picture
    // needs no entry.
    const QString mid = add(QStringLiteral("mid.jpg"), picture(640, 480));
    const QString big = add(QStringLiteral("big.jpg"), picture(2048, 1536));
    const QString png = add(QStringLiteral("tile.png"), picture(640, 480));
    const QString small = add(QStringLiteral("small.jpg"), picture(100, 80));
    const QStringList paths{mid, big, png, small};

    RecordingDecoder decoder;
    ThumbnailBuilder::Options options;
    options.cache = &cache;
    options.flavour = Flavour::Normal;
    const QSize cell(60, 60);
    const ThumbnailBuilder::Result first =
        ThumbnailBuilder::run(paths, cell, Qt::white, decoder, options);
    for (const QImage& thumb : first.cells)
        QCOMPARE(thumb.size(), cell);
    QCOMPARE(first.toWrite.size(), 3);
    QCOMPARE(decoder.target(QStringLiteral("mid.jpg")), QSize(128, 96));
    QCOMPARE(decoder.target(QStringLiteral("small.jpg")), cell);
    for (const QString& path : {mid, big, png}) {
        const ThumbnailCache::Entry* entry = entryFor(first, path);
        QVERIFY(entry);
        QCOMPARE(entry->image.size(), QSize(128, 96));
    }

    ThumbnailCacheWriter writer(cache);
    writer.add(first.toWrite);
    writer.waitForIdle();
    QCOMPARE(writer.written(), 3);
    const ThumbnailCache::Source midSource = ThumbnailCache::source(mid);
    QImageReader reader(cache.entryPath(Flavour::Normal, midSource.uri));
    const QImage entry = reader.read();
    QCOMPARE(entry.size(), QSize(128, 96));
    QCOMPARE(entry.text(QStringLiteral("Thumb::URI")), midSource.uri);
    QCOMPARE(entry.text(QStringLiteral("Thumb::Image::Width")), QStringLiteral("640"));
    const QColor middle = entry.pixelColor(64, 48); // the picture's colour, within JPEG's loss
    QVERIFY(middle.red() <= 8 && qAbs(middle.green() - 128) <= 8 && qAbs(middle.blue() - 128) <= 8);

    // The next visit finds all three; a larger entry serves where the flavour's own is gone.
    const QString xlarge = cache.entryPath(Flavour::XLarge, midSource.uri);
    QVERIFY(QDir().mkpath(QFileInfo(xlarge).path()));
    QVERIFY(QFile::rename(cache.entryPath(Flavour::Normal, midSource.uri), xlarge));
    const ThumbnailBuilder::Result second =
        ThumbnailBuilder::run(paths, cell, Qt::white, decoder, options);
    QCOMPARE(second.fromCache, 3);
    QVERIFY(second.toWrite.isEmpty());
    QCOMPARE(second.cells[0].pixelColor(30, 30), first.cells[0].pixelColor(30, 30));
}

void TestThumbWrites::heldWritesWaitWithinALimit()
{
    QTemporaryDir dir;
    const ThumbnailCache cache(dir.filePath(QStringLiteral("cache/thumbnails")));
    const auto entry = [&dir](int i) {
        const QString path = dir.filePath(QStringLiteral("p%1.png").arg(i));
        QImage(300, 200, QImage::Format_RGB32).save(path);
        ThumbnailCache::Entry e;
        e.source = ThumbnailCache::source(path);
        e.natural = QSize(300, 200);
        e.image = picture(128, 85); // 128 * 85 * 4 bytes
        return e;
    };
    const qint64 each = 128 * 85 * 4;
    ThumbnailCacheWriter writer(cache);
    std::mutex mutex;
    qint64 released = 0;
    writer.setReleased([&](qint64 bytes) {
        std::lock_guard<std::mutex> lock(mutex);
        released += bytes;
    });
    // Room for two entries: while held, two wait; a third passes the limit and the writer
    // catches up until what waits is back within it.
    writer.setHoldLimit(2 * each);
    writer.hold();
    writer.hold();
    writer.add({entry(0), entry(1)});
    writer.release();
    writer.waitUntilSettled();
    QCOMPARE(writer.written(), 0);
    writer.add({entry(2)});
    writer.waitUntilSettled();
    QCOMPARE(writer.written(), 1);
    {
        std::lock_guard<std::mutex> lock(mutex);
        QCOMPARE(released, each);
    }
    // Waiting writes even while held: a caller that waits wants the entries on disk.
    writer.waitForIdle();
    QCOMPARE(writer.written(), 3);
    writer.release();
    writer.release(); // one release too many is harmless
    writer.add({entry(3)});
    writer.waitUntilSettled();
    QCOMPARE(writer.written(), 4);
    std::lock_guard<std::mutex> lock(mutex);
    QCOMPARE(released, 4 * each);
}

QTEST_MAIN(TestThumbWrites)
#include "tst_thumbwrites.moc"
