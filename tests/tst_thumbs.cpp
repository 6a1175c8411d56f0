#include <QtTest>

#include <QAbstractItemView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QScrollBar>

#include <sys/stat.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "Harness.h"
#include "app/Browser.h"
#include "app/StartupSequence.h"
#include "app/TitleStrip.h"
#include "app/ViewModes.h"
#include "listing/FileList.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "listing/FolderTree.h"
#include "platform/ImageDecoder.h"
#include "preview/CurrentImage.h"
#include "preview/PreviewPane.h"
#include "preview/TiledView.h"
#include "thumbs/DecodeBudget.h"
#include "thumbs/ThumbGridGeometry.h"
#include "thumbs/ThumbnailBase.h"
#include "thumbs/ThumbnailBuilder.h"
#include "thumbs/ThumbnailCache.h"
#include "thumbs/ThumbnailGrid.h"
#include "thumbs/ThumbnailSurface.h"

namespace {

void writeTile(const QString& folder, const QString& name, QColor color, int side = 8)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(color);
    if (!image.save(folder + QLatin1Char('/') + name))
        qWarning("could not write %s", qPrintable(name));
}

void writeTiles(const QString& folder, int count)
{
    for (int i = 0; i < count; ++i)
        writeTile(folder, QStringLiteral("t%1.bmp").arg(i, 4, 10, QLatin1Char('0')),
                  QColor::fromHsv(i * 7 % 360, 200, 200));
}

// A window whose thumbnail area has room for exactly `columns` columns.
void storeColumns(const Sandbox& box, int columns)
{
    // The list is IsbLeft - IsaLeft - 40 wide and the base 10 less; the bar takes 240.
    const int isb = 2000 + 40 + 10 + 240 + columns * 1000 + 300;
    box.store(QStringLiteral("Settings"), QStringLiteral("MainWidth"), QString::number(isb + 3000));
    box.store(QStringLiteral("Settings"), QStringLiteral("MainHeight"), QStringLiteral("6000"));
    box.store(QStringLiteral("Settings"), QStringLiteral("IsbLeft"), QString::number(isb));
}

struct Grid
{
    explicit Grid(Run& run)
        : main(run.main()), browser(main.browser()), grid(browser.grid()), surface(grid.surface())
    {
    }
    MainWindow& main;
    Browser& browser;
    ThumbnailGrid& grid;
    ThumbnailSurface& surface;

    void show() { main.run(Command::ViewThumbnails); }
    void press(qint64 index, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(&surface, button, Qt::NoModifier, surface.thumbnailRect(index).center());
        QTest::mouseRelease(&surface, button, Qt::NoModifier,
                            surface.thumbnailRect(index).center());
    }
    QString selectedName() const
    {
        return main.fileList().model()->nameAt(main.fileList().selectedRow());
    }
    QColor pixelOf(qint64 index, QPoint offset = QPoint(30, 30)) const
    {
        const QImage shot = surface.grab(surface.thumbnailRect(index)).toImage();
        return shot.pixelColor(offset);
    }
};

} // namespace

// A decoder that counts its calls and draws each picture in a colour named by the file.
class CountingDecoder : public ImageDecoder
{
public:
    DecodedImage decode(const QString& path) const override { return decodeScaled(path, QSize()); }
    DecodedImage decodeScaled(const QString& path, const QSize&) const override
    {
        std::lock_guard<std::mutex> lock(mutex);
        calls[path] += 1;
        DecodedImage d;
        if (path.endsWith(QLatin1String("bad"))) {
            d.failure = DecodedImage::Failure::NotAPicture;
            return d;
        }
        d.image = QImage(4, 4, QImage::Format_ARGB32);
        d.image.fill(QColor(path.section(QLatin1Char('/'), -1)));
        d.naturalSize = d.image.size();
        return d;
    }
    mutable std::mutex mutex;
    mutable QHash<QString, int> calls;
};

