#pragma once

#include <QPoint>

class QAction;
class QMenu;

// Opens a pop-up menu and waits for the user's choice; tests answer it instead.
class PopupMenus
{
public:
    virtual ~PopupMenus() = default;
    // The chosen action (already triggered), or null when the menu was dismissed.
    virtual QAction* exec(QMenu* menu, const QPoint& globalPosition) = 0;
};
