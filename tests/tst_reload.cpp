#include <QtTest>

#include <QAbstractItemView>
#include <QBuffer>
#include <QRandomGenerator>

#include <cstdio>
#include <sys/stat.h>

#include "Harness.h"
#include "app/Browser.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "platform/ImageCompleteness.h"
#include "platform/ImageDecoder.h"
#include "preview/CurrentImage.h"
#include "preview/LiveReload.h"
#include "preview/PreviewPane.h"
#include "preview/TiledView.h"
#include "thumbs/ThumbnailGrid.h"
#include "thumbs/ThumbnailSurface.h"

namespace {

// Noise over a base colour, so that a JPEG's compressed data is most of the file and a cut
// lands inside it.
QImage noisy(QColor base, int side = 96)
{
    QImage image(side, side, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const int d = int(random.bounded(9)) - 4;
            image.setPixelColor(x, y,
                                QColor(std::clamp(base.red() + d, 0, 255),
                                       std::clamp(base.green() + d, 0, 255),
                                       std::clamp(base.blue() + d, 0, 255)));
        }
    return image;
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, format == QByteArray("jpeg") ? 95 : -1);
    return bytes;
}

QByteArray solidBytes(QColor color, const char* format, QSize size = QSize(16, 16))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return encoded(image, format);
}

// Writes in place: the same file, truncated and filled again.
void writeInPlace(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

// Writes a new file beside the old one and renames it over the old, as many editors save.
void writeAndRename(const QString& path, const QByteArray& bytes)
{
    const QString temporary = path + QStringLiteral(".part");
    writeInPlace(temporary, bytes);
    QCOMPARE(
        std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()),
        0);
}

bool isColour(const QImage& image, QColor want, int tolerance = 12)
{
    if (image.isNull())
        return false;
    const QColor got = image.pixelColor(image.width() / 2, image.height() / 2);
    return std::abs(got.red() - want.red()) <= tolerance &&
           std::abs(got.green() - want.green()) <= tolerance &&
           std::abs(got.blue() - want.blue()) <= tolerance;
}

// The program on a folder of its own, with one file clicked.
struct Live
{
    explicit Live(Run& run)
        : main(run.main()), browser(main.browser()), current(browser.current()),
          reload(browser.findChild<LiveReload*>(QStringLiteral("liveReload"))),
          noticed(reload, &LiveReload::fileChanged),
          finished(&current, &CurrentImage::reloadFinished)
    {
        // Every picture the current image takes on, in order.
        QObject::connect(&current, &CurrentImage::changed, reload,
                         [this] { shown.append(current.image()); });
    }
    void click(const QString& name)
    {
        QAbstractItemView* view = main.fileList().currentView();
        const QModelIndex index =
            main.fileList().model()->index(main.fileList().model()->rowOf(name), 0);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                          view->visualRect(index).center());
        QCOMPARE(current.file(), name);
        shown.clear();
    }
    QString dim() const { return main.statusBar().line()->partText(1); }

    MainWindow& main;
    Browser& browser;
    CurrentImage& current;
    LiveReload* reload;
    QSignalSpy noticed;
    QSignalSpy finished;
    QVector<QImage> shown;

    bool lastReplaced() const { return !finished.isEmpty() && finished.last().first().toBool(); }
};

} // namespace

class TestReload : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void completeness_data();
    void completeness();
    void jpegWithAnEmbeddedEndMarker();
    void decodeCompleteRefusesWhatDecodeAccepts();
    void followsWritesInPlaceAndRenames();
    void halfWrittenFilesAreNeverShown();
    void followsOnlyTheCurrentFile();
    void hostileReplacements();
    void gridCellAndCacheFollow();
};

