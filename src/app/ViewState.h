#pragma once

#include <optional>

#include "app/Command.h"
#include "listing/SortState.h"

enum class Pane
{
    Toolbar,
    StatusBar,
    Tree,
    Preview
};

// What the user has chosen to see: the panes that are on, the view, the list style kept for
// the list while thumbnails show, and the sort.
// Menus, toolbar and layout only reflect it. The start-up fills it from the settings, whose
// defaults are the only ones.
struct ViewState
{
    bool toolbar = false;
    bool statusBar = false;
    bool tree = false;
    bool preview = false;
    ViewMode mode = ViewMode::LargeIcons;
    int listStyle = 0;
    SortState sort;

    bool isOn(Pane pane) const
    {
        switch (pane) {
        case Pane::Toolbar:
            return toolbar;
        case Pane::StatusBar:
            return statusBar;
        case Pane::Tree:
            return tree;
        case Pane::Preview:
            return preview;
        }
        return false;
    }

    void setOn(Pane pane, bool on)
    {
        switch (pane) {
        case Pane::Toolbar:
            toolbar = on;
            break;
        case Pane::StatusBar:
            statusBar = on;
            break;
        case Pane::Tree:
            tree = on;
            break;
        case Pane::Preview:
            preview = on;
            break;
        }
    }

    // The pane a toggle command turns on and off.
    static std::optional<Pane> paneOf(Command command)
    {
        switch (command) {
        case Command::ToggleToolbar:
            return Pane::Toolbar;
        case Command::ToggleStatusBar:
            return Pane::StatusBar;
        case Command::ToggleTree:
            return Pane::Tree;
        case Command::TogglePreview:
            return Pane::Preview;
        default:
            return std::nullopt;
        }
    }

    // The check mark of a command's items; nothing for a command that has none.
    std::optional<bool> checkOf(Command command) const
    {
        if (const std::optional<Pane> pane = paneOf(command))
            return isOn(*pane);
        switch (command) {
        case Command::ViewThumbnails:
        case Command::ViewLargeIcons:
        case Command::ViewSmallIcons:
        case Command::ViewList:
        case Command::ViewDetails:
            return viewModeOf(command) == mode;
        case Command::SortByName:
            return sort.keyIndex == 0;
        case Command::SortBySize:
            return sort.keyIndex == 1;
        case Command::SortByType:
            return sort.keyIndex == 2;
        case Command::SortAscending:
            return !sort.descending;
        case Command::SortDescending:
            return sort.descending;
        default:
            return std::nullopt;
        }
    }
};
