#include <QtTest>

#include <QAbstractItemView>
#include <QScreen>
#include <QWindow>

#include "Harness.h"
#include "TestPlatform.h"
#include "app/MainSurface.h"
#include "layout/TwipRect.h"
#include "platform/ImageDecoder.h"
#include "preview/CurrentImage.h"
#include "preview/PreviewPane.h"
#include "preview/TiledView.h"
#include "thumbs/ThumbnailSurface.h"
#include "tile/SampleSettings.h"
#include "tile/TileSettings.h"

namespace {

void save(const QImage& image, const QString& path)
{
    if (!image.save(path))
        qWarning("could not write %s", qPrintable(path));
}

QImage filled(int w, int h, QColor color, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, format);
    image.fill(color);
    return image;
}

// Pixels of `side` squares alternating black and white, starting with black.
QImage checkerboard(int width, int height, int side = 1)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, (x / side + y / side) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    return image;
}

// What the window system shows of a window: its buffer as last flushed, not a fresh render.
QImage onScreen(QWidget& window)
{
    return window.screen()->grabWindow(window.winId()).toImage();
}

QColor at(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

// Clicks the list row that holds `name`, as the user would.
void clickFile(MainWindow& main, const QString& name)
{
    QAbstractItemView* view = nullptr;
    for (auto* candidate : main.findChildren<QAbstractItemView*>()) {
        if (candidate->isVisible() && candidate->objectName().startsWith(QLatin1String("Lv")))
            view = candidate;
    }
    QVERIFY(view);
    const QModelIndexList hits = view->model()->match(view->model()->index(0, 0), Qt::DisplayRole,
                                                      name, 1, Qt::MatchExactly);
    QCOMPARE(hits.size(), 1);
    view->scrollTo(hits.first());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->visualRect(hits.first()).center());
}

} // namespace

class TestRendering : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tiledViewPaintsItsBackgroundAndFollowsThePicture();
    void tiledViewKeepsItsMinimumAndRecordsWithoutAFrame();
    void previewStaysInsideItsFrame();
    void thumbnailsEnlargeCrispAndShrinkSmooth();
};

void TestRendering::tiledViewPaintsItsBackgroundAndFollowsThePicture()
{
    QTemporaryDir dir;
    save(filled(8, 8, Qt::red), dir.filePath(QStringLiteral("red.bmp")));
    QImage hole = filled(8, 8, Qt::transparent, QImage::Format_ARGB32);
    hole.setPixel(0, 0, qRgba(0, 0, 255, 255));
    save(hole, dir.filePath(QStringLiteral("hole.png")));
    save(filled(8, 8, Qt::green), dir.filePath(QStringLiteral("green.bmp")));

    QtImageDecoder decoder;
    CurrentImage image(decoder);
    TwipRect rect{1000, 1000, 6500, 6500};
    SampleSettings sample;
    TileSettings tiles(QApplication::palette().color(QPalette::Window));
    FakeClipboard clipboard;
    TiledView tiled(image, rect, sample, tiles, clipboard, nullptr);
    const QColor background = tiled.palette().color(QPalette::Window);
    QVERIFY(background != QColor(Qt::red) && background != QColor(Qt::black));

    image.load(dir.path(), QStringLiteral("red.bmp"));
    tiled.open();
    QVERIFY(QTest::qWaitForWindowExposed(&tiled));
    QTRY_COMPARE(at(onScreen(tiled), 20, 20), QColor(Qt::red));
    tiled.close();

    // Reopened on a picture that is transparent but for one pixel per tile.
    image.load(dir.path(), QStringLiteral("hole.png"));
    tiled.open();
    QVERIFY(QTest::qWaitForWindowExposed(&tiled));
    QTRY_COMPARE(at(onScreen(tiled), 8, 8), QColor(Qt::blue));
    const QImage shot = onScreen(tiled);
    for (const QPoint p : {QPoint(1, 1), QPoint(20, 21), QPoint(shot.width() - 2, 5)})
        QCOMPARE(at(shot, p.x(), p.y()), background);

    // Another picture while it is open shows at once.
    image.load(dir.path(), QStringLiteral("green.bmp"));
    QTRY_COMPARE(at(onScreen(tiled), 20, 21), QColor(Qt::green));
    image.clear();
    QVERIFY(!tiled.isVisible());
}

