#pragma once

#include <QtGlobal>

#include <optional>

// Keyboard movement over the thumbnail grid: which file an arrow key selects and where the
// page keys scroll to. Kept apart from the widget so the edge cases are testable.
class ThumbNavigation
{
public:
    // The file an arrow key moves the selection to, or nothing at an edge, for another key,
    // without a grid or with a selection outside the files.
    static std::optional<qint64> arrowMove(int qtKey, qint64 selected, qint64 count, int columns);

    // Scroll values after Page Down / Page Up, in centimetres. A hidden bar leaves the
    // surface where it is: everything is already in view.
    static int pageDown(int value, int minimum, int maximum, int largeChange, bool barVisible);
    static int pageUp(int value, int minimum, int largeChange, bool barVisible);
};
