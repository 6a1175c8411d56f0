#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QListView>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTreeView>
#include <QWindow>

#include "Harness.h"
#include "app/Browser.h"
#include "app/Session.h"
#include "app/Settings.h"
#include "listing/FileList.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "listing/FolderTree.h"
#include "platform/FileSystemFolderModel.h"

namespace {

// The process's peak resident size so far, in kB.
qint64 peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QTreeView* treeView(const Run& run)
{
    return run.main().findChild<QTreeView*>(QStringLiteral("TvView"));
}

QString pathOf(const Run& run, const QModelIndex& index)
{
    return run.test.platform.folders->pathOf(index);
}

// A click in the middle of the row's line, wherever the name stands sideways.
void clickRow(QTreeView* view, const QModelIndex& index)
{
    view->scrollTo(index);
    const QPoint at(view->viewport()->width() / 2, view->visualRect(index).center().y());
    QVERIFY(view->indexAt(at) == index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

// The narrowest size a window was told it has.
class SmallestResize : public QObject
{
public:
    int width = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize) {
            const int now = static_cast<QResizeEvent*>(event)->size().width();
            width = width == 0 ? now : std::min(width, now);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class TestFirstStart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // First, so that the peak memory it reads is its own.
    void longSectionNameIsReadCheaply();
    void treeShowsRootAndItsChildren_data();
    void treeShowsRootAndItsChildren();
    void firstStartOpensThePicturesFolder();
    void treeKeepsItsLeftEdgeInView();
    void foldersWithoutSubfoldersHaveNoArrow();
    void firstStartSizes_data();
    void firstStartSizes();
    void damagedSizesOpenAtTheFirstStartSize();
    void windowMinimumHoldsWithoutWindowManager();
    void namesShowWholeInEveryListStyle();
};

void TestFirstStart::longSectionNameIsReadCheaply()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vadro.conf"));
    QByteArray bytes =
        "[Settings]\nFolder=/kept/here\nTvon=False\n[" + QByteArray(65000, 's') + "]\n";
    for (int i = 0; i < IniSettingsStore::MaxKeys - 2; ++i)
        bytes += "key" + QByteArray::number(i) + "=value " + QByteArray::number(i) + '\n';
    QVERIFY(bytes.size() < IniSettingsStore::MaxFileSize);
    put(path, bytes);

    const qint64 before = peakResidentKb();
    QElapsedTimer clock;
    clock.start();
    {
        IniSettingsStore store(path);
        const qint64 elapsed = clock.elapsed();
        const qint64 grown = peakResidentKb() - before;
        qInfo("read in %lld ms, peak memory grew by %lld kB", elapsed, grown);
        // Copying the section's name into each key took over a gigabyte.
        QVERIFY2(grown < 64 * 1024, qPrintable(QString::number(grown)));

        QStringList problems;
        store.setProblemSink([&problems](const QString& message) { problems << message; });
        QCOMPARE(problems, QStringList());
        Settings settings(store);
        QCOMPARE(settings.folder(), QStringLiteral("/kept/here"));
        QCOMPARE(settings.treeOn(), false);
        QCOMPARE(store.read(QString(65000, u's'), QStringLiteral("key9997")),
                 std::optional<QString>(QStringLiteral("value 9997")));

        // Rewriting it through QSettings would cost as much again: the file is set aside and
        // a new one keeps our own sections.
        settings.setPreviewOn(false);
        QCOMPARE(problems.size(), 1);
        QVERIFY(contents(store.backupPath()) == bytes);
    }
    QVERIFY(QFileInfo(path).size() < 1000);
    IniSettingsStore again(path);
    const Settings settings(again);
    QCOMPARE(settings.folder(), QStringLiteral("/kept/here"));
    QCOMPARE(settings.treeOn(), false);
    QCOMPARE(settings.previewOn(), false);
}

void TestFirstStart::treeShowsRootAndItsChildren_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("root") << QStringLiteral("/");
    QTest::newRow("one below the root") << QStringLiteral("/tmp");
    QTest::newRow("deeper") << QStringLiteral("deeper");
}

void TestFirstStart::treeShowsRootAndItsChildren()
{
    QFETCH(QString, folder);
    Sandbox box;
    if (folder == QLatin1String("deeper"))
        folder = box.folder();
    Run run(box, folder);
    QTreeView* view = treeView(run);
    QVERIFY(view);
    QAbstractItemModel* model = view->model();

    // The root row, open, with its icon, and the folder selected under it.
    QTRY_COMPARE(model->rowCount(view->rootIndex()), 1);
    const QModelIndex root = model->index(0, 0, view->rootIndex());
    QCOMPARE(pathOf(run, root), QStringLiteral("/"));
    QTRY_VERIFY(!model->data(root, Qt::DecorationRole).value<QIcon>().isNull());
    QTRY_VERIFY(view->isExpanded(root));
    QTRY_VERIFY(model->rowCount(root) > 1);
    QTRY_COMPARE(pathOf(run, view->currentIndex()), folder);
    QVERIFY(view->visualRect(view->currentIndex()).intersects(view->viewport()->rect()));
    QVERIFY(view->visualRect(root).isValid());
    QCOMPARE(run.main().folderTree().selectedPath(), folder);
    QTRY_COMPARE(run.main().browser().files().path(), folder);

    // A click on a child of the root lists it; F5 lists the selected folder again.
    QModelIndex child;
    for (int row = 0; row < model->rowCount(root) && !child.isValid(); ++row) {
        const QModelIndex candidate = model->index(row, 0, root);
        if (pathOf(run, candidate) != folder && QFileInfo(pathOf(run, candidate)).isReadable())
            child = candidate;
    }
    QVERIFY(child.isValid());
    clickRow(view, child);
    QTRY_COMPARE(run.main().browser().files().path(), pathOf(run, child));
    QCOMPARE(pathOf(run, view->currentIndex()), pathOf(run, child));
    QTest::keyClick(view, Qt::Key_Up);
    QTRY_VERIFY(run.main().browser().files().path() != pathOf(run, child));
    QCOMPARE(run.main().browser().files().path(), run.main().folderTree().selectedPath());
}

void TestFirstStart::firstStartOpensThePicturesFolder()
{
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", oldHome);
        qputenv("XDG_CONFIG_HOME", oldConfig);
    });
    // Without a pictures folder, home; with one, the pictures folder.
    QCOMPARE(Settings::defaultFolder(), home.path());
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    QVERIFY(pictures.startsWith(home.path()));
    QVERIFY(QDir().mkpath(pictures));
    QCOMPARE(Settings::defaultFolder(), pictures);

    Sandbox box;
    TestPlatform test(box.settingsPath());
    const auto startup = startVadro(test);
    MainWindow& main = *startup->mainWindow();
    QTRY_COMPARE(main.browser().files().path(), pictures);
    QCOMPARE(main.folderTree().selectedPath(), pictures);
    QTreeView* view = main.findChild<QTreeView*>(QStringLiteral("TvView"));
    QTRY_COMPARE(test.platform.folders->pathOf(view->currentIndex()), pictures);
    main.close();
    QCOMPARE(box.stored(QStringLiteral("Folder")), pictures);
}

