#pragma once

#include <Qt>

#include <optional>

#include "app/Command.h"

// The main window's keys: tested in table order, at most one command per key press.
class KeyTable
{
public:
    static std::optional<Command> commandFor(int key, Qt::KeyboardModifiers modifiers);
};
