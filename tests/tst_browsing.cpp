#include <QtTest>

#include <QAbstractItemView>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QTreeView>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "Harness.h"
#include "app/Browser.h"
#include "app/MainSurface.h"
#include "app/TitleStrip.h"
#include "app/ViewModes.h"
#include "listing/FileList.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "listing/FolderTree.h"
#include "listing/IconCache.h"
#include "listing/Listing.h"
#include "preview/CurrentImage.h"
#include "preview/PreviewPane.h"
#include "preview/TiledView.h"
#include "thumbs/ThumbnailBase.h"
#include "ui/HoverHint.h"

namespace {

QString writePicture(const QString& folder, const QString& name, int w, int h, QColor color)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    const QString path = folder + QLatin1Char('/') + name;
    const QByteArray format = QFileInfo(name).suffix().toLatin1();
    if (!image.save(path, format == "jpeg" ? "jpg" : format.constData()))
        qWarning("could not write %s", qPrintable(path));
    return path;
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QStringList listedNames(const MainWindow& main)
{
    QStringList names;
    const FileListModel* model = main.fileList().model();
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->nameAt(row);
    return names;
}

// Lists another folder through the tree, as a user's click would, and waits for it.
void chooseInTree(Run& run, const QString& folder)
{
    run.main().folderTree().setSelectedPath(folder);
    QTRY_COMPARE(run.main().browser().files().path(), folder);
}

} // namespace

class TestBrowsing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void listsOnlyTheGoodFilesOfAHostileFolder();
    void iconCacheKeys();
    void emptyAndUnreadableFolders();
    void browseDialog();
    void previewAndFacts();
    void undecodableFileShowsNoOldPicture();
    void emptySpaceAndKeys();
    void popupsOfListAndPreview();
    void viewModes();
    void sorting();
    void tiledView();
    void tiledViewClosesWithTheCurrentImage();
};

void TestBrowsing::listsOnlyTheGoodFilesOfAHostileFolder()
{
    Sandbox box;
    const QString f = box.folder();
    writePicture(f, QStringLiteral("b.bmp"), 8, 8, Qt::red);
    writePicture(f, QStringLiteral("A.JPG"), 8, 8, Qt::green);
    writePicture(f, QStringLiteral("c d.jpeg"), 8, 8, Qt::blue);
    writePicture(f, QStringLiteral("skip.png"), 8, 8, Qt::blue);
    writePicture(f, QStringLiteral(".hidden.bmp"), 8, 8, Qt::blue);
    writePicture(f, QStringLiteral("icon.ico"), 16, 16, Qt::blue); // icons are off by default
    writeBytes(f + QStringLiteral("/zero.jpg"), QByteArray());
    QVERIFY(QDir(f).mkdir(QStringLiteral("folder.bmp")));
    QVERIFY(mkfifo(QFile::encodeName(f + QStringLiteral("/pipe.jpg")).constData(), 0600) == 0);
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), f + QStringLiteral("/dev.bmp")));
    QVERIFY(QFile::link(f + QStringLiteral("/b.bmp"), f + QStringLiteral("/link.bmp")));
    QVERIFY(QFile::link(f + QStringLiteral("/gone.bmp"), f + QStringLiteral("/dangling.bmp")));

    Run run(box);
    QTRY_COMPARE(listedNames(run.main()),
                 (QStringList{"A.JPG", "b.bmp", "c d.jpeg", "link.bmp", "zero.jpg"}));
    QCOMPARE(run.main().titleStrip().countLabel()->text(), QStringLiteral("Images : 5"));
    const FileListModel* model = run.main().fileList().model();
    QCOMPARE(model->index(4, FileListModel::SizeColumn).data().toString(), QStringLiteral("0"));
    QCOMPARE(model->index(1, FileListModel::TypeColumn).data().toString(),
             QMimeDatabase().mimeTypeForName(QStringLiteral("image/bmp")).comment());
    QVERIFY(!model->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());

    // Each listed file opens, the FIFO and the device never do: the preview of every row
    // comes back (a hang here is the failure).
    for (int row = 0; row < model->rowCount(); ++row)
        click(run, row);
    QCOMPARE(run.main().browser().current().file(), QStringLiteral("zero.jpg"));
}

