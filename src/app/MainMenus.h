#pragma once

#include <QObject>
#include <QString>
#include <QVector>

#include "app/Command.h"
#include "app/CommandTable.h"
#include "app/PopupHost.h"

class PopupMenus;
class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QPoint;
class QToolBar;
class QWidget;
struct ViewState;

// The menu bar, the five pop-ups and the toolbar, built from the command table. Every item,
// button and pop-up entry reports its command through commandRequested; check marks and the
// pressed view button only ever show a ViewState.
class MainMenus : public QObject, public PopupHost
{
    Q_OBJECT
public:
    using Popup = PopupHost::Popup;

    MainMenus(QMenuBar* menuBar, QWidget* owner, PopupMenus& popups);

    QMenu* popup(Popup which) const;
    QToolBar* toolbar() const { return m_toolbar; }
    void openPopup(Popup which, const QPoint& globalPosition) override;

    // Check marks, the pressed view button and the sort menus (off while thumbnails show).
    void reflect(const ViewState& state);

    // The exact caption of an item, as the menu help looks it up.
    static QString captionOf(const QAction* action);

Q_SIGNALS:
    void commandRequested(Command command);
    // A menu-bar item was highlighted (its help text) or a menu closed (the empty text).
    void menuHelpChanged(const QString& text);

private:
    QMenu* buildMenu(const CommandTable::Menu& description, QWidget* parent, bool onMenuBar);
    void addItem(QMenu* menu, const CommandTable::Entry& entry);
    void buildToolbar(QWidget* owner);
    void watchForHelp(QMenu* menu, bool onMenuBar);

    struct Item
    {
        Command command;
        QAction* action;
    };

    PopupMenus& m_popupMenus;
    QVector<Item> m_items;
    QVector<QMenu*> m_sortMenus;
    QVector<QMenu*> m_popups;
    QToolBar* m_toolbar = nullptr;
    QActionGroup* m_viewButtons = nullptr;
};