class TestThumbs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void builderDecodesEachFileOnce();
    void gridFollowsTheLayoutAndTheFiles();
    void capacityMessage();
    void pressesKeysAndTheList();
    void pagingAndScrolling();
    void brokenAndTransparentCells();
    void emptySpaceAndPopups();
    void builderKeepsWithinTheBudget();
    void buildServesInputAndFillsAsItGoes();
    void visibleCellsFirstAndNewListingsWin();
    void columnsFollowThePane();
    void hostileFolders();
};

void TestThumbs::builderDecodesEachFileOnce()
{
    CountingDecoder decoder;
    // Each path its own folder; the file's name is the colour the fake decoder paints.
    QStringList paths;
    for (int i = 0; i < 200; ++i)
        paths << (i == 7       ? QStringLiteral("/x/%1bad")
                  : i % 3 == 0 ? QStringLiteral("/a%1/red")
                               : QStringLiteral("/a%1/blue"))
                     .arg(i);
    const QVector<QImage> thumbs =
        ThumbnailBuilder::run(paths, QSize(6, 6), Qt::white, decoder, {}).cells;
    QCOMPARE(thumbs.size(), 200);
    for (const QString& path : paths)
        QCOMPARE(decoder.calls.value(path), 1);
    QVERIFY(thumbs[7].isNull());
    QCOMPARE(thumbs[0].pixelColor(3, 3), QColor(Qt::red));
    QCOMPARE(thumbs[1].pixelColor(3, 3), QColor(Qt::blue));
    QCOMPARE(thumbs[1].size(), QSize(6, 6));
    QVERIFY(ThumbnailBuilder::run({}, QSize(6, 6), Qt::white, decoder, {}).cells.isEmpty());
}

void TestThumbs::gridFollowsTheLayoutAndTheFiles()
{
    Sandbox box;
    storeColumns(box, 5);
    writeTiles(box.folder(), 40);
    const QString twelve = box.dir.filePath(QStringLiteral("twelve"));
    QDir().mkpath(twelve);
    writeTiles(twelve, 12);
    Run run(box);
    Grid g(run);
    QTRY_COMPARE(g.grid.count(), 40);
    QTRY_VERIFY(!g.grid.isBuilding());
    QCOMPARE(g.grid.lastColumn(), 4);
    QCOMPARE(g.surface.columns(), 5);
    // Built while the list shows: ready when the grid is shown.
    QVERIFY(g.main.thumbBase().isHidden());
    QVERIFY(!g.main.titleStrip().progressBar()->isVisible());
    QVERIFY(g.main.titleStrip().countLabel()->isVisible());

    // Cells of 1000 twips from the surface's corner; the surface 120 twips into the base.
    QCOMPARE(g.surface.thumbnailRect(11), (TwipRect{1000, 2000, 900, 900}.toPixels()));
    QCOMPARE(g.surface.x(), Twips::toPixels(120));
    QCOMPARE(g.surface.thumbnailAt(g.surface.thumbnailRect(7).center()), 7);

    run.main().folderTree().setSelectedPath(twelve);
    QTRY_COMPARE(g.grid.count(), 12);
    QTRY_VERIFY(!g.grid.isBuilding());
    QCOMPARE(g.grid.nameAt(11), QStringLiteral("t0011.bmp"));
    QCOMPARE(g.main.thumbBase().scrollBar()->isHidden(),
             !ThumbGridGeometry::scrollBarShown(ThumbGridGeometry::scrollMaximum(
                 2, ThumbGridGeometry::visibleRows(g.main.lastLayout().thumbBase.height))));
    g.show();
    QVERIFY(g.main.thumbBase().isVisible());
    QCOMPARE(QApplication::focusWidget(), &g.surface);
    // An 8 x 8 tile fills its 900-twip cell picture: 60 pixels at 15 twips a pixel.
    QCOMPARE(g.surface.thumbnail(0).size() / g.surface.thumbnail(0).devicePixelRatio(),
             QSize(60, 60));
}