void TestFirstStart::treeKeepsItsLeftEdgeInView()
{
    Sandbox box;
    QString deep = box.folder();
    for (int level = 0; level < 12; ++level)
        deep += QStringLiteral("/folder_level_%1").arg(level);
    QVERIFY(QDir().mkpath(deep));
    const QString shallow = box.folder() + QStringLiteral("/folder_level_0");

    // A wide tree pane, as a user who reads deep folders would drag it.
    box.store(QStringLiteral("Settings"), QStringLiteral("MainWidth"), QStringLiteral("11000"));
    box.store(QStringLiteral("Settings"), QStringLiteral("IsaLeft"), QStringLiteral("5000"));
    box.store(QStringLiteral("Settings"), QStringLiteral("IsbLeft"), QStringLiteral("8000"));
    Run run(box, shallow);
    QTreeView* view = treeView(run);
    QScrollBar* across = view->horizontalScrollBar();
    QTRY_COMPARE(pathOf(run, view->currentIndex()), shallow);
    // A name that shows from the left edge: nothing is scrolled sideways.
    QCOMPARE(across->value(), 0);
    QVERIFY(view->visualRect(view->currentIndex()).intersects(view->viewport()->rect()));

    // A name that would be out of sight entirely is scrolled into it.
    run.main().folderTree().setSelectedPath(deep);
    QTRY_COMPARE(pathOf(run, view->currentIndex()), deep);
    QTRY_VERIFY(across->value() > 0);
    const QRect name = view->visualRect(view->currentIndex());
    QVERIFY(view->viewport()->rect().contains(name));

    // Back to the shallow folder by a click: the left edge comes back.
    const QModelIndex up = run.test.platform.folders->indexOf(shallow);
    clickRow(view, up);
    QTRY_COMPARE(run.main().browser().files().path(), shallow);
    QCOMPARE(across->value(), 0);
}

