#pragma once

#include "platform/CursorSource.h"
#include "platform/MessageBoxes.h"
#include "platform/PopupMenus.h"

// The real message boxes: QMessageBox with the given title, text and icon.
class QtMessageBoxes : public MessageBoxes
{
public:
    void show(QWidget* parent, const QString& title, const QString& text, Icon icon) override;
};

// The real pointer position.
class QtCursorSource : public CursorSource
{
public:
    QPoint globalPosition() const override;
};

// The real pop-up menus: QMenu::exec at the position.
class QtPopupMenus : public PopupMenus
{
public:
    QAction* exec(QMenu* menu, const QPoint& globalPosition) override;
};
