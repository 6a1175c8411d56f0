#include "app/CommandTable.h"

#include <QCoreApplication>
#include <QString>

#include <cstring>
#include <iterator>

namespace {

using E = CommandTable::Entry;
using C = Command;

constexpr E Item(Command c)
{
    return {E::Item, c, nullptr, nullptr};
}
constexpr E Separator(const char* name = "")
{
    return {E::Separator, C::Open, name, "-"};
}

constexpr E FileMenu[] = {Item(C::Open), Item(C::Wallpaper), Separator("mnuBar0"), Item(C::Exit)};
constexpr E ViewMenu[] = {
    Item(C::ToggleToolbar),
    Item(C::ToggleStatusBar),
    Item(C::ToggleTree),
    Item(C::TogglePreview),
    Separator("mnuBar1"),
    Item(C::ViewThumbnails),
    Item(C::ViewLargeIcons),
    Item(C::ViewSmallIcons),
    Item(C::ViewList),
    Item(C::ViewDetails),
    Separator("mnuBar2"),
    {E::SubmenuBegin, C::Open, "mnuViewArrangeIcons",
     QT_TRANSLATE_NOOP("CommandTable", "Arrange Icons")},
    Item(C::SortByName),
    Item(C::SortBySize),
    Item(C::SortByType),
    Separator("mnuBar3"),
    Item(C::SortAscending),
    Item(C::SortDescending),
    {E::SubmenuEnd, C::Open, "", ""},
    Separator("mnuBar4"),
    Item(C::Refresh),
};
constexpr E ToolsMenu[] = {Item(C::Toolbox), Separator("mnuBar5"), Item(C::Options)};
constexpr E HelpMenu[] = {Item(C::HelpContents), Item(C::WebPage), Separator("mnuBar6"),
                          Item(C::About)};

constexpr E ListPopup[] = {
    {E::Item, C::Refresh, "mnuLvRefresh", QT_TRANSLATE_NOOP("CommandTable", "Refresh")},
    Separator(),
    {E::SubmenuBegin, C::Open, "mnuLvView", QT_TRANSLATE_NOOP("CommandTable", "View")},
    {E::Item, C::ViewThumbnails, "mnuIcons0", QT_TRANSLATE_NOOP("CommandTable", "Thumbnails")},
    {E::Item, C::ViewLargeIcons, "mnuIcons1", QT_TRANSLATE_NOOP("CommandTable", "Large icons")},
    {E::Item, C::ViewSmallIcons, "mnuIcons2", QT_TRANSLATE_NOOP("CommandTable", "Small icons")},
    {E::Item, C::ViewList, "mnuIcons3", QT_TRANSLATE_NOOP("CommandTable", "List")},
    {E::Item, C::ViewDetails, "mnuIcons4", QT_TRANSLATE_NOOP("CommandTable", "Details")},
    {E::SubmenuEnd, C::Open, "", ""},
    Separator(),
    {E::SubmenuBegin, C::Open, "mnuLvSort", QT_TRANSLATE_NOOP("CommandTable", "Arrange icons")},
    {E::Item, C::SortByName, "mnuLvArr0", nullptr},
    {E::Item, C::SortBySize, "mnuLvArr1", nullptr},
    {E::Item, C::SortByType, "mnuLvArr2", nullptr},
    Separator(),
    {E::Item, C::SortAscending, "mnuLvShortAZ", nullptr},
    {E::Item, C::SortDescending, "mnuLvShortZA", nullptr},
    {E::SubmenuEnd, C::Open, "", ""},
};
constexpr E PreviewPopup[] = {
    {E::Item, C::TogglePreview, "mnuHidePv", QT_TRANSLATE_NOOP("CommandTable", "Hide Preview")}};
constexpr E ToolbarPopup[] = {
    {E::Item, C::ToggleToolbar, "mnuHideTb", QT_TRANSLATE_NOOP("CommandTable", "Hide Toolbar")}};
constexpr E TreePopup[] = {
    {E::Item, C::ToggleTree, "mnuHideTv", QT_TRANSLATE_NOOP("CommandTable", "Hide Folders Tree")}};
constexpr E WallpaperPopup[] = {
    {E::Item, C::Wallpaper, "mnuPWallp", QT_TRANSLATE_NOOP("CommandTable", "Set Wallpaper")}};

using Menu = CommandTable::Menu;
constexpr Menu Bar[] = {
    {"mnuFile", QT_TRANSLATE_NOOP("CommandTable", "File"), FileMenu, int(std::size(FileMenu))},
    {"mnuView", QT_TRANSLATE_NOOP("CommandTable", "View"), ViewMenu, int(std::size(ViewMenu))},
    {"mnuTools", QT_TRANSLATE_NOOP("CommandTable", "Tools"), ToolsMenu, int(std::size(ToolsMenu))},
    {"mnuHelp", QT_TRANSLATE_NOOP("CommandTable", "Help"), HelpMenu, int(std::size(HelpMenu))},
};
// In the order of MainMenus::Popup.
constexpr Menu Popups[] = {
    {"mnuPv", "Pv", PreviewPopup, 1},
    {"mnuTb", "Tb", ToolbarPopup, 1},
    {"mnuTv", "Tv", TreePopup, 1},
    {"mnuWall", "Wall", WallpaperPopup, 1},
    {"mnuLv", "Lv", ListPopup, int(std::size(ListPopup))},
};

using Button = CommandTable::Button;
constexpr Button Toolbar[] = {
    {C::Open, "Open", QT_TRANSLATE_NOOP("CommandTable", "Open"), "open", false},
    {C::Open, nullptr, nullptr, nullptr, false},
    {C::ViewThumbnails, "View Thumbnails", QT_TRANSLATE_NOOP("CommandTable", "View Thumbnails"),
     "thumbnails", true},
    {C::ViewLargeIcons, "View Large Icons", QT_TRANSLATE_NOOP("CommandTable", "Large Icons"),
     "large-icons", true},
    {C::ViewSmallIcons, "View Small Icons", QT_TRANSLATE_NOOP("CommandTable", "Small Icons"),
     "small-icons", true},
    {C::ViewList, "View List", QT_TRANSLATE_NOOP("CommandTable", "List"), "list", true},
    {C::ViewDetails, "View Details", QT_TRANSLATE_NOOP("CommandTable", "Details"), "details", true},
    {C::Open, nullptr, nullptr, nullptr, false},
    {C::Toolbox, "Toolbox", QT_TRANSLATE_NOOP("CommandTable", "Toolbox"), "toolbox", false},
    {C::Options, "Options", QT_TRANSLATE_NOOP("CommandTable", "Options"), "options", false},
    {C::Open, nullptr, nullptr, nullptr, false},
    {C::HelpContents, "Help", QT_TRANSLATE_NOOP("CommandTable", "Help"), "help", false},
    {C::About, "About", QT_TRANSLATE_NOOP("CommandTable", "About"), "about", false},
};

bool satisfied(CommandTable::Needs needs, Qt::KeyboardModifiers modifiers)
{
    switch (needs) {
    case CommandTable::Needs::NoKey:
        return false;
    case CommandTable::Needs::Any:
        return true;
    case CommandTable::Needs::Ctrl:
        return modifiers.testFlag(Qt::ControlModifier);
    case CommandTable::Needs::Alt:
        return modifiers.testFlag(Qt::AltModifier);
    }
    return false;
}

} // namespace

