#include <QtTest>

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "app/CommandTable.h"
#include "app/KeyPreview.h"
#include "app/MainMenus.h"
#include "app/Resources.h"
#include "app/ViewState.h"
#include "listing/TypeFilter.h"
#include "platform/PopupMenus.h"

namespace {

class NoPopups : public PopupMenus
{
public:
    QAction* exec(QMenu*, const QPoint&) override { return nullptr; }
};

QList<QAction*> itemsOf(QMenu* menu)
{
    QList<QAction*> items;
    for (QAction* action : menu->actions()) {
        if (action->menu())
            items += itemsOf(action->menu());
        else if (!action->isSeparator())
            items.append(action);
    }
    return items;
}

} // namespace

Q_DECLARE_METATYPE(Command)

class TestCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { loadVadroResources(); }
    void keys_data();
    void keys();
    void menuHelp_data();
    void menuHelp();
    void everyMenuBarItemHasItsHelp();
    void everyCommandReachesItsHandler_data();
    void everyCommandReachesItsHandler();
    void checkMarksShowTheViewState();
    void typeFilter_data();
    void typeFilter();
    void typeFilterPiecesAreVerbatim();
};

void TestCommands::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("command"); // -1: none
    const int none = -1;
    const int shift = int(Qt::ShiftModifier);
    const int ctrl = int(Qt::ControlModifier);
    const int alt = int(Qt::AltModifier);
    QTest::newRow("F5") << int(Qt::Key_F5) << 0 << int(Command::Refresh);
    QTest::newRow("Shift+F5") << int(Qt::Key_F5) << shift << int(Command::Refresh);
    QTest::newRow("Ctrl+F5") << int(Qt::Key_F5) << ctrl << int(Command::Refresh);
    QTest::newRow("F3 is modeless") << int(Qt::Key_F3) << 0 << int(Command::OptionsModeless);
    QTest::newRow("F2") << int(Qt::Key_F2) << alt << int(Command::Toolbox);
    QTest::newRow("F4") << int(Qt::Key_F4) << 0 << int(Command::ViewThumbnails);
    QTest::newRow("F9") << int(Qt::Key_F9) << 0 << int(Command::ViewDetails);
    QTest::newRow("F1 opens help") << int(Qt::Key_F1) << 0 << int(Command::HelpContents);
    QTest::newRow("Ctrl+T") << int(Qt::Key_T) << ctrl << int(Command::ToggleToolbar);
    QTest::newRow("Ctrl+Shift+T") << int(Qt::Key_T) << (ctrl | shift)
                                  << int(Command::ToggleToolbar);
    QTest::newRow("T alone") << int(Qt::Key_T) << 0 << none;
    QTest::newRow("Alt+T") << int(Qt::Key_T) << alt << none;
    QTest::newRow("Alt+X") << int(Qt::Key_X) << alt << int(Command::Exit);
    QTest::newRow("Ctrl+X") << int(Qt::Key_X) << ctrl << none;
    QTest::newRow("Ctrl+Alt+X") << int(Qt::Key_X) << (ctrl | alt) << int(Command::Exit);
    QTest::newRow("Ctrl+O") << int(Qt::Key_O) << ctrl << int(Command::Open);
    QTest::newRow("Ctrl+W") << int(Qt::Key_W) << ctrl << int(Command::Wallpaper);
    QTest::newRow("Ctrl+S") << int(Qt::Key_S) << ctrl << int(Command::ToggleStatusBar);
    QTest::newRow("Ctrl+F") << int(Qt::Key_F) << ctrl << int(Command::ToggleTree);
    QTest::newRow("Ctrl+P") << int(Qt::Key_P) << ctrl << int(Command::TogglePreview);
    QTest::newRow("Ctrl+I") << int(Qt::Key_I) << ctrl << int(Command::WebPage);
    QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << none;
    QTest::newRow("F10") << int(Qt::Key_F10) << 0 << none;
}

void TestCommands::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, command);
    const auto found = CommandTable::commandForKey(key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(found.has_value(), command >= 0);
    if (found)
        QCOMPARE(int(*found), command);
}

