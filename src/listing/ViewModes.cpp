#include "listing/ViewModes.h"

#include <QAbstractItemView>
#include <QAction>
#include <QMenu>

#include "app/MainMenus.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "thumbs/ThumbnailBase.h"
#include "thumbs/ThumbnailSurface.h"

namespace {

QString indexed(const char* name, int i)
{
    return QString::fromLatin1(name) + QString::number(i);
}

} // namespace

ViewModes::ViewModes(MainMenus& menus, FileListView& list, ThumbnailBase& thumbs,
                     std::function<int()> listWidthTwips, QObject* parent)
    : QObject(parent), m_menus(menus), m_list(list), m_thumbs(thumbs),
      m_listWidth(std::move(listWidthTwips))
{
}

void ViewModes::switchTo(int mode)
{
    if (mode < 0 || mode > 4)
        return;
    const double third = m_listWidth() / 3.0;
    if (QAction* button = m_menus.viewButton(mode))
        button->setChecked(true);
    const bool thumbnails = mode == 0;
    // Thumbnails keep the scan's order: there is nothing to sort in that view.
    m_menus.menu(QStringLiteral("mnuLvSort"))->setEnabled(!thumbnails);
    m_menus.menu(QStringLiteral("mnuViewArrangeIcons"))->setEnabled(!thumbnails);
    for (int i = 0; i < 5; ++i)
        m_menus.setChecked(indexed("mnuListViewMode", i), i == mode);
    if (thumbnails) {
        m_list.hide();
        m_thumbs.show();
        m_thumbs.surface()->setFocus();
    } else {
        m_thumbs.hide();
        m_list.setListStyle(mode - 1);
        if (mode == 4)
            m_list.setColumnWidths(third - 110);
        m_list.show();
        m_list.currentView()->setFocus();
    }
    for (int i = 0; i < 5; ++i)
        m_menus.setChecked(indexed("mnuIcons", i),
                           m_menus.isChecked(indexed("mnuListViewMode", i)));
}

void ViewModes::sortByMenu(int key)
{
    m_sort.byMenu(key);
    applySort();
}

void ViewModes::sortOrder(bool descending)
{
    m_sort.setDescending(descending);
    applySort();
}

void ViewModes::headerClicked(int column)
{
    m_sort.byHeader(column);
    applySort();
}

void ViewModes::reapplySort()
{
    if (m_sort.sorted)
        m_list.model()->sort(m_sort.key,
                             m_sort.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ViewModes::applySort()
{
    reapplySort();
    m_list.setSortIndicator(m_sort.key, m_sort.descending);
    syncSortMarks();
    if (QAbstractItemView* view = m_list.currentView()) {
        if (view->currentIndex().isValid())
            view->scrollTo(view->currentIndex());
    }
}

void ViewModes::syncSortMarks()
{
    for (int i = 0; i < 3; ++i) {
        m_menus.setChecked(indexed("mnuArrange", i), i == m_sort.keyIndex);
        m_menus.setChecked(indexed("mnuLvArr", i), i == m_sort.keyIndex);
    }
    for (const char* name : {"mnuShortAZ", "mnuLvShortAZ"})
        m_menus.setChecked(QString::fromLatin1(name), !m_sort.descending);
    for (const char* name : {"mnuShortZA", "mnuLvShortZA"})
        m_menus.setChecked(QString::fromLatin1(name), m_sort.descending);
}
