#include <QtTest>

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>

#include <mutex>

#include "platform/ImageDecoder.h"
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
    void finerDecodesAreLeftToTheWriter();
    void writerHoldsAndDeferredFailures();
};

void TestThumbWrites::jpegScales()
{
    QCOMPARE(DecodeBudget::jpegScaledSize(QSize(640, 480), QSize(60, 60)), QSize(80, 60));
    QCOMPARE(DecodeBudget::jpegScaledSize(QSize(640, 480), QSize(128, 96)), QSize(160, 120));
    QCOMPARE(DecodeBudget::jpegScaledSize(QSize(2048, 1536), QSize(128, 96)), QSize(256, 192));
    // Odd sizes round up, as the decoder does; no target is the whole picture.
    QCOMPARE(DecodeBudget::jpegScaledSize(QSize(1001, 601), QSize(60, 60)), QSize(126, 76));
    QCOMPARE(DecodeBudget::jpegScaledSize(QSize(300, 200), QSize()), QSize(300, 200));
}

void TestThumbWrites::finerDecodesAreLeftToTheWriter()
{
    QTemporaryDir dir;
    const ThumbnailCache cache(dir.filePath(QStringLiteral("cache/thumbnails")));
    const auto add = [&dir](const QString& name, const QImage& image) {
        const QString path = dir.filePath(name);
        if (!image.save(path))
            qWarning("cannot write %s", qPrintable(path));
        return path;
    };
    // 640 x 480: an eighth covers the cell but not the thumbnail. 2048 x 1536: an eighth
    // covers both. A PNG decodes whole either way; a small picture needs no entry.
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
        ThumbnailBuilder::run(paths, {}, cell, Qt::white, decoder, options);
    for (const QImage& thumb : first.cells)
        QCOMPARE(thumb.size(), cell);
    QCOMPARE(first.toWrite.size(), 3);

    const ThumbnailCache::Entry* later = entryFor(first, mid);
    QVERIFY(later);
    QVERIFY(later->decodeLater);
    QVERIFY(later->image.isNull());
    QCOMPARE(later->natural, QSize(640, 480));
    QCOMPARE(decoder.target(QStringLiteral("mid.jpg")), cell);
    for (const QString& now : {big, png}) {
        const ThumbnailCache::Entry* entry = entryFor(first, now);
        QVERIFY(entry);
        QVERIFY(!entry->decodeLater);
        QCOMPARE(entry->image.size(), QSize(128, 96));
    }
    // Written as it is, an entry still to be decoded would be taken for a failure.
    QVERIFY(!cache.write(*later));
    const ThumbnailCache::Source midSource = ThumbnailCache::source(mid);
    QVERIFY(!QFile::exists(cache.failurePath(midSource.uri)));

    {
        // Without a decoder the writer drops what it cannot make.
        ThumbnailCacheWriter writer(cache);
        writer.add(first.toWrite);
        writer.waitForIdle();
        QCOMPARE(writer.written(), 2);
        QVERIFY(!QFile::exists(cache.entryPath(Flavour::Normal, midSource.uri)));
        QVERIFY(!QFile::exists(cache.failurePath(midSource.uri)));
    }
    {
        ThumbnailCacheWriter writer(cache, &decoder);
        writer.add(first.toWrite);
        writer.waitForIdle();
        QCOMPARE(writer.written(), 3);
    }
    QImageReader reader(cache.entryPath(Flavour::Normal, midSource.uri));
    const QImage entry = reader.read();
    QCOMPARE(entry.size(), QSize(128, 96));
    QCOMPARE(entry.text(QStringLiteral("Thumb::URI")), midSource.uri);
    QCOMPARE(entry.text(QStringLiteral("Thumb::Image::Width")), QStringLiteral("640"));
    const QColor middle = entry.pixelColor(64, 48); // the picture's colour, within JPEG's loss
    QVERIFY(middle.red() <= 8 && qAbs(middle.green() - 128) <= 8 && qAbs(middle.blue() - 128) <= 8);

    // The next visit finds all three, whichever way they were made.
    const ThumbnailBuilder::Result second =
        ThumbnailBuilder::run(paths, {}, cell, Qt::white, decoder, options);
    QCOMPARE(second.fromCache, 3);
    QVERIFY(second.toWrite.isEmpty());
    QCOMPARE(second.cells[0].pixelColor(30, 30), first.cells[0].pixelColor(30, 30));
}

void TestThumbWrites::writerHoldsAndDeferredFailures()
{
    QTemporaryDir dir;
    const ThumbnailCache cache(dir.filePath(QStringLiteral("cache/thumbnails")));
    const QtImageDecoder decoder;
    const auto deferred = [&dir](const QString& name, const QByteArray& contents) {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
            qWarning("cannot write %s", qPrintable(path));
        file.close();
        ThumbnailCache::Entry entry;
        entry.source = ThumbnailCache::source(path);
        entry.natural = QSize(640, 480);
        entry.decodeLater = true;
        return entry;
    };
    // A file that stopped being a picture is remembered as a failure; one that went away
    // leaves nothing behind, as it may be back and readable next time.
    const ThumbnailCache::Entry broken = deferred(QStringLiteral("broken.jpg"), "no picture");
    const ThumbnailCache::Entry gone = deferred(QStringLiteral("gone.jpg"), "soon gone");
    QVERIFY(QFile::remove(gone.source.path));

    ThumbnailCacheWriter writer(cache, &decoder);
    writer.hold();
    writer.hold();
    writer.add({broken, gone});
    QCOMPARE(writer.written(), 0);
    writer.release();
    QCOMPARE(writer.written(), 0); // still held once
    // Waiting writes even while held: a caller that waits wants the entries on disk.
    writer.waitForIdle();
    QCOMPARE(writer.written(), 1);
    QVERIFY(QFile::exists(cache.failurePath(broken.source.uri)));
    QVERIFY(!QFile::exists(cache.failurePath(gone.source.uri)));
    QVERIFY(!QFile::exists(cache.entryPath(Flavour::Normal, gone.source.uri)));
    writer.release();
    writer.release(); // one release too many is harmless
}

QTEST_MAIN(TestThumbWrites)
#include "tst_thumbwrites.moc"
