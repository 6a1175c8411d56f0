#pragma once

class QPoint;

// Opens one of the main window's pop-up menus at a point on the screen.
class PopupHost
{
public:
    enum class Popup
    {
        Preview,
        Toolbar,
        Tree,
        Wallpaper,
        List
    };

    virtual ~PopupHost() = default;
    virtual void openPopup(Popup which, const QPoint& globalPosition) = 0;
};