void TestRendering::tiledViewKeepsItsMinimumAndRecordsWithoutAFrame()
{
    QtImageDecoder decoder;
    CurrentImage image(decoder);
    TwipRect rect{1500, 1200, 3000, 4500};
    SampleSettings sample;
    TileSettings tiles(Qt::white);
    FakeClipboard clipboard;
    TiledView tiled(image, rect, sample, tiles, clipboard, nullptr);
    tiled.open();
    QVERIFY(QTest::qWaitForWindowExposed(&tiled));
    QTRY_COMPARE(tiled.frameGeometry().size(), QSize(200, 300));

    // The window system makes it smaller than the least size, as X does without a window
    // manager: it grows back to 134 pixels, the first whole count that holds 2000 twips.
    tiled.windowHandle()->resize(50, 60);
    QTRY_COMPARE(tiled.frameGeometry().size(), QSize(134, 134));
    QCOMPARE(rect.width, 2000);
    QCOMPARE(rect.height, 2000);
    tiled.close();

    // A held size that stands for the least pixel count (2005 twips is 134 pixels) is kept.
    rect.width = 2005;
    tiled.open();
    QVERIFY(QTest::qWaitForWindowExposed(&tiled));
    tiled.recordGeometry();
    QCOMPARE(rect.width, 2005);
    QCOMPARE(rect.height, 2000);
    tiled.close();

    // No frame, as under X without a window manager or with one that draws none: the size
    // is still recorded, the window taken as its own outer rectangle.
    tiled.setWindowFlag(Qt::FramelessWindowHint);
    tiled.open();
    QVERIFY(QTest::qWaitForWindowExposed(&tiled));
    QCOMPARE(tiled.frameGeometry(), tiled.geometry());
    tiled.windowHandle()->resize(400, 200);
    QTRY_VERIFY(tiled.width() >= 400 && tiled.height() >= 200);
    QCOMPARE(rect.width, Twips::fromPixels(tiled.width()));
    QCOMPARE(rect.height, Twips::fromPixels(tiled.height()));
    tiled.windowHandle()->resize(40, 300);
    QTRY_VERIFY(tiled.width() >= 134);
    QVERIFY(rect.width >= 2000);

    // A move while open is held once recorded, and the window stays open; a closed window
    // records nothing.
    tiled.windowHandle()->setPosition(200, 150);
    QTRY_COMPARE(tiled.pos(), QPoint(200, 150));
    QCOMPARE(rect.left, 1500);
    tiled.recordGeometry();
    QCOMPARE(rect.left, 3000);
    QCOMPARE(rect.top, 2250);
    QVERIFY(tiled.isVisible());
    tiled.hide();
    rect.left = 1;
    tiled.recordGeometry();
    QCOMPARE(rect.left, 1);
}

void TestRendering::previewStaysInsideItsFrame()
{
    Sandbox box;
    // Narrower than the frame, so it is shown at its natural size: far taller than the window.
    save(filled(20, 2000, Qt::magenta), box.folder() + QStringLiteral("/tall.bmp"));
    box.store(QStringLiteral("Settings"), QStringLiteral("Pvon"), QStringLiteral("True"));
    box.store(QStringLiteral("Settings"), QStringLiteral("Baron"), QStringLiteral("True"));
    box.store(QStringLiteral("Settings"), QStringLiteral("MainHeight"), QStringLiteral("7500"));
    Run run(box);
    MainWindow& main = run.main();
    QTRY_VERIFY(
        main.findChild<QAbstractItemView*>(QStringLiteral("LvIcons"))->model()->rowCount() == 1);
    clickFile(main, QStringLiteral("tall.bmp"));
    auto* preview = main.findChild<PreviewPane*>(QStringLiteral("Primg"));
    QVERIFY(preview && preview->isVisible());
    auto* surface = main.findChild<MainSurface*>(QStringLiteral("MainSurface"));
    QVERIFY(preview->height() > surface->height());

    // Every pixel of the picture lies inside the frame's outline; none on the bars and strips.
    const QRect inside = surface->previewFrame()
                             .translated(surface->mapTo(&main, QPoint(0, 0)))
                             .adjusted(2, 2, -2, -2);
    QTRY_VERIFY(at(onScreen(main), inside.center().x(), inside.center().y()) ==
                QColor(Qt::magenta));
    const QImage shot = onScreen(main);
    int shown = 0;
    int outside = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (at(shot, x, y) != QColor(Qt::magenta))
                continue;
            ++shown;
            outside += !inside.contains(x, y);
        }
    }
    QCOMPARE(outside, 0);
    QCOMPARE(shown, 20 * inside.height()); // the picture is 20 pixels wide
}

void TestRendering::thumbnailsEnlargeCrispAndShrinkSmooth()
{
    Sandbox box;
    save(checkerboard(16, 16), box.folder() + QStringLiteral("/a-small.bmp"));
    save(checkerboard(240, 240), box.folder() + QStringLiteral("/b-large.bmp"));
    Run run(box);
    MainWindow& main = run.main();
    QTest::keyClick(main.findChild<QAbstractItemView*>(QStringLiteral("LvIcons")), Qt::Key_F4);
    auto* surface = main.findChild<ThumbnailSurface*>(QStringLiteral("picScroll"));
    QVERIFY(surface);
    QTRY_COMPARE(surface->count(), qint64(2));
    QTRY_VERIFY(!surface->isPending(0) && !surface->isPending(1));
    const auto cell = [&](qint64 index) {
        return onScreen(main).copy(
            surface->thumbnailRect(index).translated(surface->mapTo(&main, QPoint(0, 0))));
    };
    // The first square, top left, is black once the grid is on screen.
    QTRY_COMPARE(cell(0).pixel(2, 2) & 0xffffff, 0u);
    // Enlarged 16 to 60: every pixel black or white, 16 squares across each row.
    const QImage small = cell(0);
    QCOMPARE(small.size(), QSize(60, 60));
    for (int y = 1; y < 59; ++y) {
        int changes = 0;
        for (int x = 1; x < 59; ++x) {
            const QRgb p = small.pixel(x, y) & 0xffffff;
            QVERIFY2(p == 0 || p == 0xffffff,
                     qPrintable(QStringLiteral("grey at %1,%2").arg(x).arg(y)));
            changes += p != (small.pixel(x - 1, y) & 0xffffff);
        }
        QCOMPARE(changes, 16); // 15 between the 16 squares, one from the border column
    }
    // Shrunk 240 to 60: four squares to a pixel, blended grey rather than aliased.
    const QImage large = cell(1);
    for (const QPoint p : {QPoint(10, 10), QPoint(30, 31), QPoint(50, 20)})
        QVERIFY(qAbs(qGray(large.pixel(p)) - 128) < 40);
}

QTEST_MAIN(TestRendering)
#include "tst_rendering.moc"