void TestThumbs::capacityMessage()
{
    // Any number of rows: 246 files in one column get all their thumbnails.
    Sandbox box;
    storeColumns(box, 1);
    writeTiles(box.folder(), 246);
    Run run(box);
    Grid g(run);
    QTRY_COMPARE(g.grid.count(), 246);
    QTRY_VERIFY(!g.grid.isBuilding());
    QVERIFY(!g.surface.thumbnail(245).isNull());
    QVERIFY(run.test.messages->shown.isEmpty());

    // A pane too narrow for one column says so, and still lists the files.
    Sandbox narrow;
    storeColumns(narrow, 1);
    narrow.store(QStringLiteral("Settings"), QStringLiteral("IsbLeft"), QStringLiteral("3100"));
    writeTiles(narrow.folder(), 3);
    Run small(narrow);
    Grid n(small);
    QTRY_COMPARE(small.test.messages->shown.size(), 1);
    QCOMPARE(small.test.messages->shown[0].text, ThumbnailGrid::CapacityText);
    QCOMPARE(small.test.messages->shown[0].title, QStringLiteral("Vadro"));
    QCOMPARE(n.surface.columns(), 0);
    QCOMPARE(n.main.fileList().model()->rowCount(), 3);
    QVERIFY(n.main.thumbBase().scrollBar()->isHidden());
}

void TestThumbs::pressesKeysAndTheList()
{
    Sandbox box;
    storeColumns(box, 5);
    writeTiles(box.folder(), 12);
    Run run(box);
    Grid g(run);
    QTRY_COMPARE(g.grid.count(), 12);
    QTRY_VERIFY(!g.grid.isBuilding());
    g.show();

    // Nothing selected: keys do nothing.
    QTest::keyClick(&g.surface, Qt::Key_Right);
    QVERIFY(!g.surface.isMarkerVisible());

    g.press(6);
    QCOMPARE(g.surface.marker(), 6);
    QCOMPARE(g.browser.current().file(), QStringLiteral("t0006.bmp"));
    QCOMPARE(g.selectedName(), QStringLiteral("t0006.bmp"));
    QVERIFY(g.browser.preview().isVisible());
    QCOMPARE(g.main.statusBar().line()->partText(0), QStringLiteral("File: t0006.bmp"));

    QTest::keyClick(&g.surface, Qt::Key_Down); // 6 -> 11
    QCOMPARE(g.surface.marker(), 11);
    QCOMPARE(g.selectedName(), QStringLiteral("t0011.bmp"));
    QTest::keyClick(&g.surface, Qt::Key_Right); // nothing past the last
    QCOMPARE(g.surface.marker(), 11);
    QTest::keyClick(&g.surface, Qt::Key_Up);
    QTest::keyClick(&g.surface, Qt::Key_Up);
    QCOMPARE(g.surface.marker(), 1);
    QTest::keyClick(&g.surface, Qt::Key_Up); // first row: nothing
    QCOMPARE(g.surface.marker(), 1);
    QTest::keyClick(&g.surface, Qt::Key_Left);
    QTest::keyClick(&g.surface, Qt::Key_Left); // nothing before the first
    QCOMPARE(g.surface.marker(), 0);
    QCOMPARE(g.browser.current().file(), QStringLiteral("t0000.bmp"));

    // Sorted differently, the list and the grid still meet by name.
    g.main.run(Command::SortDescending);
    g.main.run(Command::ViewList);
    QAbstractItemView* view = g.main.fileList().currentView();
    const QModelIndex first = g.main.fileList().model()->index(0, 0);
    QCOMPARE(first.data().toString(), QStringLiteral("t0011.bmp"));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->visualRect(first).center());
    QCOMPARE(g.surface.marker(), 11);
    g.show();
    QTest::keyClick(&g.surface, Qt::Key_Left);
    QCOMPARE(g.surface.marker(), 10);
    QCOMPARE(g.selectedName(), QStringLiteral("t0010.bmp"));

    QTest::keyClick(&g.surface, Qt::Key_Return);
    QVERIFY(g.browser.tiledView().isVisible());
    g.browser.tiledView().close();
    QCOMPARE(QApplication::focusWidget(), &g.surface);
    QTest::mouseDClick(&g.surface, Qt::LeftButton, Qt::NoModifier,
                       g.surface.thumbnailRect(3).center());
    QVERIFY(g.browser.tiledView().isVisible());
    QCOMPARE(g.browser.current().file(), QStringLiteral("t0003.bmp"));
}

