#include <QtTest>

#include <QAction>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QTreeView>

#include <sys/stat.h>

#include "Harness.h"
#include "TestPlatform.h"
#include "app/MainMenus.h"
#include "app/MainSurface.h"
#include "app/MainWindow.h"
#include "app/Splash.h"
#include "app/StartupSequence.h"
#include "app/TitleStrip.h"
#include "layout/SplitterBar.h"
#include "layout/SplitterController.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "listing/FolderTree.h"
#include "platform/IniSettingsStore.h"
#include "thumbs/ThumbnailBase.h"
#include "ui/HoverHint.h"
#include "ui/StatusBar.h"
#include "ui/StatusLine.h"

class TestShell : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void emptyStoreGivesTheDefaults();
    void closingAtOnceWritesTheDefaultsExactly();
    void unchangedRunLeavesTheFileByteForByte();
    void storedValues_data();
    void storedValues();
    void unconvertibleValuesReadAsDefaults();
    void minimisedCloseKeepsTheGeometry();
    void startupListsOnlyAfterTheWindowIsShown();
    void splashShowsItsStagesThenGoes();
    void folderArgumentAndMissingFolders();
    void hiddenCurrentFolderIsShown();
    void menuHelpByHovering();
    void menuHelpWithTheBarOff();
    void keyTableRunsOncePerPress();
    void togglesWriteTheirKeysAtOnce();
    void popupsOnRightPress();
    void statusBarToggleAndParts();
    void hoverHintComesAndGoes();
    void splitterDragCommitsOnRelease();
    void resizeKeepsProportionsAndMinimum();
    void hostileSettingsFileDoesNotStopTheProgram();
};

void TestShell::emptyStoreGivesTheDefaults()
{
    Sandbox box;
    // The panes' arithmetic on the stored window of 6500 twips square; the first start's
    // size has its own test.
    box.store(QStringLiteral("Settings"), QStringLiteral("MainLeft"), QStringLiteral("1005"));
    Run run(box);
    MainWindow& main = run.main();
    QCOMPARE(main.windowTitle(), QStringLiteral("The image Vadro"));
    QCOMPARE(main.frameGeometry(), QRect(67, 67, 433, 433));
    QCOMPARE(main.paneLayout().isaLeft(), 2000);
    QCOMPARE(main.paneLayout().isbLeft(), 5000);
    QVERIFY(main.fileList().headerHotTrack()); // turned on once by the start-up
    QVERIFY(main.isToolbarOn() && main.isTreeOn() && main.isPreviewOn());
    QVERIFY(main.statusBar().exists());
    QVERIFY(main.surface().isPreviewFrameVisible());
    QCOMPARE(main.fileList().listStyle(), int(FileListView::LargeIcons));
    QVERIFY(run.action("mnuListViewMode1")->isChecked());
    QVERIFY(run.action("mnuIcons1")->isChecked());
    QVERIFY(run.action("tbViewLargeIcons")->isChecked());
    QVERIFY(!run.action("tbViewThumbnails")->isChecked());
    // The sort starts by name, ascending, and both arrange menus say so.
    QVERIFY(run.action("mnuArrange0")->isChecked() && run.action("mnuLvArr0")->isChecked());
    QVERIFY(run.action("mnuShortAZ")->isChecked() && run.action("mnuLvShortAZ")->isChecked());
    QVERIFY(!run.action("mnuArrange1")->isChecked() && !run.action("mnuShortZA")->isChecked());
    QCOMPARE(main.titleStrip().typesLabel()->text(),
             QStringLiteral("Searching for *.bmp *.gif *.jpeg  files."));
    QCOMPARE(main.titleStrip().countLabel()->text(), QStringLiteral("Images : ")); // listed, empty
    QCOMPARE(main.folderTree().selectedPath(), box.folder());

    const QList<QAction*> buttons = main.menus().toolbar()->actions();
    QCOMPARE(buttons.size(), 13);
    QStringList tips;
    for (QAction* b : buttons)
        tips << (b->isSeparator() ? QStringLiteral("-") : b->toolTip());
    QCOMPARE(tips.join(QLatin1Char(',')),
             QStringLiteral("Open,-,View Thumbnails,Large Icons,Small Icons,List,Details,-,Toolbox,"
                            "Options,-,Help,About"));
    for (QAction* b : buttons)
        QVERIFY(b->isSeparator() || !b->icon().pixmap(24, 24).isNull());

    // The panes stand where the layout pass put them, in the surface's coordinates.
    QCOMPARE(main.fileList().geometry(), main.lastLayout().list.toPixels());
    QCOMPARE(main.folderTree().geometry(), main.lastLayout().tree.toPixels());
    QVERIFY(main.thumbBase().isHidden());
    QCOMPARE(main.statusBar().line()->geometry().bottom(), main.surface().height() - 1);
}

