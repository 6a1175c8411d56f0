#include "app/ViewModes.h"

#include <QAbstractItemView>

#include "app/MainMenus.h"
#include "app/ViewState.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "thumbs/ThumbnailBase.h"
#include "thumbs/ThumbnailSurface.h"

ViewModes::ViewModes(ViewState& state, MainMenus& menus, FileListView& list, ThumbnailBase& thumbs,
                     QObject* parent)
    : QObject(parent), m_state(state), m_menus(menus), m_list(list), m_thumbs(thumbs)
{
}

void ViewModes::switchTo(ViewMode mode)
{
    m_state.mode = mode;
    m_menus.reflect(m_state);
    if (mode == ViewMode::Thumbnails) {
        m_list.hide();
        m_thumbs.show();
        m_thumbs.surface()->setFocus();
        return;
    }
    m_thumbs.hide();
    m_state.listStyle = listStyleOf(mode);
    m_list.setListStyle(m_state.listStyle);
    if (mode == ViewMode::Details)
        m_list.fitColumns();
    m_list.show();
    m_list.currentView()->setFocus();
}

void ViewModes::sortBy(Command command)
{
    switch (command) {
    case Command::SortByName:
    case Command::SortBySize:
    case Command::SortByType:
        m_state.sort.byMenu(static_cast<int>(command) - static_cast<int>(Command::SortByName));
        break;
    case Command::SortAscending:
    case Command::SortDescending:
        m_state.sort.setDescending(command == Command::SortDescending);
        break;
    default:
        return;
    }
    applySort();
}

void ViewModes::headerClicked(int column)
{
    m_state.sort.byHeader(column);
    applySort();
}

void ViewModes::reapplySort()
{
    const SortState& sort = m_state.sort;
    if (sort.sorted)
        m_list.model()->sort(sort.key, sort.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ViewModes::applySort()
{
    reapplySort();
    m_list.setSortIndicator(m_state.sort.key, m_state.sort.descending);
    m_menus.reflect(m_state);
    if (QAbstractItemView* view = m_list.currentView()) {
        if (view->currentIndex().isValid())
            view->scrollTo(view->currentIndex());
    }
}