void TestFirstStart::foldersWithoutSubfoldersHaveNoArrow()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("parent/child")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("leaf")));
    put(dir.filePath(QStringLiteral("leaf/file.bmp")), "not a folder");
    FileSystemFolderModel folders;
    QAbstractItemModel* model = folders.itemModel();
    const QString parent = dir.filePath(QStringLiteral("parent"));
    const QString leaf = dir.filePath(QStringLiteral("leaf"));
    folders.indexOf(parent);
    QTRY_VERIFY(folders.indexOf(parent).isValid() && folders.indexOf(leaf).isValid());
    // Neither folder has been read yet.
    QVERIFY(model->canFetchMore(folders.indexOf(leaf)));
    QVERIFY(model->hasChildren(folders.indexOf(parent)));
    QVERIFY(!model->hasChildren(folders.indexOf(leaf)));
}

void TestFirstStart::firstStartSizes_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("main");  // pixels
    QTest::addColumn<QRect>("tiled"); // pixels
    QTest::addColumn<int>("isaLeft"); // twips
    QTest::newRow("1600 x 1000") << QRect(0, 0, 1600, 1000) << QRect(267, 167, 1067, 667)
                                 << QRect(533, 250, 800, 500) << 4925;
    // A panel at the top, and a screen to the right of another.
    QTest::newRow("1366 x 768 with a panel")
        << QRect(1920, 27, 1366, 741) << QRect(2148, 151, 911, 494) << QRect(2375, 212, 683, 371)
        << 4205;
}

void TestFirstStart::firstStartSizes()
{
    QFETCH(QRect, screen);
    QFETCH(QRect, main);
    QFETCH(QRect, tiled);
    QFETCH(int, isaLeft);
    const auto twips = [](const QRect& r) {
        return QRectF(r.x() * 15.0, r.y() * 15.0, r.width() * 15.0, r.height() * 15.0);
    };
    const QRect desktop(0, 0, 3286, 1080);
    const QSizeF least(3100, 2000);

    // Nothing stored reads as the old defaults: the first-start sizes.
    SessionState state;
    state.window = WindowGeometry(1000, 1000, 6500, 6500);
    state.tiled = {1000, 1000, 6500, 6500};
    state.isaLeft = 2000;
    state.isbLeft = 5000;
    Session::settleSizes(state, screen, desktop, least);
    const WindowGeometry& w = *state.window;
    QCOMPARE(QRectF(w.left(), w.top(), w.width(), w.height()), twips(main));
    QCOMPARE(QRectF(state.tiled.left, state.tiled.top, state.tiled.width, state.tiled.height),
             twips(tiled));
    QCOMPARE(state.isaLeft, isaLeft);
    // The panes keep their default proportions: 2000 and 5000 of 6500.
    QCOMPARE(state.isbLeft, int(std::lround(5000 * w.width() / 6500)));

    // Stored panes stay, for the layout to clamp to the window.
    SessionState panes = state;
    panes.window = WindowGeometry(1000, 1000, 6500, 6500);
    panes.isaLeft = 500;
    panes.isbLeft = 5000;
    Session::settleSizes(panes, screen, desktop, least);
    QCOMPARE(panes.isaLeft, 500);

    // Valid sizes stay exactly as stored, the stored panes with them.
    SessionState kept;
    kept.window = WindowGeometry(1000.5, -3000, 12000, 9000);
    kept.tiled = {-1500, 400, 2000, 16200};
    kept.isaLeft = 3000;
    Session::settleSizes(kept, screen, desktop, least);
    QCOMPARE(kept.window->width(), 12000.0);
    QCOMPARE(kept.window->left(), 1000.5);
    QCOMPARE(kept.tiled, (TwipRect{-1500, 400, 2000, 16200}));
    QCOMPARE(kept.isaLeft, 3000);

    // Below the least, or beyond the desktop: as if nothing were stored.
    const QSizeF damaged[] = {QSizeF(3099, 9000),   QSizeF(12000, 1999), QSizeF(49291, 9000),
                              QSizeF(12000, 16201), QSizeF(1999, 5000),  QSizeF(5000, 16201)};
    for (const QSizeF& size : damaged) {
        SessionState state;
        state.window = WindowGeometry(0, 0, size.width(), size.height());
        state.tiled = {0, 0, int(size.width()), int(size.height())};
        Session::settleSizes(state, screen, desktop, least);
        const bool mainFits = size.width() >= 3100 && size.height() >= 2000 &&
                              size.width() <= 49290 && size.height() <= 16200;
        QCOMPARE(state.window->width(), mainFits ? size.width() : main.width() * 15.0);
        const bool tiledFits = size.width() >= 2000 && size.height() >= 2000 &&
                               size.width() <= 49290 && size.height() <= 16200;
        QCOMPARE(state.tiled.width, tiledFits ? int(size.width()) : tiled.width() * 15);
    }
}