void TestShell::closingAtOnceWritesTheDefaultsExactly()
{
    Sandbox box;
    {
        Run run(box);
        run.close();
    }
    // The first start's sizes: two thirds of the screen, centred; the tiled view half of it.
    const QRect s = QGuiApplication::primaryScreen()->availableGeometry();
    const auto part = [](int side, double share) { return 15 * int(std::lround(side * share)); };
    const int width = part(s.width(), 2.0 / 3);
    const auto pair = [](const char* key, long long value) {
        return QStringLiteral("%1=%2").arg(QLatin1String(key)).arg(value);
    };
    const QStringList expected{pair("MainLeft", s.x() * 15 + part(s.width(), 1.0 / 6)),
                               pair("MainTop", s.y() * 15 + part(s.height(), 1.0 / 6)),
                               pair("MainWidth", width),
                               pair("MainHeight", part(s.height(), 2.0 / 3)),
                               pair("IsaLeft", std::lround(2000.0 * width / 6500)),
                               pair("IsbLeft", std::lround(5000.0 * width / 6500)),
                               pair("PrvLeft", s.x() * 15 + part(s.width(), 1.0 / 3)),
                               pair("PrvTop", s.y() * 15 + part(s.height(), 1.0 / 4)),
                               pair("PrvWidth", part(s.width(), 0.5)),
                               pair("PrvHeight", part(s.height(), 0.5)),
                               "Tbaron=True",
                               "Baron=True",
                               "Tvon=True",
                               "Pvon=True",
                               "ViewMode=0"};
    for (const QString& pair : expected) {
        const QString key = pair.section(QLatin1Char('='), 0, 0);
        QCOMPARE(key + QLatin1Char('=') + box.stored(key), pair);
    }
    QCOMPARE(box.stored(QStringLiteral("Folder")), box.folder());
}

void TestShell::unchangedRunLeavesTheFileByteForByte()
{
    Sandbox box;
    box.store(QStringLiteral("Settings"), QStringLiteral("MainLeft"), QStringLiteral("1234.5"));
    box.store(QStringLiteral("Settings"), QStringLiteral("IsaLeft"), QStringLiteral("2222"));
    {
        Run run(box);
        run.close();
    }
    const QByteArray first = box.fileBytes();
    QVERIFY(first.contains("MainLeft=1234.5"));
    {
        Run run(box);
        run.close();
    }
    QCOMPARE(box.fileBytes(), first);
}

void TestShell::storedValues_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("isa");
    QTest::addColumn<int>("isb");
    QTest::addColumn<int>("style");
    QTest::newRow("isa 500") << "IsaLeft"
                             << "500" << 1000 << 5000 << 0;
    // The start-up widens the gap to 1500 and 3500; the layout pass then keeps the
    // preview's 1000 twips.
    QTest::newRow("narrow window") << "MainWidth"
                                   << "4000" << 1500 << 3000 << 0;
    QTest::newRow("crossed") << "IsaLeft"
                             << "5200" << 1000 << 5500 << 0;
    QTest::newRow("details") << "ViewMode"
                             << "3" << 2000 << 5000 << 3;
    QTest::newRow("list, with a tail") << "ViewMode"
                                       << "2 (list)" << 2000 << 5000 << 2;
    QTest::newRow("style out of range") << "ViewMode"
                                        << "9" << 2000 << 5000 << 0;
}