void TestBrowsing::iconCacheKeys()
{
    Sandbox box;
    const QString f = box.folder();
    box.store(QStringLiteral("Type"), QStringLiteral("Ico"), QStringLiteral("*.ico;"));
    writePicture(f, QStringLiteral("a.JPG"), 8, 8, Qt::red);
    writePicture(f, QStringLiteral("b.jpeg"), 8, 8, Qt::red);
    writePicture(f, QStringLiteral("c.jpg"), 8, 8, Qt::red);
    writePicture(f, QStringLiteral("one.ico"), 16, 16, Qt::red);
    writePicture(f, QStringLiteral("two.ico"), 32, 32, Qt::blue);
    Run run(box);
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 5);
    IconCache& cache = run.main().browser().icons();
    QStringList keys;
    for (int i = 0; i < cache.size(); ++i)
        keys << cache.key(i);
    QCOMPARE(keys,
             (QStringList{"JPG", "JPEG", (f + "/one.ico").toUpper(), (f + "/two.ico").toUpper()}));
    run.main().run(Command::Refresh);
    QCOMPARE(cache.size(), 4);
    QCOMPARE(IconCache::keyFor(QStringLiteral("/x.y/noext")), QString());
    QCOMPARE(IconCache::keyFor(QStringLiteral("/a/b.tar.Gif")), QStringLiteral("GIF"));
}

void TestBrowsing::emptyAndUnreadableFolders()
{
    Sandbox box;
    const QString empty = box.dir.filePath(QStringLiteral("empty"));
    const QString doomed = box.dir.filePath(QStringLiteral("doomed"));
    QDir().mkpath(empty);
    QDir().mkpath(doomed);
    writePicture(box.folder(), QStringLiteral("a.bmp"), 8, 8, Qt::red);
    writePicture(doomed, QStringLiteral("d.bmp"), 8, 8, Qt::red);
    Run run(box);
    QTRY_COMPARE(listedNames(run.main()), QStringList{"a.bmp"});

    chooseInTree(run, empty);
    QCOMPARE(run.main().fileList().model()->rowCount(), 0);
    QCOMPARE(run.main().titleStrip().countLabel()->text(), QStringLiteral("Images : "));

    // Refresh reads the folder again: new files show up.
    writePicture(empty, QStringLiteral("new.bmp"), 8, 8, Qt::red);
    run.main().run(Command::Refresh);
    QCOMPARE(listedNames(run.main()), QStringList{"new.bmp"});
    QCOMPARE(run.line(), HoverHint::text());

    // A folder that has gone lists nothing, says so, and never shows another folder's files.
    chooseInTree(run, doomed);
    QCOMPARE(listedNames(run.main()), QStringList{"d.bmp"});
    QVERIFY(QDir(doomed).removeRecursively());
    run.main().run(Command::Refresh);
    QCOMPARE(run.main().fileList().model()->rowCount(), 0);
    QCOMPARE(run.main().titleStrip().countLabel()->text(), QStringLiteral("Images : "));
    QCOMPARE(run.line(), QStringLiteral("The folder %1 cannot be read (%2).")
                             .arg(doomed, QString::fromLocal8Bit(std::strerror(ENOENT))));
}

void TestBrowsing::browseDialog()
{
    Sandbox box;
    const QString other = box.dir.filePath(QStringLiteral("other"));
    const QString bare = box.dir.filePath(QStringLiteral("bare"));
    QDir().mkpath(other);
    QDir().mkpath(bare);
    writePicture(other, QStringLiteral("o.bmp"), 8, 8, Qt::red);
    Run run(box);
    FakeFolderChooser& chooser = *run.test.chooser;
    QTRY_COMPARE(run.main().browser().files().path(), box.folder());

    QTest::keyClick(&run.main(), Qt::Key_O, Qt::ControlModifier); // cancelled
    QCOMPARE(chooser.titles.last(), QStringLiteral("Searching for *.bmp *.gif *.jpeg  files."));
    QCOMPARE(chooser.starts.last(), box.folder());
    QCOMPARE(run.main().browser().files().path(), box.folder());

    chooser.answer = box.folder() + QStringLiteral("/"); // the listed folder: nothing changes
    run.main().run(Command::Open);
    QCOMPARE(box.stored(QStringLiteral("Folder")), QStringLiteral("<absent>"));

    chooser.answer = other;
    run.action("mnuFileOpen")->trigger();
    QCOMPARE(listedNames(run.main()), QStringList{"o.bmp"});
    QCOMPARE(run.main().titleStrip().countLabel()->text(), QStringLiteral("Images : 1"));
    QCOMPARE(run.main().folderTree().selectedPath(), other);
    QCOMPARE(box.stored(QStringLiteral("Folder")), other); // at once, not at close
    QCoreApplication::processEvents(); // the tree's report finds the folder listed already
    QCOMPARE(listedNames(run.main()), QStringList{"o.bmp"});

    chooser.answer = bare;
    run.main().run(Command::Open);
    QCOMPARE(run.main().titleStrip().countLabel()->text(), QStringLiteral("Images :"));
    QCOMPARE(run.line(), Listing::noImagesText());
}