void TestThumbs::pagingAndScrolling()
{
    Sandbox box;
    storeColumns(box, 1);
    box.store(QStringLiteral("Settings"), QStringLiteral("MainHeight"), QStringLiteral("7000"));
    writeTiles(box.folder(), 12);
    Run run(box);
    Grid g(run);
    QTRY_COMPARE(g.grid.count(), 12);
    QTRY_VERIFY(!g.grid.isBuilding());
    g.show();
    g.main.run(Command::Refresh); // built on the pane as it is now
    // Paging is measured on the finished grid, with nothing of the build left to arrive.
    QTRY_VERIFY(!g.grid.isBuilding());
    QScrollBar* bar = g.main.thumbBase().scrollBar();
    const int visible = ThumbGridGeometry::visibleRows(g.main.lastLayout().thumbBase.height);
    QCOMPARE(bar->maximum(), int(ThumbGridGeometry::scrollMaximum(11, visible)));
    QVERIFY(bar->isVisible());
    g.press(0);
    const int max = bar->maximum();
    QTest::keyClick(&g.surface, Qt::Key_PageDown);
    QCOMPARE(bar->value(), std::min(7, max));
    QCOMPARE(g.surface.y(), Twips::toPixels(-bar->value() * 567));
    QTest::keyClick(&g.surface, Qt::Key_PageDown);
    QCOMPARE(bar->value(), max);
    QTest::keyClick(&g.surface, Qt::Key_PageUp);
    QCOMPARE(bar->value(), max > 14 ? max - 7 : (max > 7 ? max - 7 : 0));
    QTest::keyClick(&g.surface, Qt::Key_PageUp);
    QTest::keyClick(&g.surface, Qt::Key_PageUp);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(g.surface.marker(), 0); // paging leaves the selection alone

    // The wheel over the grid turns the bar.
    QWheelEvent wheel(QPointF(10, 10), g.surface.mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&g.surface, &wheel);
    QVERIFY(bar->value() > 0);

    // A grid without its bar does not move on Page Down.
    const QString few = box.dir.filePath(QStringLiteral("few"));
    QDir().mkpath(few);
    writeTiles(few, 2);
    g.main.folderTree().setSelectedPath(few);
    QTRY_COMPARE(g.grid.count(), 2);
    QTRY_VERIFY(!g.grid.isBuilding());
    QVERIFY(bar->isHidden());
    g.press(0);
    const int top = g.surface.y();
    QTest::keyClick(&g.surface, Qt::Key_PageDown);
    QCOMPARE(g.surface.y(), top);
    QCOMPARE(g.surface.y(), 0);
}

