#include "app/KeyTable.h"

namespace {

enum class Needs
{
    Any,
    Ctrl,
    Alt
};

struct KeyEntry
{
    int key;
    Needs needs;
    Command command;
};

// F1 is not in the original table; Linux has no platform help key, so it opens the help.
constexpr KeyEntry Table[] = {
    {Qt::Key_F2, Needs::Any, Command::Toolbox},
    {Qt::Key_F3, Needs::Any, Command::OptionsModeless},
    {Qt::Key_F5, Needs::Any, Command::Refresh},
    {Qt::Key_F4, Needs::Any, Command::ViewThumbnails},
    {Qt::Key_F6, Needs::Any, Command::ViewLargeIcons},
    {Qt::Key_F7, Needs::Any, Command::ViewSmallIcons},
    {Qt::Key_F8, Needs::Any, Command::ViewList},
    {Qt::Key_F9, Needs::Any, Command::ViewDetails},
    {Qt::Key_O, Needs::Ctrl, Command::Open},
    {Qt::Key_W, Needs::Ctrl, Command::Wallpaper},
    {Qt::Key_X, Needs::Alt, Command::Exit},
    {Qt::Key_T, Needs::Ctrl, Command::ToggleToolbar},
    {Qt::Key_S, Needs::Ctrl, Command::ToggleStatusBar},
    {Qt::Key_F, Needs::Ctrl, Command::ToggleTree},
    {Qt::Key_P, Needs::Ctrl, Command::TogglePreview},
    {Qt::Key_I, Needs::Ctrl, Command::WebPage},
    {Qt::Key_F1, Needs::Any, Command::HelpContents},
};

bool satisfied(Needs needs, Qt::KeyboardModifiers modifiers)
{
    switch (needs) {
    case Needs::Any:
        return true;
    case Needs::Ctrl:
        return modifiers.testFlag(Qt::ControlModifier);
    case Needs::Alt:
        return modifiers.testFlag(Qt::AltModifier);
    }
    return false;
}

} // namespace

std::optional<Command> KeyTable::commandFor(int key, Qt::KeyboardModifiers modifiers)
{
    for (const KeyEntry& entry : Table) {
        if (entry.key == key && satisfied(entry.needs, modifiers))
            return entry.command;
    }
    return std::nullopt;
}