void TestCommands::menuHelp_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::newRow("open") << "&Open             Ctl+ O"
                          << "Browse for files";
    QTest::newRow("exit") << "Exit                Alt+ X"
                          << "Exit the program";
    QTest::newRow("small icons") << "Small Icons          F7"
                                 << "Use Small icons for the Listview's contents";
    QTest::newRow("toolbox") << "Toolbox         F2"
                             << "With the Toolbox, you can test Fonts for use in the Internet";
    QTest::newRow("web") << "Web page       Ctl+ I"
                         << "Visit The image Vadro's Web page";
    QTest::newRow("by size") << "By Size"
                             << "Arrange the Listview's contents by Size";
    QTest::newRow("submenu itself") << "Arrange Icons"
                                    << "";
    QTest::newRow("blanks matter") << "&Open Ctl+ O"
                                   << "";
    QTest::newRow("case matters") << "about"
                                  << "";
    QTest::newRow("pop-up caption") << "Hide Preview"
                                    << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestCommands::menuHelp()
{
    QFETCH(QString, caption);
    QTEST(CommandTable::helpFor(caption), "text");
}

void TestCommands::everyMenuBarItemHasItsHelp()
{
    QMainWindow window;
    NoPopups popups;
    MainMenus menus(window.menuBar(), &window, popups);
    int items = 0;
    for (QAction* top : window.menuBar()->actions()) {
        for (QAction* item : itemsOf(top->menu())) {
            ++items;
            QVERIFY2(!CommandTable::helpFor(MainMenus::captionOf(item)).isEmpty(),
                     qPrintable(item->objectName()));
        }
    }
    QCOMPARE(items, 23); // File 3, View 15, Tools 2, Help 3
}

void TestCommands::everyCommandReachesItsHandler_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("item");   // menu-bar item, empty: none
    QTest::addColumn<QString>("popup");  // pop-up item, empty: none
    QTest::addColumn<QString>("button"); // toolbar button, empty: none
    QTest::addColumn<int>("key");        // 0: none
    QTest::addColumn<int>("modifiers");
    const int ctrl = int(Qt::ControlModifier);
    const int alt = int(Qt::AltModifier);
    using C = Command;
    QTest::newRow("open") << C::Open << "mnuFileOpen"
                          << ""
                          << "tbOpen" << int(Qt::Key_O) << ctrl;
    QTest::newRow("wallpaper") << C::Wallpaper << "mnuWallp"
                               << "mnuPWallp"
                               << "" << int(Qt::Key_W) << ctrl;
    QTest::newRow("exit") << C::Exit << "mnuFileExit"
                          << ""
                          << "" << int(Qt::Key_X) << alt;
    QTest::newRow("toolbar") << C::ToggleToolbar << "mnuViewToolbar"
                             << "mnuHideTb"
                             << "" << int(Qt::Key_T) << ctrl;
    QTest::newRow("status bar") << C::ToggleStatusBar << "mnuViewStatusBar"
                                << ""
                                << "" << int(Qt::Key_S) << ctrl;
    QTest::newRow("tree") << C::ToggleTree << "mnuViewTv"
                          << "mnuHideTv"
                          << "" << int(Qt::Key_F) << ctrl;
    QTest::newRow("preview") << C::TogglePreview << "mnuViewPv"
                             << "mnuHidePv"
                             << "" << int(Qt::Key_P) << ctrl;
    QTest::newRow("thumbnails") << C::ViewThumbnails << "mnuListViewMode0"
                                << "mnuIcons0"
                                << "tbViewThumbnails" << int(Qt::Key_F4) << 0;
    QTest::newRow("large icons") << C::ViewLargeIcons << "mnuListViewMode1"
                                 << "mnuIcons1"
                                 << "tbViewLargeIcons" << int(Qt::Key_F6) << 0;
    QTest::newRow("small icons") << C::ViewSmallIcons << "mnuListViewMode2"
                                 << "mnuIcons2"
                                 << "tbViewSmallIcons" << int(Qt::Key_F7) << 0;
    QTest::newRow("list") << C::ViewList << "mnuListViewMode3"
                          << "mnuIcons3"
                          << "tbViewList" << int(Qt::Key_F8) << 0;
    QTest::newRow("details") << C::ViewDetails << "mnuListViewMode4"
                             << "mnuIcons4"
                             << "tbViewDetails" << int(Qt::Key_F9) << 0;
    QTest::newRow("by name") << C::SortByName << "mnuArrange0"
                             << "mnuLvArr0"
                             << "" << 0 << 0;
    QTest::newRow("by size") << C::SortBySize << "mnuArrange1"
                             << "mnuLvArr1"
                             << "" << 0 << 0;
    QTest::newRow("by type") << C::SortByType << "mnuArrange2"
                             << "mnuLvArr2"
                             << "" << 0 << 0;
    QTest::newRow("ascending") << C::SortAscending << "mnuShortAZ"
                               << "mnuLvShortAZ"
                               << "" << 0 << 0;
    QTest::newRow("descending") << C::SortDescending << "mnuShortZA"
                                << "mnuLvShortZA"
                                << "" << 0 << 0;
    QTest::newRow("refresh") << C::Refresh << "mnuViewRefresh"
                             << "mnuLvRefresh"
                             << "" << int(Qt::Key_F5) << 0;
    QTest::newRow("toolbox") << C::Toolbox << "mnuTbox"
                             << ""
                             << "tbToolbox" << int(Qt::Key_F2) << 0;
    QTest::newRow("options") << C::Options << "mnuToolsOptions"
                             << ""
                             << "tbOptions" << 0 << 0;
    QTest::newRow("options, modeless") << C::OptionsModeless << ""
                                       << ""
                                       << "" << int(Qt::Key_F3) << 0;
    QTest::newRow("help") << C::HelpContents << "mnuHelpContents"
                          << ""
                          << "tbHelp" << int(Qt::Key_F1) << 0;
    QTest::newRow("web page") << C::WebPage << "mnuWeb"
                              << ""
                              << "" << int(Qt::Key_I) << ctrl;
    QTest::newRow("about") << C::About << "mnuHelpAbout"
                           << ""
                           << "tbAbout" << 0 << 0;
}