void TestBrowsing::previewAndFacts()
{
    Sandbox box;
    writePicture(box.folder(), QStringLiteral("a.bmp"), 64, 48, Qt::red);
    // A window of 6500 twips square that the user once moved, for the panes' numbers below.
    box.store(QStringLiteral("Settings"), QStringLiteral("MainLeft"), QStringLiteral("1005"));
    Run run(box);
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 1);
    click(run, 0);
    Browser& browser = run.main().browser();
    QCOMPARE(browser.current().file(), QStringLiteral("a.bmp"));
    QCOMPARE(browser.current().picWidth(), 960);
    QVERIFY(browser.preview().isVisible());
    // The default frame is 5040, 865, 1340 x 4965 twips; the 960 x 720 picture fits, so it is
    // centred at natural size with its 60-twip border: left 5040 + 190, top 865 + 2122.5,
    // 1020 x 780 twips, which is 349, 199 to 417, 251 in pixels.
    QCOMPARE(run.main().lastLayout().preview, (TwipRect{5040, 865, 1340, 4965}));
    QCOMPARE(browser.preview().geometry(), QRect(349, 199, 68, 52));
    StatusLine* line = run.main().statusBar().line();
    QCOMPARE(line->partText(0), QStringLiteral("File: a.bmp"));
    QCOMPARE(line->partText(1), QStringLiteral("Dim: 64x48"));
    // 64 x 48 x 3 + 54 bytes; a bitmap Qt wrote states 96 dpi.
    QVERIFY2(line->partText(2).startsWith(QStringLiteral("Size: 9,270 bytes, ")) &&
                 line->partText(2).endsWith(QStringLiteral(" at 96 dpi")),
             qPrintable(line->partText(2)));
    // The size with its printed size is longer than a quarter of this narrow window: it takes
    // the room the dimensions and the score leave, which still show whole.
    const QVector<int> edges = line->partEdges();
    QVERIFY(edges[2] - edges[1] > run.main().surface().width() / 4);
    QCOMPARE(line->shownPartText(1), line->partText(1));

    // The status bar off and on shows the facts again at once.
    run.main().run(Command::ToggleStatusBar);
    run.main().run(Command::ToggleStatusBar);
    QCOMPARE(run.main().statusBar().line()->partText(0), QStringLiteral("File: a.bmp"));

    // The preview follows the layout; hidden with the pane, back without a new load.
    run.main().run(Command::TogglePreview);
    QVERIFY(!browser.preview().isVisible());
    run.main().run(Command::TogglePreview);
    QVERIFY(browser.preview().isVisible());
}

void TestBrowsing::undecodableFileShowsNoOldPicture()
{
    Sandbox box;
    writePicture(box.folder(), QStringLiteral("a.bmp"), 64, 48, Qt::red);
    writeBytes(box.folder() + QStringLiteral("/b.jpg"), "not a picture at all");
    QImage huge(10, 10, QImage::Format_RGB32);
    Run run(box);
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 2);
    click(run, 0);
    QVERIFY(run.main().browser().preview().isVisible());
    click(run, 1);
    Browser& browser = run.main().browser();
    QCOMPARE(browser.current().file(), QStringLiteral("b.jpg"));
    QVERIFY(!browser.current().hasPicture());
    QVERIFY(!browser.preview().isVisible());
    StatusLine* line = run.main().statusBar().line();
    QCOMPARE(line->partText(0), QStringLiteral("File: b.jpg"));
    QCOMPARE(line->partText(1), QString());
    QCOMPARE(line->partText(2), QStringLiteral("Size: 20 bytes"));
}

