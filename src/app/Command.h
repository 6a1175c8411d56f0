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

// The mode index of a view command: 0 thumbnails .. 4 details.
inline int viewModeIndex(Command c)
{
    return static_cast<int>(c) - static_cast<int>(Command::ViewThumbnails);
}

inline Command viewCommand(int modeIndex)
{
    return static_cast<Command>(static_cast<int>(Command::ViewThumbnails) + modeIndex);
}