void TestCommands::everyCommandReachesItsHandler()
{
    QFETCH(Command, command);
    QFETCH(QString, item);
    QFETCH(QString, popup);
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(int, modifiers);

    QMainWindow window;
    NoPopups popups;
    MainMenus menus(window.menuBar(), &window, popups);
    window.addToolBar(menus.toolbar());
    QVector<Command> ran;
    connect(&menus, &MainMenus::commandRequested, &window, [&ran](Command c) { ran.append(c); });
    KeyPreview keys(&window, [&ran](Command c) { ran.append(c); });

    QVector<Command> expected;
    for (const QString& name : {item, popup, button}) {
        if (name.isEmpty())
            continue;
        auto* action = window.findChild<QAction*>(name);
        QVERIFY2(action, qPrintable(name));
        action->trigger();
        expected.append(command);
    }
    if (key != 0) {
        QTest::keyClick(&window, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        expected.append(command);
    }
    QCOMPARE(ran, expected);
}

void TestCommands::checkMarksShowTheViewState()
{
    QMainWindow window;
    NoPopups popups;
    MainMenus menus(window.menuBar(), &window, popups);
    auto checked = [&window](const char* name) {
        return window.findChild<QAction*>(QString::fromLatin1(name))->isChecked();
    };
    ViewState state;
    state.toolbar = true;
    state.preview = true;
    state.mode = ViewMode::List;
    menus.reflect(state);
    QVERIFY(checked("mnuViewToolbar") && !checked("mnuViewStatusBar") && !checked("mnuViewTv"));
    QVERIFY(checked("mnuViewPv") && checked("mnuListViewMode3") && checked("mnuIcons3"));
    QVERIFY(checked("tbViewList") && !checked("tbViewLargeIcons"));
    // Name, ascending before any sort; the hide items carry no mark.
    QVERIFY(checked("mnuArrange0") && checked("mnuLvArr0") && checked("mnuShortAZ"));
    QVERIFY(checked("mnuLvShortAZ") && !checked("mnuShortZA") && !checked("mnuArrange1"));
    QVERIFY(!window.findChild<QAction*>(QStringLiteral("mnuHidePv"))->isCheckable());

    // A click on a mark does not change it: only the state does.
    window.findChild<QAction*>(QStringLiteral("mnuViewTv"))->trigger();
    menus.reflect(state);
    QVERIFY(!checked("mnuViewTv"));
    state.sort.byHeader(1);
    state.mode = ViewMode::Thumbnails;
    menus.reflect(state);
    QVERIFY(checked("mnuArrange1") && checked("mnuShortZA") && !checked("mnuShortAZ"));
    QVERIFY(checked("mnuListViewMode0") && checked("tbViewThumbnails") && !checked("tbViewList"));
    QVERIFY(!window.findChild<QMenu*>(QStringLiteral("mnuLvSort"))->isEnabled());
    QVERIFY(!window.findChild<QMenu*>(QStringLiteral("mnuViewArrangeIcons"))->isEnabled());
}

void TestCommands::typeFilter_data()
{
    QTest::addColumn<bool>("bmp");
    QTest::addColumn<bool>("jpg");
    QTest::addColumn<bool>("gif");
    QTest::addColumn<bool>("ico");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("caption");
    QTest::newRow("all") << true << true << true << true << "*.bmp;*.jpeg;*.jpg;*.gif;*.ico;*.zvq"
                         << "Searching for *.bmp *.gif *.jpeg *.ico  files.";
    QTest::newRow("defaults") << true << true << true << false << "*.bmp;*.jpeg;*.jpg;*.gif;&;*.zvq"
                              << "Searching for *.bmp *.gif *.jpeg  files.";
    QTest::newRow("gif only") << false << false << true << false << "&;&;*.gif;&;*.zvq"
                              << "Searching for *.gif  files.";
    QTest::newRow("none") << false << false << false << false << "&;&;&;&;*.zvq"
                          << "Searching for  files.";
    QTest::newRow("bitmap and gif") << true << false << true << false << "*.bmp;&;*.gif;&;*.zvq"
                                    << "Searching for *.bmp *.gif  files.";
}

void TestCommands::typeFilter()
{
    QFETCH(bool, bmp);
    QFETCH(bool, jpg);
    QFETCH(bool, gif);
    QFETCH(bool, ico);
    TypeFilter f;
    f.setEnabled(TypeFilter::Type::Bitmap, bmp);
    f.setEnabled(TypeFilter::Type::Jpeg, jpg);
    f.setEnabled(TypeFilter::Type::Gif, gif);
    f.setEnabled(TypeFilter::Type::Icon, ico);
    QTEST(f.filePattern(), "pattern");
    QTEST(f.typesCaption(), "caption");
}

void TestCommands::typeFilterPiecesAreVerbatim()
{
    // Another case still lists bitmaps but does not count as on; an empty piece adds nothing.
    TypeFilter f(QStringLiteral("*.BMP;"), QString(), QStringLiteral("*.jpg;*.jpeg;"),
                 QStringLiteral("*.ico;"));
    QCOMPARE(f.filePattern(), QStringLiteral("*.BMP;*.jpg;*.jpeg;*.ico;*.zvq"));
    QVERIFY(!f.isOn(TypeFilter::Type::Bitmap));
    QVERIFY(!f.isOn(TypeFilter::Type::Jpeg));
    QVERIFY(!f.isOn(TypeFilter::Type::Gif)); // the JPEG text in the GIF piece is not GIF
    QVERIFY(f.isOn(TypeFilter::Type::Icon));
    QCOMPARE(f.typesCaption(), QStringLiteral("Searching for *.ico  files."));
    const TypeFilter defaults;
    QCOMPARE(defaults.piece(TypeFilter::Type::Icon), QStringLiteral("&;"));
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
