#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include "app/Command.h"

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

// The menu tree, the five pop-ups and the toolbar of the main window. Items keep their
// exact captions (the menu help's lookup key) and are found by name; every item, button
// and pop-up entry reports its command through commandRequested.
class MainMenus : public QObject
{
    Q_OBJECT
public:
    enum class Popup
    {
        Preview,
        Toolbar,
        Tree,
        Wallpaper,
        List
    };

    MainMenus(QMenuBar* menuBar, QWidget* owner);

    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;
    QMenu* popup(Popup which) const;
    QToolBar* toolbar() const { return m_toolbar; }
    // The toolbar button of a view mode (0 thumbnails .. 4 details).
    QAction* viewButton(int modeIndex) const;

    bool isChecked(const QString& name) const;
    void setChecked(const QString& name, bool on);

    // The exact caption of an item, as the menu help looks it up.
    static QString captionOf(const QAction* action);

Q_SIGNALS:
    void commandRequested(Command command);
    // A menu-bar item was highlighted (its help text) or a menu closed (the empty text).
    void menuHelpChanged(const QString& text);

private:
    struct Entry;
    void build(QMenu* menu, const Entry* entries, int count, bool onMenuBar);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption, Command command,
                     bool checkable);
    void buildToolbar(QWidget* owner);
    void watchForHelp(QMenu* menu, bool onMenuBar);

    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
    QMenu* m_popups[5] = {};
    QToolBar* m_toolbar = nullptr;
    QActionGroup* m_viewButtons = nullptr;
};