void TestReload::completeness_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("cut"); // bytes kept; -1: the whole file
    QTest::addColumn<bool>("complete");

    const QImage picture = noisy(QColor(200, 40, 40));
    const QByteArray jpeg = encoded(picture, "jpeg");
    const QByteArray png = encoded(picture, "png");
    // Qt writes no GIF: one pixel, with a colour table, an extension and an image block.
    const QByteArray gif("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff"
                         "\x21\xf9\x04\x01\x00\x00\x00\x00"
                         "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b",
                         43);
    QCOMPARE(QImage::fromData(gif).size(), QSize(1, 1));
    const QByteArray bmp = encoded(picture, "bmp");
    QVERIFY(!jpeg.isEmpty() && !png.isEmpty() && !gif.isEmpty() && !bmp.isEmpty());

    QTest::newRow("jpeg whole") << jpeg << qint64(-1) << true;
    QTest::newRow("jpeg half") << jpeg << qint64(jpeg.size() / 2) << false;
    QTest::newRow("jpeg without its end marker") << jpeg << qint64(jpeg.size() - 2) << false;
    QTest::newRow("jpeg headers only") << jpeg << qint64(40) << false;
    QTest::newRow("jpeg with trailing bytes")
        << QByteArray(jpeg + QByteArray(100, 'x')) << qint64(-1) << true;
    QTest::newRow("png whole") << png << qint64(-1) << true;
    QTest::newRow("png half") << png << qint64(png.size() / 2) << false;
    QTest::newRow("png without the end's checksum") << png << qint64(png.size() - 2) << false;
    QTest::newRow("gif whole") << gif << qint64(-1) << true;
    QTest::newRow("gif half") << gif << qint64(gif.size() / 2) << false;
    QTest::newRow("gif without its trailer") << gif << qint64(gif.size() - 1) << false;
    QTest::newRow("bmp whole") << bmp << qint64(-1) << true;
    QTest::newRow("bmp one byte short") << bmp << qint64(bmp.size() - 1) << false;
    QTest::newRow("bmp header only") << bmp << qint64(10) << false;
    QTest::newRow("not a picture: the decoder decides")
        << QByteArray("plain text") << qint64(-1) << true;
}

void TestReload::completeness()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, cut);
    QFETCH(bool, complete);
    const QByteArray kept = cut < 0 ? bytes : bytes.left(cut);
    QCOMPARE(ImageCompleteness::isComplete(kept), complete);
    // The form for long files reads only the ends, and must agree on these.
    const QByteArray head = kept.left(ImageCompleteness::HeadBytes);
    const QByteArray tail = kept.right(ImageCompleteness::TailBytes);
    QCOMPARE(ImageCompleteness::isComplete(head, tail, kept.size()), complete);
}

void TestReload::jpegWithAnEmbeddedEndMarker()
{
    // A preview picture in the header brings an end marker of its own: a file cut after it,
    // inside the real picture's data, is still incomplete.
    const QByteArray inner = solidBytes(Qt::blue, "jpeg", QSize(8, 8));
    const QByteArray outer = encoded(noisy(Qt::green), "jpeg");
    QByteArray segment("\xFF\xE1", 2);
    const int length = inner.size() + 2;
    segment.append(char(length >> 8)).append(char(length & 0xFF)).append(inner);
    const QByteArray withPreview = outer.left(2) + segment + outer.mid(2);
    QVERIFY(ImageCompleteness::isComplete(withPreview));
    const QByteArray cut = withPreview.left(segment.size() + 2 + (outer.size() - 2) / 2);
    QVERIFY(cut.contains("\xFF\xD9"));
    QVERIFY(!ImageCompleteness::isComplete(cut));
}

