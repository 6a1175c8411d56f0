#pragma once

#include <QString>
#include <Qt>

#include <optional>

#include "app/Command.h"

// The one table of the main window's commands: for each Command its menu item (object name,
// exact caption with its shortcut text, help line, check mark) and its key; and the menus,
// pop-ups and toolbar laid out by Command. Nothing else spells a caption or an item's name.
// The table knows no window: whoever owns the commands runs them (MainWindow::run).
class CommandTable
{
public:
    enum class Needs
    {
        NoKey,
        Any, // Shift, Ctrl and Alt are ignored
        Ctrl,
        Alt,
    };

    struct Row
    {
        Command command;
        const char* name;    // the menu-bar item; null for a command with only a key
        const char* caption; // as the menu shows it before translation, the menu help's key
        const char* help;
        bool checkable;
        int key;
        Needs needs;
    };

    // One line of a menu: an item, a separator, or the start and end of a submenu. An item
    // without a name of its own is the command's menu-bar item; pop-up items have their own
    // name and, where it differs, their own caption.
    struct Entry
    {
        enum Kind
        {
            Item,
            Separator,
            SubmenuBegin,
            SubmenuEnd
        } kind;
        Command command;
        const char* name;
        const char* caption;
    };

    struct Menu
    {
        const char* name;
        const char* caption;
        const Entry* entries;
        int count;
    };

    struct Button
    {
        Command command; // meaningless for a separator
        const char* key; // null: a separator
        const char* tip;
        const char* icon;
        bool grouped; // one of the view buttons, exactly one of which is pressed
    };

    static const Row& row(Command command);
    static const Row* begin();
    static const Row* end();

    // The menu bar's four menus, and the five pop-ups in the order of MainMenus::Popup.
    static const Menu* menuBar(int* count);
    static const Menu* popups(int* count);
    static const Button* toolbar(int* count);

    // The command of the first row whose key this press satisfies.
    static std::optional<Command> commandForKey(int key, Qt::KeyboardModifiers modifiers);
    // The help line of the first row with exactly this caption (as the table spells it), in
    // the user's language.
    static QString helpFor(const QString& caption);
    // A caption, help line or tip of the table in the user's language.
    static QString translated(const char* text);

private:
    static const Row* table(int* count);
};