void TestShell::storedValues()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(int, style);
    Sandbox box;
    // A window the user once moved: its size is the stored one, not the first start's.
    box.store(QStringLiteral("Settings"), QStringLiteral("MainLeft"), QStringLiteral("1005"));
    box.store(QStringLiteral("Settings"), key, value);
    Run run(box);
    QTEST(run.main().paneLayout().isaLeft(), "isa");
    QTEST(run.main().paneLayout().isbLeft(), "isb");
    QCOMPARE(run.main().fileList().listStyle(), style);
    QVERIFY(run.isChecked(QStringLiteral("mnuListViewMode%1").arg(style + 1)));
    QVERIFY(run.isChecked(QStringLiteral("mnuIcons%1").arg(style + 1)));
    QVERIFY(run.isChecked(QStringLiteral("tb") + QStringList{"ViewThumbnails", "ViewLargeIcons",
                                                             "ViewSmallIcons", "ViewList",
                                                             "ViewDetails"}
                                                     .at(style + 1)));
    int checkedModes = 0;
    for (int i = 0; i < 5; ++i)
        checkedModes += run.isChecked(QStringLiteral("mnuListViewMode%1").arg(i)) ? 1 : 0;
    QCOMPARE(checkedModes, 1);
}

void TestShell::unconvertibleValuesReadAsDefaults()
{
    Sandbox box;
    box.store(QStringLiteral("Settings"), QStringLiteral("MainWidth"), QStringLiteral("wide"));
    box.store(QStringLiteral("Settings"), QStringLiteral("IsbLeft"), QStringLiteral("99999"));
    box.store(QStringLiteral("Settings"), QStringLiteral("Tvon"), QStringLiteral("maybe"));
    box.store(QStringLiteral("Settings"), QStringLiteral("Pvon"), QStringLiteral("0"));
    box.store(QStringLiteral("Settings"), QStringLiteral("MainLeft"), QStringLiteral("900000"));
    Run run(box);
    QCOMPARE(run.main().frameGeometry().width(), 433);
    QCOMPARE(run.main().paneLayout().isbLeft(), 5000);
    QVERIFY(run.main().isTreeOn());
    QVERIFY(!run.main().isPreviewOn());
    QVERIFY(!run.isChecked(QStringLiteral("mnuViewPv")));
    // A window stored far off every screen comes back onto one.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.intersects(run.main().frameGeometry()));
}

void TestShell::minimisedCloseKeepsTheGeometry()
{
    Sandbox box;
    box.store(QStringLiteral("Settings"), QStringLiteral("MainLeft"), QStringLiteral("1500"));
    Run run(box);
    run.main().move(300, 200);
    run.main().setWindowState(Qt::WindowMinimized);
    run.main().paneLayout().setPositions(3000, 5000);
    run.close();
    QCOMPARE(box.stored(QStringLiteral("MainLeft")), QStringLiteral("1500"));
    QCOMPARE(box.stored(QStringLiteral("MainWidth")), QStringLiteral("<absent>"));
    QCOMPARE(box.stored(QStringLiteral("IsaLeft")), QStringLiteral("3000"));
}

void TestShell::startupListsOnlyAfterTheWindowIsShown()
{
    Sandbox box;
    TestPlatform test(box.settingsPath());
    StartupSequence startup(test.platform, box.folder());
    bool shownFirst = false;
    int reports = 0;
    connect(&startup, &StartupSequence::finished, this, [&] {
        connect(&startup.mainWindow()->folderTree(), &FolderTree::folderChanged, this, [&] {
            ++reports;
            shownFirst = startup.mainWindow()->isVisible() && startup.splash() == nullptr;
        });
    });
    startup.run();
    QCOMPARE(reports, 0); // queued: nothing ran inside the sequence
    QTRY_COMPARE(reports, 1);
    QVERIFY(shownFirst);
}