void TestThumbs::brokenAndTransparentCells()
{
    Sandbox box;
    storeColumns(box, 5);
    box.store(QStringLiteral("Type"), QStringLiteral("Ico"), QStringLiteral("*.ico;"));
    writeTile(box.folder(), QStringLiteral("a.bmp"), Qt::red, 16);
    QFile broken(box.folder() + QStringLiteral("/b.bmp"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("BM this is not a bitmap");
    broken.close();
    writeTile(box.folder(), QStringLiteral("c.bmp"), Qt::blue, 16);
    QImage clear(32, 32, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    for (int y = 0; y < 32; ++y)
        clear.setPixelColor(y, y, Qt::green); // a diagonal line on nothing
    QVERIFY(clear.save(box.folder() + QStringLiteral("/d.ico")));
    Run run(box);
    Grid g(run);
    QTRY_COMPARE(g.grid.count(), 4);
    QTRY_VERIFY(!g.grid.isBuilding());
    g.show();
    const QColor background = g.surface.palette().color(QPalette::Window);
    QCOMPARE(g.pixelOf(0), QColor(Qt::red));
    QCOMPARE(g.pixelOf(1), background); // blank, not a copy of the previous picture
    QCOMPARE(g.pixelOf(2), QColor(Qt::blue));
    QCOMPARE(g.pixelOf(3, QPoint(45, 10)), background); // the blue shows nowhere through it
    QVERIFY(g.surface.thumbnail(1).isNull());

    // The build keeps the current image: the tiled view still has its picture.
    g.press(0);
    g.browser.openTiledView();
    g.main.run(Command::ViewLargeIcons);
    QVERIFY(g.browser.current().hasPicture());
    // A press on the broken cell: no picture, no old dimensions.
    g.show();
    g.press(1);
    QVERIFY(!g.browser.current().hasPicture());
    QVERIFY(!g.browser.preview().isVisible());
    QCOMPARE(g.main.statusBar().line()->partText(1), QString());
}

void TestThumbs::emptySpaceAndPopups()
{
    Sandbox box;
    storeColumns(box, 5);
    writeTiles(box.folder(), 3);
    Run run(box);
    Grid g(run);
    QTRY_COMPARE(g.grid.count(), 3);
    QTRY_VERIFY(!g.grid.isBuilding());
    g.show();
    FakePopupMenus& popups = *run.test.popups;

    // A right press selects the pressed picture as a left press does, then offers its menu.
    g.press(0);
    g.press(2, Qt::RightButton);
    QCOMPARE(popups.opened, QStringList{QStringLiteral("mnuWall")});
    QCOMPARE(g.surface.marker(), 2);
    QCOMPARE(g.browser.current().file(), QStringLiteral("t0002.bmp"));
    QCOMPARE(g.main.fileList().selectedRow(), 2);
    QCOMPARE(g.main.statusBar().line()->partText(0), QStringLiteral("File: t0002.bmp"));

    const QPoint empty = g.surface.thumbnailRect(2).bottomRight() + QPoint(200, 5);
    QTest::mouseClick(&g.surface, Qt::RightButton, Qt::NoModifier, empty);
    QCOMPARE(popups.opened.last(), QStringLiteral("mnuLv"));
    QVERIFY(!g.main.findChild<QMenu*>(QStringLiteral("mnuLvSort"))->isEnabled());
    QVERIFY(g.surface.isMarkerVisible());

    QTest::mouseClick(&g.surface, Qt::LeftButton, Qt::NoModifier, empty);
    QVERIFY(!g.surface.isMarkerVisible());
    QVERIFY(!g.browser.current().isSet());
    QCOMPARE(g.main.fileList().selectedRow(), -1);
    QCOMPARE(
        run.line(),
        QStringLiteral("Click an item to preview it or Double click it to show the tiled image"));

    // Outside the surface, on the base: the same empty space.
    g.press(1);
    QTest::mouseClick(&g.main.thumbBase(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    QVERIFY(!g.surface.isMarkerVisible());
}

// Notes how many decodes run at once; each waits a little for a second one to join it, so
// that two admitted together are seen together.
class OverlapDecoder : public CountingDecoder
{
public:
    DecodedImage decodeScaled(const QString& path, const QSize& target) const override
    {
        {
            std::unique_lock<std::mutex> lock(overlapMutex);
            ++running;
            most = std::max(most, running);
            joined.notify_all();
            joined.wait_for(lock, std::chrono::milliseconds(50), [this] { return running > 1; });
            --running;
        }
        return CountingDecoder::decodeScaled(path, target);
    }
    mutable std::mutex overlapMutex;
    mutable std::condition_variable joined;
    mutable int running = 0;
    mutable int most = 0;
};

void TestThumbs::builderKeepsWithinTheBudget()
{
    // Headers alone: the budget reads them, the fake decoder paints the colour in the name.
    QTemporaryDir dir;
    const auto pngHeader = [&dir](const QString& name, quint32 width, quint32 height) {
        QByteArray b("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
        for (quint32 v : {width, height})
            for (int shift : {24, 16, 8, 0})
                b.append(char(v >> shift));
        b.append("\x08\x06\0\0\0", 5);
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(b) != b.size())
            qWarning("cannot write %s", qPrintable(path));
        return path;
    };
    QStringList paths;
    for (int i = 0; i < 6; ++i)
        paths << pngHeader(QStringLiteral("%1/red").arg(i).replace('/', '-'), 2000, 2000);
    paths << pngHeader(QStringLiteral("huge-blue"), 20000, 20000);

    OverlapDecoder decoder;
    ThumbnailBuilder::Options options;
    options.budget = 20 * DecodeBudget::MiB; // each picture alone needs more
    const ThumbnailBuilder::Result result =
        ThumbnailBuilder::run(paths, QSize(6, 6), Qt::white, decoder, options);
    QCOMPARE(decoder.most, 1);
    QVERIFY(result.peakInFlight > options.budget);
    // Over the ceiling: not decoded at all, a blank cell.
    QCOMPARE(decoder.calls.value(paths.last()), 0);
    QVERIFY(result.cells.last().isNull());
    QCOMPARE(result.overCeiling, 1);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(decoder.calls.value(paths[i]), 1);

    // Within a budget that holds two, they may run together, never more than fit.
    OverlapDecoder roomy;
    options.budget = 2 * result.peakInFlight;
    const ThumbnailBuilder::Result shared =
        ThumbnailBuilder::run(paths, QSize(6, 6), Qt::white, roomy, options);
    QVERIFY(shared.peakInFlight <= options.budget);
    QCOMPARE(shared.cells.size(), 7);
}

// Thumbnails wait at a gate the test opens; every decode is recorded in the order asked for.
// Whole decodes (the preview's) pass at once.
class GateDecoder : public QtImageDecoder
{
public:
    DecodedImage decodeScaled(const QString& path, const QSize& target) const override
    {
        {
            std::unique_lock<std::mutex> lock(mutex);
            order << QFileInfo(path).fileName();
            changed.notify_all();
            changed.wait(lock, [this] { return open > 0; });
            --open;
        }
        return QtImageDecoder::decodeScaled(path, target);
    }
    void let(int decodes)
    {
        std::lock_guard<std::mutex> lock(mutex);
        open += decodes;
        changed.notify_all();
    }
    QStringList asked() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return order;
    }
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    mutable QStringList order;
    mutable int open = 0;
};

struct GatedRun
{
    GatedRun(Sandbox& box, int columns, int files)
    {
        storeColumns(box, columns);
        writeTiles(box.folder(), files);
        auto gate = std::make_unique<GateDecoder>();
        decoder = gate.get();
        test = std::make_unique<TestPlatform>(box.settingsPath());
        test->platform.decoder = std::move(gate);
        startup = startVadro(*test, box.folder());
        grid = &startup->mainWindow()->browser().grid();
    }
    ~GatedRun() { decoder->let(1 << 20); }
    MainWindow& main() const { return *startup->mainWindow(); }
    // The decodes the pool has started before the gate stopped them.
    int started() const { return std::min(QThread::idealThreadCount(), int(grid->count())); }
    GateDecoder* decoder;
    std::unique_ptr<TestPlatform> test;
    std::unique_ptr<StartupSequence> startup;
    ThumbnailGrid* grid;
};

void TestThumbs::buildServesInputAndFillsAsItGoes()
{
    Sandbox box;
    GatedRun r(box, 5, 12);
    ThumbnailSurface& surface = r.grid->surface();
    QTRY_COMPARE(r.grid->count(), 12);
    QTRY_COMPARE(r.decoder->asked().size(), r.started());
    QVERIFY(r.grid->isBuilding());
    QVERIFY(r.main().titleStrip().progressBar()->isVisibleTo(&r.main()));
    QVERIFY(surface.isPending(0) && surface.isPending(11));
    // The cell under the cursor says what it holds before its picture arrives.
    QCOMPARE(r.grid->toolTipAt(3).section(QLatin1Char('\n'), 0, 0), QStringLiteral("t0003.bmp"));

    // A click and a key while every thumbnail waits.
    r.main().run(Command::ViewThumbnails);
    QTest::mouseClick(&surface, Qt::LeftButton, Qt::NoModifier, surface.thumbnailRect(6).center());
    QCOMPARE(r.main().browser().current().file(), QStringLiteral("t0006.bmp"));
    QVERIFY(r.main().browser().current().hasPicture());
    QTest::keyClick(&surface, Qt::Key_Right);
    QCOMPARE(surface.marker(), 7);
    QVERIFY(r.grid->isBuilding());

    // Cells fill one by one as the loop runs; the selection's is made before the rest.
    QCoreApplication::processEvents();
    r.decoder->let(r.started());
    QTRY_COMPARE(r.decoder->asked().size(), 2 * r.started());
    QVERIFY(r.decoder->asked().mid(r.started()).contains(QStringLiteral("t0007.bmp")));
    const auto filled = [&surface] {
        int n = 0;
        for (qint64 i = 0; i < surface.count(); ++i)
            n += surface.isPending(i) ? 0 : 1;
        return n;
    };
    r.decoder->let(r.started());
    QTRY_VERIFY(filled() > 0);
    QVERIFY(filled() <= 3 * r.started());
    QVERIFY(r.grid->isBuilding());
    r.decoder->let(100);
    QTRY_VERIFY(!r.grid->isBuilding());
    QVERIFY(!r.main().titleStrip().progressBar()->isVisibleTo(&r.main()));
    QCOMPARE(r.grid->toolTipAt(3), QStringLiteral("t0003.bmp\n8 x 8 pixels\n%1 bytes")
                                       .arg(QFileInfo(box.folder() + "/t0003.bmp").size()));
    QCOMPARE(r.decoder->asked().size(), 12);
}

void TestThumbs::visibleCellsFirstAndNewListingsWin()
{
    Sandbox box;
    GatedRun r(box, 1, 60);
    QTRY_COMPARE(r.decoder->asked().size(), r.started());
    const QStringList first = r.decoder->asked();
    // The pool's threads ask in either order; the top cell is among the first asked.
    QVERIFY(first.contains(QStringLiteral("t0000.bmp")));
    // Scrolled down while the first decodes wait: the cells now in view come next.
    QScrollBar* bar = r.main().thumbBase().scrollBar();
    bar->setValue(bar->maximum() / 2);
    QCoreApplication::processEvents();
    const PaneRects& pane = r.main().lastLayout();
    const auto [begin, end] = ThumbGridGeometry::visibleRange(
        bar->value() * 567, int(pane.thumbBase.height), 1, r.grid->count());
    QVERIFY(begin > 10);
    r.decoder->let(r.started() + int(end - begin));
    QTRY_COMPARE(r.decoder->asked().size(), 2 * r.started() + int(end - begin));
    const QStringList order = r.decoder->asked();
    for (qint64 i = begin; i < end; ++i)
        QVERIFY2(order.indexOf(QStringLiteral("t%1.bmp").arg(i, 4, 10, QLatin1Char('0'))) <
                     r.started() + int(end - begin),
                 qPrintable(QString::number(i)));

    // A new folder mid-build: the old one's work not started is dropped, its results unseen.
    const QString other = box.dir.filePath(QStringLiteral("other"));
    QDir().mkpath(other);
    writeTile(other, QStringLiteral("only.bmp"), Qt::magenta);
    r.main().folderTree().setSelectedPath(other);
    QTRY_COMPARE(r.grid->count(), 1);
    r.decoder->let(1 << 20);
    QTRY_VERIFY(!r.grid->isBuilding());
    QCOMPARE(r.grid->surface().thumbnail(0).pixelColor(30, 30), QColor(Qt::magenta));
    QVERIFY(r.decoder->asked().size() < 60);
}

void TestThumbs::columnsFollowThePane()
{
    Sandbox box;
    storeColumns(box, 5);
    writeTiles(box.folder(), 200);
    Run run(box);
    Grid g(run);
    QTRY_VERIFY(g.grid.count() == 200 && !g.grid.isBuilding());
    g.show();
    g.press(197);
    const QImage before = g.surface.thumbnail(197);
    const auto inView = [&g](qint64 index) {
        const QRect cell = g.surface.thumbnailRect(index).translated(g.surface.pos());
        return g.main.thumbBase().rect().contains(cell);
    };
    QVERIFY(!inView(197));
    // The preview's pane goes: the list's pane widens, and the grid with it.
    g.main.run(Command::TogglePreview);
    const PaneRects& pane = g.main.lastLayout();
    const int columns =
        ThumbGridGeometry::columns(pane.thumbSurfaceWidth, pane.thumbScrollBar.width);
    QVERIFY(columns > 5);
    QCOMPARE(g.surface.columns(), columns);
    QCOMPARE(g.grid.lastColumn(), columns - 1);
    QVERIFY(inView(197));
    QCOMPARE(g.surface.marker(), 197);
    QCOMPARE(g.surface.thumbnail(197).cacheKey(), before.cacheKey()); // not made again
    QCOMPARE(g.main.thumbBase().scrollBar()->maximum(),
             int(ThumbGridGeometry::scrollMaximum(
                 199 / columns, ThumbGridGeometry::visibleRows(pane.thumbBase.height))));
    g.main.run(Command::TogglePreview);
    QCOMPARE(g.surface.columns(), 5);
    QVERIFY(inView(197));
}

void TestThumbs::hostileFolders()
{
    Sandbox box;
    writeTile(box.folder(), QStringLiteral("zz.bmp"), Qt::red, 300);
    GatedRun r(box, 5, 12);
    QTRY_COMPARE(r.decoder->asked().size(), r.started());
    const QString folder = box.folder() + QLatin1Char('/');
    // While the build runs: a file becomes a FIFO, one goes, one changes, and the cache entry
    // of another is damaged.
    QVERIFY(QFile::remove(folder + "t0005.bmp"));
    QVERIFY(::mkfifo(QFile::encodeName(folder + "t0005.bmp").constData(), 0600) == 0);
    QVERIFY(QFile::remove(folder + "t0006.bmp"));
    writeTile(box.folder(), QStringLiteral("t0007.bmp"), Qt::magenta);
    const ThumbnailCache cache(ThumbnailCache::defaultRoot());
    const QString entry = cache.entryPath(ThumbnailCache::Flavour::Normal,
                                          ThumbnailCache::source(folder + "zz.bmp").uri);
    QDir().mkpath(QFileInfo(entry).path());
    QFile damaged(entry);
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("\x89PNG\r\n\x1a\n broken") > 0);
    damaged.close();
    r.decoder->let(1 << 20);
    QTRY_VERIFY(!r.grid->isBuilding());
    const ThumbnailSurface& surface = r.grid->surface();
    QVERIFY(surface.thumbnail(5).isNull());
    QVERIFY(surface.thumbnail(6).isNull());
    QCOMPARE(surface.thumbnail(7).pixelColor(30, 30), QColor(Qt::magenta));
    QCOMPARE(surface.thumbnail(8).pixel(30, 30), QColor::fromHsv(8 * 7, 200, 200).rgb());
    QCOMPARE(surface.thumbnail(12).pixelColor(30, 30), QColor(Qt::red));

    // The folder changes under the build again and again; the last one listed is shown, and
    // every one of its 10,000 small files gets its thumbnail.
    const QString tiny = box.dir.filePath(QStringLiteral("tiny"));
    QDir().mkpath(tiny);
    writeTile(tiny, QStringLiteral("one.bmp"), Qt::green);
    for (int i = 0; i < 10000; ++i)
        QVERIFY(QFile::link(tiny + QStringLiteral("/one.bmp"),
                            tiny + QStringLiteral("/l%1.bmp").arg(i, 5, 10, QLatin1Char('0'))));
    for (int i = 0; i < 40; ++i) {
        r.main().folderTree().setSelectedPath(i % 2 ? tiny : box.folder());
        QCoreApplication::processEvents();
    }
    QTRY_COMPARE(r.grid->count(), 10001);
    QTRY_VERIFY_WITH_TIMEOUT(!r.grid->isBuilding(), 120000);
    for (qint64 i = 0; i < r.grid->count(); i += 97)
        QCOMPARE(surface.thumbnail(i).pixelColor(30, 30), QColor(Qt::green));
}

QTEST_MAIN(TestThumbs)
#include "tst_thumbs.moc"