void TestReload::decodeCompleteRefusesWhatDecodeAccepts()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.jpg"));
    const QByteArray jpeg = encoded(noisy(QColor(30, 160, 60)), "jpeg");
    writeInPlace(path, jpeg.left(jpeg.size() * 2 / 3));
    const QtImageDecoder decoder;
    // The plain decode keeps its verdict on a cut file; the reload's decode refuses it as a
    // file that may read better later.
    QVERIFY(decoder.decode(path).ok());
    const DecodedImage refused = decoder.decodeComplete(path);
    QVERIFY(!refused.ok());
    QCOMPARE(refused.failure, DecodedImage::Failure::Unreadable);
    writeInPlace(path, jpeg);
    QVERIFY(decoder.decodeComplete(path).ok());
    QCOMPARE(decoder.decodeComplete(path).image.size(), QSize(96, 96));
}

void TestReload::followsWritesInPlaceAndRenames()
{
    Sandbox box;
    const QString path = box.folder() + QStringLiteral("/a.bmp");
    writeInPlace(path, solidBytes(Qt::red, "bmp"));
    writeInPlace(box.folder() + QStringLiteral("/b.bmp"), solidBytes(Qt::gray, "bmp"));
    Run run(box);
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 2);
    Live live(run);
    live.click(QStringLiteral("a.bmp"));
    QVERIFY(isColour(live.current.image(), Qt::red));
    QCOMPARE(live.reload->path(), path);

    // Written in place, larger: picture, size, preview and facts follow.
    writeInPlace(path, solidBytes(Qt::green, "bmp", QSize(24, 20)));
    QTRY_VERIFY(isColour(live.current.image(), Qt::green));
    QCOMPARE(live.current.file(), QStringLiteral("a.bmp"));
    QCOMPARE(live.current.picWidth(), 24 * 15);
    QCOMPARE(live.current.picHeight(), 20 * 15);
    QVERIFY(isColour(live.browser.preview().picture().toImage(), Qt::green));
    QCOMPARE(live.dim(), QStringLiteral("Dim: 24x20"));

    // The editor's way, twice in a row: the watch outlives the file it began on.
    live.browser.openTiledView();
    TiledView& tiled = live.browser.tiledView();
    QVERIFY(QTest::qWaitForWindowExposed(&tiled));
    writeAndRename(path, solidBytes(Qt::blue, "bmp", QSize(10, 10)));
    QTRY_VERIFY(isColour(live.current.image(), Qt::blue));
    QCOMPARE(live.dim(), QStringLiteral("Dim: 10x10"));
    writeAndRename(path, solidBytes(Qt::yellow, "bmp", QSize(10, 10)));
    QTRY_VERIFY(isColour(live.current.image(), Qt::yellow));
    QVERIFY(isColour(tiled.grab().toImage(), Qt::yellow));
    QVERIFY(isColour(live.browser.preview().picture().toImage(), Qt::yellow));
    QCOMPARE(live.shown.size(), 3);

    // The seam score is the new picture's: a flat picture tiles, a ramp across does not.
    StatusLine* line = live.main.statusBar().line();
    QCOMPARE(line->partText(3), QStringLiteral("Seam: 100"));
    QImage ramp(32, 8, QImage::Format_RGB32);
    for (int y = 0; y < ramp.height(); ++y)
        for (int x = 0; x < ramp.width(); ++x)
            ramp.setPixel(x, y, qRgb(x * 8, x * 8, x * 8));
    writeAndRename(path, encoded(ramp, "bmp"));
    QTRY_COMPARE(line->partText(3), QStringLiteral("Seam: 0"));
}