void TestShell::splashShowsItsStagesThenGoes()
{
    QCOMPARE(Splash::progressCaption(1), QStringLiteral("Loading ...."));
    QCOMPARE(Splash::progressCaption(8), QStringLiteral("Loading .................."));
    Sandbox box;
    TestPlatform test(box.settingsPath());
    StartupSequence startup(test.platform, box.folder());
    startup.start();
    QVERIFY(startup.splash() && startup.splash()->isVisible());
    QCOMPARE(startup.splash()->progressText(), QStringLiteral("Loading .."));
    QCOMPARE(startup.splash()->windowFlags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);
    QVERIFY(!startup.mainWindow());
    QTRY_VERIFY(startup.mainWindow() && startup.mainWindow()->isVisible());
    QVERIFY(!startup.splash());
}

void TestShell::folderArgumentAndMissingFolders()
{
    Sandbox box;
    const QString deep = box.dir.filePath(QStringLiteral("a/b"));
    QDir().mkpath(deep);
    QFile file(deep + QStringLiteral("/tile.bmp"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(StartupSequence::folderFromArgument(file.fileName()), deep);
    QCOMPARE(StartupSequence::folderFromArgument(deep + QStringLiteral("/")), deep);
    QCOMPARE(StartupSequence::folderFromArgument(QString()), QString());

    // A stored folder that has gone opens its nearest existing ancestor.
    box.store(QStringLiteral("Settings"), QStringLiteral("Folder"),
              deep + QStringLiteral("/gone/too"));
    {
        TestPlatform test(box.settingsPath());
        auto startup = startVadro(test);
        QCOMPARE(startup->mainWindow()->folderTree().selectedPath(), deep);
        startup->mainWindow()->close();
    }
    QCOMPARE(box.stored(QStringLiteral("Folder")), deep);

    // The argument wins over the stored folder, and is what the close saves.
    {
        Run run(box, box.folder());
        QCOMPARE(run.main().folderTree().selectedPath(), box.folder());
        run.close();
    }
    QCOMPARE(box.stored(QStringLiteral("Folder")), box.folder());

    QCOMPARE(FolderTree::normalise(QStringLiteral("/")), QStringLiteral("/"));
    QCOMPARE(FolderTree::normalise(QStringLiteral("C:\\")), QStringLiteral("/"));
    QCOMPARE(FolderTree::normalise(QStringLiteral("/usr//share/")), QStringLiteral("/usr/share"));
    QCOMPARE(FolderTree::nearestExisting(QStringLiteral("/no/such/place")), QStringLiteral("/"));
}

void TestShell::hiddenCurrentFolderIsShown()
{
    Sandbox box;
    const QString hidden = box.dir.filePath(QStringLiteral(".cache/tiles"));
    QDir().mkpath(hidden);
    Run run(box, hidden);
    FolderTree& tree = run.main().folderTree();
    QCOMPARE(tree.selectedPath(), hidden);
    QTRY_VERIFY(tree.view()->currentIndex().isValid());
    QTRY_COMPARE(tree.view()->currentIndex().data().toString(), QStringLiteral("tiles"));

    // The root folder itself can be chosen.
    tree.setSelectedPath(QStringLiteral("/"));
    QTRY_COMPARE(tree.view()->currentIndex().data(QFileSystemModel::FilePathRole).toString(),
                 QStringLiteral("/"));
}

void TestShell::menuHelpByHovering()
{
    Sandbox box;
    Run run(box);
    QMenu* file = run.menu(QStringLiteral("mnuFile"));
    file->popup(run.main().mapToGlobal(QPoint(10, 10)));
    QVERIFY(QTest::qWaitForWindowExposed(file));
    file->setActiveAction(run.action("mnuFileOpen"));
    QCOMPARE(run.line(), QStringLiteral("Browse for files"));
    file->setActiveAction(run.action("mnuFileExit"));
    QCOMPARE(run.line(), QStringLiteral("Exit the program"));
    file->hide();
    QCOMPARE(run.line(), QString());

    QMenu* view = run.menu(QStringLiteral("mnuView"));
    view->popup(run.main().mapToGlobal(QPoint(40, 10)));
    QVERIFY(QTest::qWaitForWindowExposed(view));
    view->setActiveAction(run.menu(QStringLiteral("mnuViewArrangeIcons"))->menuAction());
    QCOMPARE(run.line(), QString());
    view->setActiveAction(run.action("mnuListViewMode2"));
    QCOMPARE(run.line(), QStringLiteral("Use Small icons for the Listview's contents"));
    view->hide();

    // Pop-up items write the empty text.
    QMenu* list = run.menus().popup(MainMenus::Popup::List);
    run.main().statusBar().showSimple(QStringLiteral("hint"));
    list->popup(run.main().mapToGlobal(QPoint(100, 100)));
    QVERIFY(QTest::qWaitForWindowExposed(list));
    list->setActiveAction(run.action("mnuLvRefresh"));
    QCOMPARE(run.line(), QString());
    list->hide();

    // In parts mode the help text is kept and shows when the bar goes back to simple mode.
    run.main().statusBar().showParts(400, QStringLiteral("File: a"), QStringLiteral("Dim: 1x1"),
                                     QStringLiteral("Size: 1 bytes"));
    QMenu* tools = run.menu(QStringLiteral("mnuTools"));
    tools->popup(run.main().mapToGlobal(QPoint(80, 10)));
    QVERIFY(QTest::qWaitForWindowExposed(tools));
    tools->setActiveAction(run.action("mnuToolsOptions"));
    QVERIFY(run.line().startsWith(QStringLiteral("File: a")));
    QCOMPARE(run.main().statusBar().line()->simpleText(),
             QStringLiteral("Customize the software's behavior"));
    run.main().statusBar().line()->setSimple(true);
    QCOMPARE(run.line(), QStringLiteral("Customize the software's behavior"));
    tools->hide();
}

void TestShell::menuHelpWithTheBarOff()
{
    Sandbox box;
    box.store(QStringLiteral("Settings"), QStringLiteral("Baron"), QStringLiteral("False"));
    Run run(box);
    QVERIFY(!run.main().statusBar().exists());
    QVERIFY(!run.isChecked(QStringLiteral("mnuViewStatusBar")));
    QMenu* file = run.menu(QStringLiteral("mnuFile"));
    file->popup(run.main().mapToGlobal(QPoint(10, 10)));
    QVERIFY(QTest::qWaitForWindowExposed(file));
    file->setActiveAction(run.action("mnuFileOpen"));
    file->hide();
    QCOMPARE(run.line(), QStringLiteral("<no bar>"));
    // Turned on later, the bar starts empty and in simple mode.
    run.main().run(Command::ToggleStatusBar);
    QCOMPARE(run.line(), QString());
    QVERIFY(run.main().statusBar().line()->isSimple());
}

void TestShell::keyTableRunsOncePerPress()
{
    Sandbox box;
    Run run(box);
    FileListView& list = run.main().fileList();
    list.model()->append({{QStringLiteral("tile.bmp"), 1, QStringLiteral("1"), -1}});
    QAbstractItemView* view = list.currentView();
    view->setFocus();
    view->setCurrentIndex(list.model()->index(0, 0));
    QVERIFY(view->hasFocus());

    QTest::keyClick(view, Qt::Key_T, Qt::ControlModifier);
    QVERIFY(!run.main().isToolbarOn());
    QVERIFY(!run.isChecked(QStringLiteral("mnuViewToolbar")));
    QTest::keyClick(view, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(run.main().isToolbarOn());
    QTest::keyClick(view, Qt::Key_T);
    QVERIFY(run.main().isToolbarOn());

    // F2 is the toolbox's key: the list opens no editor for it.
    QTest::keyClick(view, Qt::Key_F2);
    QVERIFY(!qobject_cast<QLineEdit*>(QApplication::focusWidget()));
    QCOMPARE(QApplication::focusWidget(), view);
    QCOMPARE(list.model()->nameAt(0), QStringLiteral("tile.bmp"));

    // Keys reach the window from every child, once each.
    QTest::keyClick(run.main().folderTree().view(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(!run.main().isTreeOn());
    QTest::keyClick(&run.main(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(run.main().isTreeOn());

    // Alt+X closes the window, which saves.
    QTest::keyClick(view, Qt::Key_X, Qt::AltModifier);
    QVERIFY(!run.main().isVisible());
    QCOMPARE(box.stored(QStringLiteral("Tbaron")), QStringLiteral("True"));
}

void TestShell::togglesWriteTheirKeysAtOnce()
{
    Sandbox box;
    Run run(box);
    MainWindow& main = run.main();
    main.paneLayout().setPositions(3000, 3500);
    main.run(Command::ToggleTree);
    QCOMPARE(box.stored(QStringLiteral("Tvon")), QStringLiteral("False"));
    QCOMPARE(main.paneLayout().isbLeft(), 4000);
    QVERIFY(main.splitters().firstBar()->isHidden());
    QCOMPARE(main.fileList().geometry().left(), 0);

    main.run(Command::TogglePreview);
    QCOMPARE(box.stored(QStringLiteral("Pvon")), QStringLiteral("False"));
    QVERIFY(!main.surface().isPreviewFrameVisible());
    QVERIFY(main.splitters().secondBar()->isHidden());

    main.run(Command::ToggleToolbar);
    QCOMPARE(box.stored(QStringLiteral("Tbaron")), QStringLiteral("False"));
    QCOMPARE(main.titleStrip().geometry().top(), 0);

    main.run(Command::ToggleStatusBar);
    QCOMPARE(box.stored(QStringLiteral("Baron")), QStringLiteral("False"));

    run.action("mnuViewTv")->trigger();
    QVERIFY(main.isTreeOn());
    QVERIFY(run.action("mnuViewTv")->isChecked());
    QCOMPARE(box.stored(QStringLiteral("Tvon")), QStringLiteral("True"));
    // Without a listed command the other keys were not touched yet.
    QCOMPARE(box.stored(QStringLiteral("MainLeft")), QStringLiteral("<absent>"));
}

void TestShell::popupsOnRightPress()
{
    Sandbox box;
    Run run(box);
    MainWindow& main = run.main();
    FakePopupMenus& popups = *run.test.popups;

    // The free surface, inside the preview frame, with the preview hidden: "Hide Preview"
    // shows it again.
    main.run(Command::TogglePreview);
    popups.answer = QStringLiteral("mnuHidePv");
    const QPoint inFrame = main.lastLayout().preview.toPixels().center();
    press(&main.surface(), Qt::RightButton, inFrame);
    QCOMPARE(popups.opened.last(), QStringLiteral("mnuPv"));
    QVERIFY(main.isPreviewOn());
    QCOMPARE(box.stored(QStringLiteral("Pvon")), QStringLiteral("True"));

    // The left button opens nothing.
    const int count = popups.opened.size();
    press(&main.surface(), Qt::LeftButton, inFrame);
    QCOMPARE(popups.opened.size(), count);

    popups.answer.clear();
    press(main.menus().toolbar(), Qt::RightButton);
    QCOMPARE(popups.opened.last(), QStringLiteral("mnuTb"));
    QVERIFY(main.isToolbarOn());

    // The tree's menu leaves the selected folder where it was.
    QTreeView* tree = main.folderTree().view();
    QTRY_VERIFY(tree->currentIndex().isValid());
    const QModelIndex before = tree->currentIndex();
    const QModelIndex other = tree->indexAt(QPoint(5, 5));
    QVERIFY(other.isValid() && other != before);
    press(tree->viewport(), Qt::RightButton, tree->visualRect(other).center());
    QCOMPARE(popups.opened.last(), QStringLiteral("mnuTv"));
    QCOMPARE(tree->currentIndex(), before);
    QCOMPARE(main.folderTree().selectedPath(), box.folder());

    popups.answer = QStringLiteral("mnuHideTv");
    press(tree->viewport(), Qt::RightButton, tree->visualRect(other).center());
    QVERIFY(!main.isTreeOn());

    press(main.fileList().currentView()->viewport(), Qt::RightButton);
    QCOMPARE(popups.opened.last(), QStringLiteral("mnuLv"));
}

void TestShell::statusBarToggleAndParts()
{
    Sandbox box;
    Run run(box);
    StatusBar& bar = run.main().statusBar();
    QTest::keyClick(&run.main(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!bar.exists());
    QCOMPARE(box.stored(QStringLiteral("Baron")), QStringLiteral("False"));
    bar.showSimple(QStringLiteral("dropped")); // no bar: nothing to write to
    const int listHeightOff = run.main().fileList().height();
    QTest::keyClick(&run.main(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(bar.exists());
    QCOMPARE(run.line(), QString());
    QCOMPARE(listHeightOff - run.main().fileList().height(), 20); // 300 twips for the bar

    bar.showParts(801, QStringLiteral("File: a.bmp"), QStringLiteral("Dim: 64x48"),
                  QStringLiteral("Size: 1,234 bytes"));
    QCOMPARE(bar.line()->partEdges(), (QVector<int>{200, 400, 600, -1}));
    // A printed size too long for its quarter borrows from the short parts, the name's last.
    QCOMPARE(StatusBar::partEdges(800, {150, 120, 330, 80}), (QVector<int>{200, 390, 720, -1}));
    QCOMPARE(StatusBar::partEdges(800, {250, 120, 300, 80}), (QVector<int>{250, 420, 720, -1}));
    QCOMPARE(bar.line()->partText(1), QStringLiteral("Dim: 64x48"));
    QCOMPARE(bar.line()->partText(3), QString());
    bar.setSimpleText(QStringLiteral("kept"));
    QVERIFY(!bar.line()->isSimple());
    bar.showSimple(QStringLiteral("back"));
    QCOMPARE(run.line(), QStringLiteral("back"));
}

void TestShell::hoverHintComesAndGoes()
{
    Sandbox box;
    Run run(box);
    MainWindow& main = run.main();
    HoverHint& hint = main.hoverHint();
    FakeCursor& cursor = *run.test.cursor;
    const QRect list = main.lastLayout().list.toPixels();

    hint.start(); // an empty list shows no hint
    QVERIFY(!hint.isShown());
    main.fileList().model()->append({{QStringLiteral("a.bmp"), 1, QStringLiteral("1"), -1}});
    cursor.position = main.surface().mapToGlobal(list.center());
    hint.start();
    QVERIFY(hint.isShown() && hint.isTicking());
    QCOMPARE(run.line(), HoverHint::text());

    cursor.position = main.surface().mapToGlobal(QPoint(list.left() + list.width(), list.top()));
    hint.tick(); // exactly on the edge counts as inside
    QVERIFY(hint.isShown());
    cursor.position = main.surface().mapToGlobal(QPoint(list.left() - 1, list.center().y()));
    QTRY_VERIFY(!hint.isTicking()); // the real timer takes it away
    QVERIFY(!hint.isShown());
    QCOMPARE(run.line(), QString());

    hint.start();
    QVERIFY(hint.isShown());
}

void TestShell::splitterDragCommitsOnRelease()
{
    Sandbox box;
    box.store(QStringLiteral("Settings"), QStringLiteral("MainWidth"), QStringLiteral("8000"));
    Run run(box);
    MainWindow& main = run.main();
    SplitterController& s = main.splitters();
    QWidget* bar = s.firstBar();
    QCOMPARE(main.paneLayout().isaLeft(), 2000);

    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(3, 50));
    QVERIFY(s.firstStrip()->isVisible());
    QCOMPARE(s.firstStrip()->geometry(), (TwipRect{2000, main.lastLayout().isa.top + 100, 45,
                                                   main.lastLayout().isa.height - 140})
                                             .toPixels());
    // 300 px to the left: the strip stops at 1000 twips; the panes do not move yet.
    QTest::mouseMove(bar, QPoint(-300, 50));
    QCOMPARE(s.firstStrip()->x(), 67);  // 1000 twips
    QCOMPARE(main.fileList().x(), 136); // 2040 twips
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(-300, 50));
    QVERIFY(s.firstStrip()->isHidden());
    QCOMPARE(main.paneLayout().isaLeft(), 1000);
    QCOMPARE(main.fileList().x(), 69); // 1040 twips

    // The second bar stops 1000 twips right of the first.
    QWidget* second = s.secondBar();
    QTest::mousePress(second, Qt::LeftButton, Qt::NoModifier, QPoint(3, 50));
    QTest::mouseMove(second, QPoint(-Twips::toPixels(4000), 50));
    QTest::mouseRelease(second, Qt::LeftButton, Qt::NoModifier, QPoint(-Twips::toPixels(4000), 50));
    QCOMPARE(main.paneLayout().isbLeft(), 2000);

    run.close();
    QCOMPARE(box.stored(QStringLiteral("IsaLeft")), QStringLiteral("1000"));
    QCOMPARE(box.stored(QStringLiteral("IsbLeft")), QStringLiteral("2000"));
}

void TestShell::resizeKeepsProportionsAndMinimum()
{
    Sandbox box;
    box.store(QStringLiteral("Settings"), QStringLiteral("MainWidth"), QStringLiteral("8000"));
    Run run(box);
    MainWindow& main = run.main();
    const int frame = main.frameGeometry().width() - main.width();
    main.resize(Twips::toPixels(12000) - frame, main.height());
    QTRY_COMPARE(main.paneLayout().isaLeft(), 3000);
    QCOMPARE(main.paneLayout().isbLeft(), 7500);

    main.resize(50, main.height());
    QTRY_VERIFY(main.frameGeometry().width() >= 207); // 3100 twips, frame included
    QVERIFY(main.paneLayout().isbLeft() <= main.outerWidthTwips() - 1000 + 500);

    // A 4K-wide window lays out in full.
    main.resize(3840 - frame, 2000);
    QTRY_COMPARE(main.fileList().geometry(), main.lastLayout().list.toPixels());
    QCOMPARE(main.lastLayout().preview.right(), 3840 * 15 - 120);
    main.close();
}

void TestShell::hostileSettingsFileDoesNotStopTheProgram()
{
    Sandbox box;
    QVERIFY(mkfifo(box.settingsPath().toLocal8Bit().constData(), 0600) == 0);
    {
        Run run(box);
        QVERIFY(run.main().isVisible());
        // The first start's window, its panes in the default proportions.
        const int width = run.main().frameGeometry().width() * 15;
        QCOMPARE(run.main().paneLayout().isaLeft(), int(std::lround(2000.0 * width / 6500)));
        QTRY_VERIFY(!run.line().isEmpty());
        run.main().run(Command::ToggleToolbar);
        run.close();
    }
    // Still a FIFO: nothing was written through it.
    struct stat st;
    QVERIFY(::stat(box.settingsPath().toLocal8Bit().constData(), &st) == 0);
    QVERIFY(S_ISFIFO(st.st_mode));
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
