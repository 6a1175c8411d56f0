#pragma once

// Every command of the main window, whichever menu item, toolbar button or key runs it.
enum class Command
{
    Open,
    Wallpaper,
    Exit,
    ToggleToolbar,
    ToggleStatusBar,
    ToggleTree,
    TogglePreview,
    ViewThumbnails,
    ViewLargeIcons,
    ViewSmallIcons,
    ViewList,
    ViewDetails,
    SortByName,
    SortBySize,
    SortByType,
    SortAscending,
    SortDescending,
    Refresh,
    Toolbox,
    Options,         // modal: menu and toolbar
    OptionsModeless, // the F3 key
    HelpContents,
    WebPage,
    About,
};

// What the file area shows: the thumbnail grid or the list in one of its four styles, in the
// order of the view commands.
enum class ViewMode
{
    Thumbnails,
    LargeIcons,
    SmallIcons,
    List,
    Details
};

inline ViewMode viewModeOf(Command c)
{
    return static_cast<ViewMode>(static_cast<int>(c) - static_cast<int>(Command::ViewThumbnails));
}

// The list's style (0 large icons .. 3 details, as stored) of a list view mode, and back.
inline int listStyleOf(ViewMode mode)
{
    return static_cast<int>(mode) - 1;
}

inline ViewMode viewModeOfListStyle(int style)
{
    return static_cast<ViewMode>(style + 1);
}