void TestReload::halfWrittenFilesAreNeverShown()
{
    Sandbox box;
    box.store(QStringLiteral("Type"), QStringLiteral("Png"), QStringLiteral("*.png;"));
    const QString jpg = box.folder() + QStringLiteral("/a.jpg");
    const QString png = box.folder() + QStringLiteral("/b.png");
    const QColor red(200, 40, 40);
    const QColor green(40, 200, 40);
    const QByteArray greenJpeg = encoded(noisy(green), "jpeg");
    const QByteArray greenPng = encoded(noisy(green), "png");
    writeInPlace(jpg, encoded(noisy(red), "jpeg"));
    writeInPlace(png, encoded(noisy(red), "png"));
    Run run(box);
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 2);
    Live live(run);

    const auto check = [&live, red, green](const QString& path, const QByteArray& whole) {
        live.click(QFileInfo(path).fileName());
        QVERIFY(isColour(live.current.image(), red));
        live.finished.clear();
        live.shown.clear();
        writeInPlace(path, whole.left(whole.size() / 2));
        QTRY_COMPARE(live.finished.size(), 1);
        // Read and refused: the old picture stays, in the holder and in the preview.
        QVERIFY(!live.lastReplaced());
        QVERIFY(isColour(live.current.image(), red));
        QVERIFY(isColour(live.browser.preview().picture().toImage(), red));
        QVERIFY(live.shown.isEmpty());
        writeAndRename(path, whole.left(whole.size() - 3));
        QTRY_COMPARE(live.finished.size(), 2);
        QVERIFY(!live.lastReplaced());
        QVERIFY(live.shown.isEmpty());
        // The rest arrives later: now it shows, and nothing else ever did.
        writeInPlace(path, whole);
        QTRY_VERIFY(isColour(live.current.image(), green));
        QCOMPARE(live.shown.size(), 1);
        QVERIFY(isColour(live.shown.first(), green));
    };
    check(jpg, greenJpeg);
    if (!QTest::currentTestFailed())
        check(png, greenPng);
}

void TestReload::followsOnlyTheCurrentFile()
{
    Sandbox box;
    const QString a = box.folder() + QStringLiteral("/a.bmp");
    const QString b = box.folder() + QStringLiteral("/b.bmp");
    writeInPlace(a, solidBytes(Qt::red, "bmp"));
    writeInPlace(b, solidBytes(Qt::gray, "bmp"));
    Run run(box);
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 2);
    Live live(run);
    live.click(QStringLiteral("a.bmp"));
    // a's reload is on its way when the user picks b: it finishes, and is dropped.
    writeInPlace(a, solidBytes(Qt::green, "bmp"));
    live.current.reload();
    live.click(QStringLiteral("b.bmp"));
    QCOMPARE(live.reload->path(), b);
    QTRY_COMPARE(live.finished.size(), 1);
    QVERIFY(!live.lastReplaced());
    QVERIFY(isColour(live.current.image(), Qt::gray));
    QVERIFY(live.shown.isEmpty());

    // A change to the file left behind is neither noticed nor read; the current one's is.
    writeInPlace(a, solidBytes(Qt::cyan, "bmp"));
    writeInPlace(b, solidBytes(Qt::blue, "bmp"));
    QTRY_VERIFY(isColour(live.current.image(), Qt::blue));
    QCOMPARE(live.current.file(), QStringLiteral("b.bmp"));
    for (const QList<QVariant>& report : live.noticed)
        QCOMPARE(report.first().toString(), b);

    // Deleted, the picture stays; back under the same name, it is read.
    QVERIFY(QFile::remove(b));
    writeInPlace(box.folder() + QStringLiteral("/c.bmp"), solidBytes(Qt::cyan, "bmp"));
    writeInPlace(b, solidBytes(Qt::magenta, "bmp"));
    QTRY_VERIFY(isColour(live.current.image(), Qt::magenta));
    for (const QImage& image : live.shown)
        QVERIFY(!image.isNull());

    // Nothing is watched without a current file.
    QWidget* viewport = live.main.fileList().currentView()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier,
                      QPoint(viewport->width() - 2, viewport->height() - 2));
    QVERIFY(!live.current.isSet());
    QCOMPARE(live.reload->path(), QString());
}

