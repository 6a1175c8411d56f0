#include <QtTest>

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>

#include <atomic>
#include <sys/stat.h>
#include <utime.h>

#include "platform/ImageDecoder.h"
#include "thumbs/ThumbnailBuilder.h"
#include "thumbs/ThumbnailCache.h"
#include "thumbs/ThumbnailCacheWriter.h"

namespace {

using Flavour = ThumbnailCache::Flavour;

// The real decoder, counting what it is asked to decode other than cache entries.
class CountingDecoder : public QtImageDecoder
{
public:
    DecodedImage decodeScaled(const QString& path, const QSize& target) const override
    {
        ++scaled;
        return QtImageDecoder::decodeScaled(path, target);
    }
    mutable std::atomic<int> scaled{0};
};

int mode(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

void setMtime(const QString& path, qint64 seconds)
{
    const utimbuf times{time_t(seconds), time_t(seconds)};
    ::utime(QFile::encodeName(path).constData(), &times);
}

QImage picture(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

struct Folder
{
    QTemporaryDir dir;
    ThumbnailCache cache{dir.filePath(QStringLiteral("cache/thumbnails"))};
    QString pictures() const { return dir.filePath(QStringLiteral("pictures")); }
    Folder() { QDir(dir.path()).mkpath(QStringLiteral("pictures")); }

    QString add(const QString& name, const QImage& image) const
    {
        const QString path = pictures() + QLatin1Char('/') + name;
        if (!image.save(path))
            qWarning("cannot write %s", qPrintable(path));
        return path;
    }
    ThumbnailBuilder::Result build(const QStringList& paths, const ImageDecoder& decoder,
                                   Flavour flavour = Flavour::Normal) const
    {
        ThumbnailBuilder::Options options;
        options.cache = &cache;
        options.flavour = flavour;
        return ThumbnailBuilder::run(paths, QSize(60, 60), Qt::white, decoder, options);
    }
    void write(const ThumbnailBuilder::Result& result) const
    {
        // Entries the build left to be decoded are decoded by the writer.
        const QtImageDecoder decoder;
        ThumbnailCacheWriter writer(cache);
        writer.add(result.toWrite);
        writer.waitForIdle();
    }
};

} // namespace

class TestThumbCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void namesFollowTheStandard();
    void writtenEntriesAndTheirModes();
    void validityRules();
    void readsWhatAnotherProgramWrote();
    void failuresSmallPicturesAndTheCacheItself();
};

void TestThumbCache::namesFollowTheStandard()
{
    QCOMPARE(ThumbnailCache::fileUri(QStringLiteral("/home/jens/photos/me.png")),
             QStringLiteral("file:///home/jens/photos/me.png"));
    QCOMPARE(ThumbnailCache::entryName(QStringLiteral("file:///home/jens/photos/me.png")),
             QStringLiteral("c6ee772d9e49320e97ec29a7eb5b1697.png"));
    // Blanks, '#', '%' and bytes beyond ASCII are escaped; what a path may hold is kept.
    QCOMPARE(ThumbnailCache::fileUri(QStringLiteral("/tmp/a b#%\u00e4.png")),
             QStringLiteral("file:///tmp/a%20b%23%25%C3%A4.png"));
    QCOMPARE(ThumbnailCache::fileUri(QStringLiteral("/tmp/x/../it's(1)+[2];=@.jpg")),
             QStringLiteral("file:///tmp/it's(1)+%5B2%5D%3B=@.jpg"));

    ThumbnailCache cache(QStringLiteral("/c/thumbnails"));
    QCOMPARE(cache.entryPath(Flavour::Large, QStringLiteral("file:///home/jens/photos/me.png")),
             QStringLiteral("/c/thumbnails/large/c6ee772d9e49320e97ec29a7eb5b1697.png"));
    QCOMPARE(cache.failurePath(QStringLiteral("file:///home/jens/photos/me.png")),
             QStringLiteral("/c/thumbnails/fail/vadro-2.0/c6ee772d9e49320e97ec29a7eb5b1697.png"));

    const QByteArray saved = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", "/somewhere/cache");
    QCOMPARE(ThumbnailCache::defaultRoot(), QStringLiteral("/somewhere/cache/thumbnails"));
    qputenv("XDG_CACHE_HOME", "relative/cache");
    QCOMPARE(ThumbnailCache::defaultRoot(),
             QDir::homePath() + QStringLiteral("/.cache/thumbnails"));

    QCOMPARE(ThumbnailBuilder::flavourFor(QSize(60, 60)), Flavour::Normal);
    QCOMPARE(ThumbnailBuilder::flavourFor(QSize(120, 120)), Flavour::Large);
    QCOMPARE(ThumbnailCache::thumbnailSize(QSize(1024, 768), Flavour::Normal), QSize(128, 96));
    QCOMPARE(ThumbnailCache::thumbnailSize(QSize(768, 1024), Flavour::Large), QSize(192, 256));
    QVERIFY(ThumbnailCache::thumbnailSize(QSize(128, 100), Flavour::Normal).isEmpty());
}

void TestThumbCache::writtenEntriesAndTheirModes()
{
    Folder f;
    const QString path = f.add(QStringLiteral("photo.jpg"), picture(640, 480, Qt::red));
    CountingDecoder decoder;
    const ThumbnailBuilder::Result first = f.build({path}, decoder);
    QCOMPARE(first.fromCache, 0);
    QCOMPARE(first.toWrite.size(), 1);
    QCOMPARE(first.cells[0].size(), QSize(60, 60));
    f.write(first);

    const ThumbnailCache::Source source = ThumbnailCache::source(path);
    const QString entry = f.cache.entryPath(Flavour::Normal, source.uri);
    QVERIFY(QFile::exists(entry));
    QCOMPARE(mode(entry), 0600);
    QCOMPARE(mode(f.cache.root()), 0700);
    QCOMPARE(mode(f.cache.root() + QStringLiteral("/normal")), 0700);
    // Nothing but the entry: the temporary file was renamed.
    QCOMPARE(QDir(f.cache.root() + QStringLiteral("/normal")).entryList(QDir::Files).size(), 1);

    // Read back independently of the cache's own reader.
    QImageReader reader(entry);
    const QImage image = reader.read();
    QCOMPARE(image.size(), QSize(128, 96));
    QCOMPARE(image.text(QStringLiteral("Thumb::URI")), source.uri);
    QCOMPARE(image.text(QStringLiteral("Thumb::MTime")), QString::number(source.mtime));
    QCOMPARE(image.text(QStringLiteral("Thumb::Size")), QString::number(QFileInfo(path).size()));
    QCOMPARE(image.text(QStringLiteral("Thumb::Image::Width")), QStringLiteral("640"));
    QCOMPARE(image.text(QStringLiteral("Thumb::Image::Height")), QStringLiteral("480"));
    QCOMPARE(image.text(QStringLiteral("Thumb::Mimetype")), QStringLiteral("image/jpeg"));
    QCOMPARE(image.text(QStringLiteral("Software")), QStringLiteral("Vadro 2.0"));

    // The second visit reads it and decodes nothing.
    decoder.scaled = 0;
    const ThumbnailBuilder::Result second = f.build({path}, decoder);
    QCOMPARE(second.fromCache, 1);
    QCOMPARE(decoder.scaled.load(), 0);
    QVERIFY(second.toWrite.isEmpty());
    QCOMPARE(second.cells[0].pixelColor(30, 30).red(), first.cells[0].pixelColor(30, 30).red());

    // A large cell wants the large size, which it does not find and writes.
    const ThumbnailBuilder::Result large = f.build({path}, decoder, Flavour::Large);
    QCOMPARE(large.fromCache, 0);
    f.write(large);
    QCOMPARE(QImageReader(f.cache.entryPath(Flavour::Large, source.uri)).size(), QSize(256, 192));
    // A normal cell may use a large entry when the normal one is missing.
    QVERIFY(QFile::remove(entry));
    QCOMPARE(f.cache.read(source, Flavour::Normal, decoder).size(), QSize(256, 192));
}

void TestThumbCache::validityRules()
{
    Folder f;
    const QString path = f.add(QStringLiteral("photo.png"), picture(400, 300, Qt::blue));
    QtImageDecoder decoder;
    f.write(f.build({path}, decoder));
    ThumbnailCache::Source source = ThumbnailCache::source(path);
    QVERIFY(!f.cache.read(source, Flavour::Normal, decoder).isNull());

    // Another URI, another length, another time: none of them is this file's entry.
    ThumbnailCache::Source other = source;
    other.uri += QStringLiteral("x");
    QVERIFY(f.cache.read(other, Flavour::Normal, decoder).isNull());
    other = source;
    other.size += 1;
    QVERIFY(f.cache.read(other, Flavour::Normal, decoder).isNull());
    // An entry written under another name is not taken for this file's.
    QVERIFY(QFile::copy(f.cache.entryPath(Flavour::Normal, source.uri),
                        f.cache.entryPath(Flavour::Normal, other.uri + QStringLiteral("y"))));
    other.uri += QStringLiteral("y");
    QVERIFY(f.cache.read(other, Flavour::Normal, decoder).isNull());

    // The file changes: its entry no longer counts, and is replaced.
    setMtime(path, source.mtime - 100);
    source = ThumbnailCache::source(path);
    QVERIFY(f.cache.read(source, Flavour::Normal, decoder).isNull());
    const ThumbnailBuilder::Result changed = f.build({path}, decoder);
    QCOMPARE(changed.fromCache, 0);
    f.write(changed);
    QVERIFY(!f.cache.read(source, Flavour::Normal, decoder).isNull());

    // A damaged entry is ignored and replaced by a sound one.
    const QString entry = f.cache.entryPath(Flavour::Normal, source.uri);
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.resize(file.size() / 2);
    file.close();
    QVERIFY(f.cache.read(source, Flavour::Normal, decoder).isNull());
    const ThumbnailBuilder::Result repaired = f.build({path}, decoder);
    QCOMPARE(repaired.fromCache, 0);
    QCOMPARE(repaired.cells[0].pixelColor(30, 30), QColor(Qt::blue));
    f.write(repaired);
    QVERIFY(!f.cache.read(source, Flavour::Normal, decoder).isNull());

    // A hostile entry: a FIFO, and a huge picture, where the entry should be.
    QVERIFY(QFile::remove(entry));
    QVERIFY(::mkfifo(QFile::encodeName(entry).constData(), 0600) == 0);
    QVERIFY(f.cache.read(source, Flavour::Normal, decoder).isNull());
    QVERIFY(QFile::remove(entry));
    QImage huge = picture(3000, 10, Qt::green);
    huge.setText(QStringLiteral("Thumb::URI"), source.uri);
    huge.setText(QStringLiteral("Thumb::MTime"), QString::number(source.mtime));
    QVERIFY(huge.save(entry));
    QVERIFY(f.cache.read(source, Flavour::Normal, decoder).isNull());
}

void TestThumbCache::readsWhatAnotherProgramWrote()
{
    Folder f;
    const QString path = f.add(QStringLiteral("wall.jpg"), picture(800, 600, Qt::red));
    const ThumbnailCache::Source source = ThumbnailCache::source(path);
    // As a file manager writes it: only the two required keys, a picture of its own.
    QDir().mkpath(f.cache.root() + QStringLiteral("/normal"));
    QImage theirs = picture(128, 96, Qt::green);
    theirs.setText(QStringLiteral("Thumb::URI"),
                   QStringLiteral("file://") + QFileInfo(path).absoluteFilePath());
    theirs.setText(QStringLiteral("Thumb::MTime"), QString::number(source.mtime));
    QVERIFY(theirs.save(f.cache.entryPath(Flavour::Normal, source.uri)));

    CountingDecoder decoder;
    const ThumbnailBuilder::Result result = f.build({path}, decoder);
    QCOMPARE(result.fromCache, 1);
    QCOMPARE(decoder.scaled.load(), 0);
    // Stretched over the cell like any picture.
    QCOMPARE(result.cells[0].pixelColor(0, 0), QColor(Qt::green));
    QCOMPARE(result.cells[0].pixelColor(59, 59), QColor(Qt::green));
}

void TestThumbCache::failuresSmallPicturesAndTheCacheItself()
{
    Folder f;
    const QString small = f.add(QStringLiteral("tile.bmp"), picture(64, 64, Qt::red));
    const QString broken = f.pictures() + QStringLiteral("/broken.jpg");
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\xFF\xD8\xFF\xE0 not a picture", 20).repeated(10));
    file.close();
    CountingDecoder decoder;
    const ThumbnailBuilder::Result first = f.build({small, broken}, decoder);
    QCOMPARE(decoder.scaled.load(), 2);
    QVERIFY(!first.cells[0].isNull());
    QVERIFY(first.cells[1].isNull());
    // The small picture is not written; the failure is.
    QCOMPARE(first.toWrite.size(), 1);
    f.write(first);
    const ThumbnailCache::Source failed = ThumbnailCache::source(broken);
    QVERIFY(QFile::exists(f.cache.failurePath(failed.uri)));
    QVERIFY(f.cache.hasFailed(failed, decoder));
    QVERIFY(!QFile::exists(f.cache.entryPath(Flavour::Normal, ThumbnailCache::source(small).uri)));

    // Next visit: the small one is decoded again, the broken one is not tried.
    decoder.scaled = 0;
    const ThumbnailBuilder::Result second = f.build({small, broken}, decoder);
    QCOMPARE(decoder.scaled.load(), 1);
    QVERIFY(second.cells[1].isNull());
    QVERIFY(second.toWrite.isEmpty());
    // Until it changes.
    setMtime(broken, failed.mtime - 10);
    QVERIFY(!f.cache.hasFailed(ThumbnailCache::source(broken), decoder));

    // Pictures inside the cache's own folders are neither read from it nor written to it.
    const QString inside = f.cache.root() + QStringLiteral("/pictures");
    QDir().mkpath(inside);
    const QString own = inside + QStringLiteral("/big.png");
    QVERIFY(picture(500, 500, Qt::red).save(own));
    QVERIFY(f.cache.holdsFolder(inside));
    QVERIFY(f.cache.holdsFolder(f.cache.root()));
    QVERIFY(!f.cache.holdsFolder(f.pictures()));
    QVERIFY(!f.cache.holdsFolder(f.cache.root() + QStringLiteral("-other")));
    // Also when reached through a link.
    const QString link = f.dir.filePath(QStringLiteral("link"));
    QVERIFY(QFile::link(inside, link));
    QVERIFY(f.cache.holdsFolder(link));
    const ThumbnailBuilder::Result own1 =
        f.build({own, link + QStringLiteral("/big.png")}, decoder);
    QVERIFY(own1.toWrite.isEmpty());
    QVERIFY(!own1.cells[0].isNull());
}

QTEST_MAIN(TestThumbCache)
#include "tst_thumbcache.moc"
