#pragma once

#include <QString>

// The help line for a highlighted menu item, looked up by its exact caption.
class MenuHelp
{
public:
    // The help text, or the empty text for a caption that has none.
    static QString textFor(const QString& caption);
};