void TestBrowsing::emptySpaceAndKeys()
{
    Sandbox box;
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
        writePicture(box.folder(), QString::fromLatin1(name), 16, 16, Qt::red);
    Run run(box);
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 3);
    FileListView& list = run.main().fileList();
    QAbstractItemView* view = list.currentView();
    Browser& browser = run.main().browser();

    QTest::keyClick(view, Qt::Key_Return); // nothing current: nothing opens
    QVERIFY(!browser.tiledView().isVisible());

    click(run, 0);
    QTest::keyClick(view, Qt::Key_Right); // the keyboard acts as a click on the new item
    QCOMPARE(browser.current().file(), QStringLiteral("b.bmp"));
    QCOMPARE(list.selectedRow(), 1);
    QCOMPARE(run.main().statusBar().line()->partText(0), QStringLiteral("File: b.bmp"));

    QTest::keyClick(view, Qt::Key_Return);
    QVERIFY(browser.tiledView().isVisible());
    browser.tiledView().close();

    // A left press on empty space drops everything and shows the hint.
    const QPoint empty(view->viewport()->width() - 2, view->viewport()->height() - 2);
    QVERIFY(!view->indexAt(empty).isValid());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, empty);
    QVERIFY(!browser.current().isSet());
    QCOMPARE(list.selectedRow(), -1);
    QVERIFY(!browser.preview().isVisible());
    QCOMPARE(run.line(), HoverHint::text());

    // Clicking the same item again previews it again.
    click(run, 1);
    QCOMPARE(browser.current().file(), QStringLiteral("b.bmp"));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                       view->visualRect(list.model()->index(1, 0)).center());
    QVERIFY(browser.tiledView().isVisible());
}

void TestBrowsing::popupsOfListAndPreview()
{
    Sandbox box;
    writePicture(box.folder(), QStringLiteral("a.bmp"), 16, 16, Qt::red);
    writePicture(box.folder(), QStringLiteral("b.bmp"), 16, 16, Qt::red);
    Run run(box);
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 2);
    click(run, 0);
    FakePopupMenus& popups = *run.test.popups;
    QAbstractItemView* view = run.main().fileList().currentView();
    press(view->viewport(), Qt::RightButton,
          view->visualRect(run.main().fileList().model()->index(1, 0)).center());
    // Opened once: a menu that came back after the user closed it would be counted here.
    QCOMPARE(popups.opened, QStringList{QStringLiteral("mnuLv")});
    QCOMPARE(run.main().fileList().selectedRow(), 0); // the right button moves nothing

    popups.answer = QStringLiteral("mnuIcons4"); // the pop-up's view submenu
    press(view->viewport(), Qt::RightButton);
    QCOMPARE(popups.opened.size(), 2);
    QCOMPARE(run.main().fileList().listStyle(), int(FileListView::Details));
    QVERIFY(run.action("mnuListViewMode4")->isChecked());
    popups.answer.clear();

    PreviewPane& preview = run.main().browser().preview();
    press(&preview, Qt::RightButton);
    QCOMPARE(popups.opened.size(), 3);
    QCOMPARE(popups.opened.last(), QStringLiteral("mnuWall"));
    QVERIFY(!run.main().browser().tiledView().isVisible());
    press(&preview, Qt::LeftButton);
    QVERIFY(run.main().browser().tiledView().isVisible());
    run.main().browser().tiledView().close();

    // Inside the frame but off the picture: the surface's own menu.
    const QRect frame = run.main().lastLayout().preview.toPixels();
    press(&run.main().surface(), Qt::RightButton, frame.bottomRight() - QPoint(3, 3));
    QCOMPARE(popups.opened.size(), 4);
    QCOMPARE(popups.opened.last(), QStringLiteral("mnuPv"));
}

