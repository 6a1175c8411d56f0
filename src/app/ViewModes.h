#pragma once

#include <QObject>

#include "app/Command.h"

class FileListView;
class MainMenus;
class ThumbnailBase;
struct ViewState;

// The five views and the sort commands over the view state: shows the list or the grid, sorts
// the list, and has the menus and toolbar reflect the state after every change.
class ViewModes : public QObject
{
    Q_OBJECT
public:
    ViewModes(ViewState& state, MainMenus& menus, FileListView& list, ThumbnailBase& thumbs,
              QObject* parent);

    void switchTo(ViewMode mode);
    // A sort command: by name, size or type, ascending or descending.
    void sortBy(Command command);
    void headerClicked(int column);
    // Sorts the list again as it was sorted (a new listing arrives in folder order).
    void reapplySort();

private:
    void applySort();

    ViewState& m_state;
    MainMenus& m_menus;
    FileListView& m_list;
    ThumbnailBase& m_thumbs;
};