const CommandTable::Row* CommandTable::table(int* count)
{
    // In Command's order; row() relies on it. Keys are tried in this order, at most one a press.
    // F1 opens the help as well: Linux has no platform help key.
    static constexpr Row Rows[] = {
        {Command::Open, "mnuFileOpen",
         QT_TRANSLATE_NOOP("CommandTable", "&Open             Ctl+ O"),
         QT_TRANSLATE_NOOP("CommandTable", "Browse for files"), false, Qt::Key_O, Needs::Ctrl},
        {Command::Wallpaper, "mnuWallp",
         QT_TRANSLATE_NOOP("CommandTable", "&Wallpaper      Ctl+ W"),
         QT_TRANSLATE_NOOP("CommandTable", "Set the selected image as Wallpaper"), false, Qt::Key_W,
         Needs::Ctrl},
        {Command::Exit, "mnuFileExit",
         QT_TRANSLATE_NOOP("CommandTable", "Exit                Alt+ X"),
         QT_TRANSLATE_NOOP("CommandTable", "Exit the program"), false, Qt::Key_X, Needs::Alt},
        {Command::ToggleToolbar, "mnuViewToolbar",
         QT_TRANSLATE_NOOP("CommandTable", "Toolbar               Ctl+ T"),
         QT_TRANSLATE_NOOP("CommandTable", "Hide or show the Toolbar"), true, Qt::Key_T,
         Needs::Ctrl},
        {Command::ToggleStatusBar, "mnuViewStatusBar",
         QT_TRANSLATE_NOOP("CommandTable", "Status Bar          Ctl+ S"),
         QT_TRANSLATE_NOOP("CommandTable", "Hide or show the Status Bar"), true, Qt::Key_S,
         Needs::Ctrl},
        {Command::ToggleTree, "mnuViewTv",
         QT_TRANSLATE_NOOP("CommandTable", "Folders tree        Ctl+ F"),
         QT_TRANSLATE_NOOP("CommandTable", "Hide or show the Folders Tree"), true, Qt::Key_F,
         Needs::Ctrl},
        {Command::TogglePreview, "mnuViewPv",
         QT_TRANSLATE_NOOP("CommandTable", "Preview              Ctl+ P"),
         QT_TRANSLATE_NOOP("CommandTable", "Hide or show the Preview Area"), true, Qt::Key_P,
         Needs::Ctrl},
        {Command::ViewThumbnails, "mnuListViewMode0",
         QT_TRANSLATE_NOOP("CommandTable", "Thumbnails          F4"),
         QT_TRANSLATE_NOOP("CommandTable", "Show thumbnails for the image files"), true, Qt::Key_F4,
         Needs::Any},
        {Command::ViewLargeIcons, "mnuListViewMode1",
         QT_TRANSLATE_NOOP("CommandTable", "Large Icons         F6"),
         QT_TRANSLATE_NOOP("CommandTable", "Use Large icons for the Listview's contents"), true,
         Qt::Key_F6, Needs::Any},
        {Command::ViewSmallIcons, "mnuListViewMode2",
         QT_TRANSLATE_NOOP("CommandTable", "Small Icons          F7"),
         QT_TRANSLATE_NOOP("CommandTable", "Use Small icons for the Listview's contents"), true,
         Qt::Key_F7, Needs::Any},
        {Command::ViewList, "mnuListViewMode3",
         QT_TRANSLATE_NOOP("CommandTable", "List                      F8"),
         QT_TRANSLATE_NOOP("CommandTable", "Show the Listview's contents in a List"), true,
         Qt::Key_F8, Needs::Any},
        {Command::ViewDetails, "mnuListViewMode4",
         QT_TRANSLATE_NOOP("CommandTable", "Details                 F9"),
         QT_TRANSLATE_NOOP("CommandTable", "Show Details for the Listview's contents"), true,
         Qt::Key_F9, Needs::Any},
        {Command::SortByName, "mnuArrange0", QT_TRANSLATE_NOOP("CommandTable", "By Name"),
         QT_TRANSLATE_NOOP("CommandTable", "Arrange the Listview's contents by Name"), true, 0,
         Needs::NoKey},
        {Command::SortBySize, "mnuArrange1", QT_TRANSLATE_NOOP("CommandTable", "By Size"),
         QT_TRANSLATE_NOOP("CommandTable", "Arrange the Listview's contents by Size"), true, 0,
         Needs::NoKey},
        {Command::SortByType, "mnuArrange2", QT_TRANSLATE_NOOP("CommandTable", "By Type"),
         QT_TRANSLATE_NOOP("CommandTable", "Arrange the Listview's contents by Type"), true, 0,
         Needs::NoKey},
        {Command::SortAscending, "mnuShortAZ", QT_TRANSLATE_NOOP("CommandTable", "Ascending"),
         QT_TRANSLATE_NOOP("CommandTable", "Ascending order"), true, 0, Needs::NoKey},
        {Command::SortDescending, "mnuShortZA", QT_TRANSLATE_NOOP("CommandTable", "Descending"),
         QT_TRANSLATE_NOOP("CommandTable", "Descending order"), true, 0, Needs::NoKey},
        {Command::Refresh, "mnuViewRefresh",
         QT_TRANSLATE_NOOP("CommandTable", "Refresh              F5"),
         QT_TRANSLATE_NOOP("CommandTable", "Refresh the contents of the Listview window"), false,
         Qt::Key_F5, Needs::Any},
        {Command::Toolbox, "mnuTbox", QT_TRANSLATE_NOOP("CommandTable", "Toolbox         F2"),
         QT_TRANSLATE_NOOP("CommandTable",
                           "With the Toolbox, you can test Fonts for use in the Internet"),
         false, Qt::Key_F2, Needs::Any},
        {Command::Options, "mnuToolsOptions",
         QT_TRANSLATE_NOOP("CommandTable", "Options         F3"),
         QT_TRANSLATE_NOOP("CommandTable", "Customize the software's behavior"), false, 0,
         Needs::NoKey},
        {Command::OptionsModeless, nullptr, nullptr, nullptr, false, Qt::Key_F3, Needs::Any},
        {Command::HelpContents, "mnuHelpContents",
         QT_TRANSLATE_NOOP("CommandTable", "Contents          F1"),
         QT_TRANSLATE_NOOP("CommandTable", "If you need help, this is for you"), false, Qt::Key_F1,
         Needs::Any},
        {Command::WebPage, "mnuWeb", QT_TRANSLATE_NOOP("CommandTable", "Web page       Ctl+ I"),
         QT_TRANSLATE_NOOP("CommandTable", "Visit The image Vadro's Web page"), false, Qt::Key_I,
         Needs::Ctrl},
        {Command::About, "mnuHelpAbout", QT_TRANSLATE_NOOP("CommandTable", "About"),
         QT_TRANSLATE_NOOP("CommandTable", "Show the About dialog"), false, 0, Needs::NoKey},
    };
    static_assert(std::size(Rows) == static_cast<size_t>(Command::About) + 1,
                  "one row per Command");
    *count = int(std::size(Rows));
    return Rows;
}