void TestFirstStart::damagedSizesOpenAtTheFirstStartSize()
{
    Sandbox box;
    QFile file(box.settingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Settings]\nMainWidth=-500\nMainHeight=-1\nPrvWidth=-6500\nPrvHeight=0\n"
               "IsaLeft=-2000\nViewMode=-1\n");
    file.close();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    {
        Run run(box);
        MainWindow& main = run.main();
        QTRY_COMPARE(main.browser().files().path(), box.folder());
        QCOMPARE(main.frameGeometry().size(), QSize(std::lround(screen.width() * 2 / 3.0),
                                                    std::lround(screen.height() * 2 / 3.0)));
        QVERIFY((main.frameGeometry().center() - screen.center()).manhattanLength() <= 2);
        QVERIFY(run.test.messages->shown.isEmpty());
        run.close();
    }
    QCOMPARE(box.stored(QStringLiteral("MainWidth")).toDouble(),
             std::lround(screen.width() * 2 / 3.0) * 15.0);
    QCOMPARE(box.stored(QStringLiteral("PrvWidth")).toInt(),
             int(std::lround(screen.width() / 2.0)) * 15);
}

void TestFirstStart::windowMinimumHoldsWithoutWindowManager()
{
    Sandbox box;
    Run run(box);
    MainWindow& main = run.main();
    SmallestResize seen;
    main.installEventFilter(&seen);
    // From outside, as an X server without a window manager lets a client do.
    main.windowHandle()->resize(20, 20);
    QTRY_VERIFY(seen.width > 0 && seen.width < 100);
    QTRY_VERIFY(main.frameGeometry().width() * 15 >= 3100);
}

void TestFirstStart::namesShowWholeInEveryListStyle()
{
    FileListView list(nullptr);
    list.resize(600, 400);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const QString longName =
        QStringLiteral("an extremely long file name that no sensible cell could ever hold.bmp");
    QVector<FileListModel::Row> rows;
    for (const QString& name : {QStringLiteral("a.gif"), QStringLiteral("c.BMP"),
                                QStringLiteral("tile with a longer name.jpg"), longName})
        rows.append({name, 10, QStringLiteral("10"), -1});
    list.model()->append(rows);
    auto* view = list.findChild<QListView*>(QStringLiteral("LvIcons"));
    const QFontMetrics metrics = view->fontMetrics();
    const auto widthOf = [&](const QString& name) {
        return view
            ->visualRect(list.model()->index(
                list.model()->rowCount() > 0 ? list.model()->rowOf(name) : 0, 0))
            .width();
    };

    for (int style : {FileListView::LargeIcons, FileListView::SmallIcons, FileListView::List}) {
        list.setListStyle(style);
        QCoreApplication::processEvents();
        const int lines = style == FileListView::LargeIcons ? 2 : 1;
        // Short names whole, in cells as wide as the widest whole name needs.
        for (const QString& name : {QStringLiteral("a.gif"), QStringLiteral("c.BMP"),
                                    QStringLiteral("tile with a longer name.jpg")}) {
            QVERIFY2(lines * widthOf(name) > metrics.horizontalAdvance(name),
                     qPrintable(QStringLiteral("%1 in style %2").arg(name).arg(style)));
        }
        // The long one stops at a sensible width: its middle gives way.
        QVERIFY(lines * widthOf(longName) < metrics.horizontalAdvance(longName));
        const int before = widthOf(QStringLiteral("c.BMP"));
        QCOMPARE(widthOf(longName), before);
        list.model()->sort(FileListModel::NameColumn, Qt::DescendingOrder);
        QCoreApplication::processEvents();
        QCOMPARE(widthOf(QStringLiteral("c.BMP")), before);
        list.model()->sort(FileListModel::NameColumn, Qt::AscendingOrder);
    }
}

QTEST_MAIN(TestFirstStart)
#include "tst_firststart.moc"