void TestBrowsing::viewModes()
{
    Sandbox box;
    writePicture(box.folder(), QStringLiteral("a.bmp"), 16, 16, Qt::red);
    Run run(box);
    MainWindow& main = run.main();
    QTest::keyClick(main.fileList().currentView(), Qt::Key_F4);
    QVERIFY(main.fileList().isHidden());
    QVERIFY(main.thumbBase().isVisible());
    QVERIFY(!run.menu(QStringLiteral("mnuLvSort"))->isEnabled());
    QVERIFY(!run.menu(QStringLiteral("mnuViewArrangeIcons"))->isEnabled());
    QVERIFY(run.action("mnuListViewMode0")->isChecked() && run.action("mnuIcons0")->isChecked());
    QVERIFY(run.action("tbViewThumbnails")->isChecked());
    QVERIFY(!run.action("tbViewLargeIcons")->isChecked());

    run.action("tbViewDetails")->trigger();
    QVERIFY(main.fileList().isVisible() && main.thumbBase().isHidden());
    QCOMPARE(main.fileList().listStyle(), int(FileListView::Details));
    QVERIFY(run.menu(QStringLiteral("mnuLvSort"))->isEnabled());
    // The size shows whole; the name takes what the others leave, at least half the view.
    QTreeView* details = main.fileList().detailsView();
    const QHeaderView* header = details->header();
    QVERIFY(header->sectionSize(1) > details->fontMetrics().horizontalAdvance(
                                         details->model()->index(0, 1).data().toString()));
    QCOMPARE(header->sectionSize(0) + header->sectionSize(1) + header->sectionSize(2),
             details->viewport()->width());
    QVERIFY(header->sectionSize(0) >= details->viewport()->width() / 2);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(run.isChecked(QStringLiteral("mnuIcons%1").arg(i)), i == 4);

    QTest::keyClick(&main, Qt::Key_F7);
    QCOMPARE(main.fileList().listStyle(), int(FileListView::SmallIcons));
    QTest::keyClick(&main, Qt::Key_F8);
    QCOMPARE(main.fileList().listStyle(), int(FileListView::List));
    QTest::keyClick(&main, Qt::Key_F9);
    QTest::keyClick(&main, Qt::Key_F4); // thumbnails: the list style stays details
    main.close();
    QCOMPARE(box.stored(QStringLiteral("ViewMode")), QStringLiteral("3"));
}

void TestBrowsing::sorting()
{
    Sandbox box;
    writeBytes(box.folder() + QStringLiteral("/b.bmp"), QByteArray(987, 'x'));
    writeBytes(box.folder() + QStringLiteral("/A.bmp"), QByteArray(1234, 'x'));
    writeBytes(box.folder() + QStringLiteral("/c.jpg"), QByteArray(10, 'x'));
    Run run(box);
    MainWindow& main = run.main();
    QTRY_COMPARE(listedNames(main), (QStringList{"A.bmp", "b.bmp", "c.jpg"}));

    main.run(Command::SortBySize);
    QCOMPARE(listedNames(main), (QStringList{"c.jpg", "b.bmp", "A.bmp"})); // 10, 987, 1,234
    QVERIFY(run.action("mnuArrange1")->isChecked() && run.action("mnuLvArr1")->isChecked());
    QVERIFY(!run.action("mnuArrange0")->isChecked());
    QVERIFY(run.action("mnuShortAZ")->isChecked() && !run.action("mnuShortZA")->isChecked());
    main.run(Command::SortDescending);
    QCOMPARE(listedNames(main), (QStringList{"A.bmp", "b.bmp", "c.jpg"}));
    QVERIFY(run.action("mnuLvShortZA")->isChecked() && !run.action("mnuLvShortAZ")->isChecked());

    // Header clicks alternate, the first descending, whatever the menus did.
    main.run(Command::ViewDetails);
    QHeaderView* header = main.fileList().detailsView()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
    QCOMPARE(listedNames(main), (QStringList{"c.jpg", "b.bmp", "A.bmp"}));
    QCOMPARE(header->sortIndicatorSection(), 0);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QVERIFY(run.action("mnuArrange0")->isChecked() && !run.action("mnuArrange1")->isChecked());
    main.viewModes().headerClicked(2);
    QCOMPARE(main.viewState().sort.descending, false);
    QCOMPARE(header->sortIndicatorSection(), 2);
    main.viewModes().headerClicked(2);
    QCOMPARE(main.viewState().sort.descending, true);
    int checkedKeys = 0;
    for (int i = 0; i < 3; ++i)
        checkedKeys += run.action(QStringLiteral("mnuArrange%1").arg(i))->isChecked();
    QCOMPARE(checkedKeys, 1);

    // The sort survives a listing, and a click still previews the file clicked.
    main.run(Command::SortByName);
    main.run(Command::Refresh);
    QCOMPARE(listedNames(main), (QStringList{"A.bmp", "b.bmp", "c.jpg"}));
    click(run, 2);
    QCOMPARE(main.browser().current().file(), QStringLiteral("c.jpg"));
}