const CommandTable::Row& CommandTable::row(Command command)
{
    int count = 0;
    const Row* rows = table(&count);
    const int i = static_cast<int>(command);
    Q_ASSERT(i >= 0 && i < count && rows[i].command == command);
    return rows[i];
}

const CommandTable::Row* CommandTable::begin()
{
    int count = 0;
    return table(&count);
}

const CommandTable::Row* CommandTable::end()
{
    int count = 0;
    const Row* rows = table(&count);
    return rows + count;
}

QString CommandTable::translated(const char* text)
{
    return text ? QCoreApplication::translate("CommandTable", text) : QString();
}

const CommandTable::Menu* CommandTable::menuBar(int* count)
{
    *count = int(std::size(Bar));
    return Bar;
}

const CommandTable::Menu* CommandTable::popups(int* count)
{
    *count = int(std::size(Popups));
    return Popups;
}

const CommandTable::Button* CommandTable::toolbar(int* count)
{
    *count = int(std::size(Toolbar));
    return Toolbar;
}

std::optional<Command> CommandTable::commandForKey(int key, Qt::KeyboardModifiers modifiers)
{
    for (const Row* r = begin(); r != end(); ++r) {
        if (r->key == key && satisfied(r->needs, modifiers))
            return r->command;
    }
    return std::nullopt;
}

QString CommandTable::helpFor(const QString& caption)
{
    // Compared exactly with the untranslated caption, first match wins.
    for (const Row* r = begin(); r != end(); ++r) {
        if (r->caption && caption == QLatin1String(r->caption))
            return translated(r->help);
    }
    return {};
}