void TestReload::hostileReplacements()
{
    Sandbox box;
    const QString name = QStringLiteral("tile $(rm) ' \" ü;.bmp");
    const QString path = box.folder() + u'/' + name;
    writeInPlace(path, solidBytes(Qt::red, "bmp"));
    Run run(box);
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 1);
    Live live(run);
    live.click(name);
    QVERIFY(isColour(live.current.image(), Qt::red));

    // A FIFO renamed over the picture is never opened: nothing blocks, the picture stays.
    const QString fifo = box.folder() + QStringLiteral("/pipe");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(std::rename(QFile::encodeName(fifo).constData(), QFile::encodeName(path).constData()),
             0);
    // A header that claims a picture far over the decoder's cap is refused, not allocated.
    QByteArray huge = solidBytes(Qt::green, "bmp");
    qToLittleEndian<qint32>(60000, huge.data() + 18);
    qToLittleEndian<qint32>(60000, huge.data() + 22);
    writeAndRename(path, huge);
    QTRY_COMPARE(live.finished.size(), 1);
    QVERIFY(!live.lastReplaced());
    QCOMPARE(live.noticed.size(), 1);
    QVERIFY(isColour(live.current.image(), Qt::red));
    QVERIFY(live.shown.isEmpty());

    // A flood of saves gives the last one, once it settles.
    for (int i = 0; i < 20; ++i)
        writeInPlace(path, solidBytes(QColor(i * 10, 0, 0), "bmp"));
    writeInPlace(path, solidBytes(Qt::blue, "bmp"));
    QTRY_VERIFY(isColour(live.current.image(), Qt::blue));
    QCOMPARE(live.noticed.size(), 2);
    QCOMPARE(live.shown.size(), 1);
    QCOMPARE(live.current.file(), name);

    // Another program busy in the same folder, writing a file between every look, neither
    // puts the reading off nor brings reads of its own.
    writeInPlace(path, solidBytes(Qt::yellow, "bmp"));
    int other = 0;
    const auto busy = [&box, &other] {
        writeInPlace(box.folder() + QStringLiteral("/frame%1.tmp").arg(other++), "x");
        return true;
    };
    QTRY_VERIFY(busy() && isColour(live.current.image(), Qt::yellow));
    QCOMPARE(live.shown.size(), 2);
}

void TestReload::gridCellAndCacheFollow()
{
    Sandbox box;
    // Larger than the cache's thumbnails, so that the folder's pictures go into the cache.
    const QSize size(200, 200);
    const QString path = box.folder() + QStringLiteral("/a.bmp");
    writeInPlace(path, solidBytes(Qt::red, "bmp", size));
    writeInPlace(box.folder() + QStringLiteral("/b.bmp"), solidBytes(Qt::gray, "bmp", size));
    Run run(box);
    Browser& browser = run.main().browser();
    ThumbnailGrid& grid = browser.grid();
    QTRY_VERIFY(grid.count() == 2 && !grid.isBuilding());
    run.main().run(Command::ViewThumbnails);
    ThumbnailSurface& surface = grid.surface();
    QTest::mouseClick(&surface, Qt::LeftButton, Qt::NoModifier, surface.thumbnailRect(0).center());
    QCOMPARE(browser.current().file(), QStringLiteral("a.bmp"));
    QVERIFY(isColour(surface.thumbnail(0), Qt::red));
    grid.waitForCacheWrites();

    // The same size and length within the same second: only the picture differs.
    writeInPlace(path, solidBytes(Qt::green, "bmp", size));
    QTRY_VERIFY(isColour(surface.thumbnail(0), Qt::green));
    QVERIFY(isColour(surface.grab(surface.thumbnailRect(0)).toImage(), Qt::green));
    QVERIFY(isColour(surface.thumbnail(1), Qt::gray));
    QCOMPARE(surface.marker(), 0);

    // Listed again, the cell comes from the shared cache, which holds the new picture.
    grid.waitForCacheWrites();
    run.main().run(Command::Refresh);
    QTRY_VERIFY(grid.count() == 2 && !grid.isBuilding());
    QVERIFY(isColour(surface.thumbnail(0), Qt::green));
}

QTEST_MAIN(TestReload)
#include "tst_reload.moc"