void TestBrowsing::tiledView()
{
    Sandbox box;
    QImage tile(16, 16, QImage::Format_RGB32);
    tile.fill(Qt::blue);
    tile.setPixel(0, 0, qRgb(255, 0, 0));
    QVERIFY(tile.save(box.folder() + QStringLiteral("/t.bmp")));
    box.store(QStringLiteral("Settings"), QStringLiteral("PrvWidth"), QStringLiteral("3000"));
    Run run(box);
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 1);
    click(run, 0);
    Browser& browser = run.main().browser();
    TiledView& tiled = browser.tiledView();
    browser.openTiledView();
    QVERIFY(QTest::qWaitForWindowExposed(&tiled));
    QCOMPARE(tiled.windowTitle(), QStringLiteral("Preview"));
    QCOMPARE(tiled.frameGeometry().topLeft(), QPoint(67, 67));
    QTRY_COMPARE(tiled.frameGeometry().width(), 200); // 3000 twips, frame included

    // The picture repeats from the top-left corner at its natural size.
    const QImage shot = tiled.grab().toImage();
    QCOMPARE(QColor(shot.pixel(0, 0)), QColor(Qt::red));
    QCOMPARE(QColor(shot.pixel(16, 0)), QColor(Qt::red));
    QCOMPARE(QColor(shot.pixel(32, 48)), QColor(Qt::red));
    QCOMPARE(QColor(shot.pixel(17, 1)), QColor(Qt::blue));

    // Keys in the tiled view are its own, not the main window's.
    QTest::keyClick(&tiled, Qt::Key_T, Qt::ControlModifier);
    QVERIFY(run.main().isToolbarOn());

    // Never smaller than 2000 twips; the held size follows each resize.
    tiled.resize(50, 60);
    QVERIFY(tiled.frameGeometry().width() >= 133 && tiled.frameGeometry().height() >= 133);
    tiled.resize(300, 250);
    const int frameWidth = tiled.frameGeometry().width() - tiled.width();
    QTRY_COMPARE(run.main().tiledViewRect().width, (300 + frameWidth) * 15);
    tiled.move(200, 150);
    QTest::keyClick(&tiled, Qt::Key_Escape);
    QVERIFY(!tiled.isVisible());
    QCOMPARE(run.main().tiledViewRect().left, 3000);
    QCOMPARE(run.main().tiledViewRect().top, 2250);
    QCOMPARE(run.main().focusWidget(), run.main().fileList().currentView());

    browser.openTiledView();
    QTest::mouseClick(&tiled, Qt::RightButton);
    QVERIFY(!tiled.isVisible());

    // Moved while open and still open at exit: the new place is what is saved.
    browser.openTiledView();
    QVERIFY(QTest::qWaitForWindowExposed(&tiled));
    tiled.move(100, 80);
    run.main().close();
    QVERIFY(!tiled.isVisible());
    QCOMPARE(box.stored(QStringLiteral("PrvLeft")), QStringLiteral("1500"));
    QCOMPARE(box.stored(QStringLiteral("PrvTop")), QStringLiteral("1200"));
    QCOMPARE(box.stored(QStringLiteral("PrvWidth")), QString::number((300 + frameWidth) * 15));
}

void TestBrowsing::tiledViewClosesWithTheCurrentImage()
{
    Sandbox box;
    const QString other = box.dir.filePath(QStringLiteral("other"));
    QDir().mkpath(other);
    writePicture(box.folder(), QStringLiteral("a.bmp"), 16, 16, Qt::red);
    Run run(box);
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 1);
    Browser& browser = run.main().browser();
    click(run, 0);
    browser.openTiledView();
    run.main().run(Command::Refresh);
    QVERIFY(!browser.tiledView().isVisible());
    QVERIFY(!browser.current().isSet());

    click(run, 0);
    browser.openTiledView();
    chooseInTree(run, other);
    QVERIFY(!browser.tiledView().isVisible());
}

QTEST_MAIN(TestBrowsing)
#include "tst_browsing.moc"
