#pragma once

#include <QObject>

#include <functional>

#include "listing/SortState.h"

class FileListView;
class MainMenus;
class ThumbnailBase;

// The five views (0 thumbnails, 1 large icons, 2 small icons, 3 list, 4 details) and the
// sort commands, keeping the View menu, the list's pop-up and the toolbar in step.
class ViewModes : public QObject
{
    Q_OBJECT
public:
    ViewModes(MainMenus& menus, FileListView& list, ThumbnailBase& thumbs,
              std::function<int()> listWidthTwips, QObject* parent);

    void switchTo(int mode);

    void sortByMenu(int key);
    void sortOrder(bool descending);
    void headerClicked(int column);
    const SortState& sort() const { return m_sort; }
    // Sorts the list again as it was sorted (a new listing arrives in folder order).
    void reapplySort();

private:
    void applySort();
    void syncSortMarks();

    MainMenus& m_menus;
    FileListView& m_list;
    ThumbnailBase& m_thumbs;
    std::function<int()> m_listWidth;
    SortState m_sort;
};
