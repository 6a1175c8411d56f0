#include "thumbs/ThumbNavigation.h"

#include <QtCore/qnamespace.h>

#include <algorithm>

std::optional<qint64> ThumbNavigation::arrowMove(int qtKey, qint64 selected, qint64 count,
                                                 int columns)
{
    if (count < 2 || columns <= 0 || selected < 0 || selected >= count)
        return std::nullopt;
    const qint64 s = selected;
    switch (qtKey) {
    case Qt::Key_Left:
        if (s > 0)
            return s - 1;
        break;
    case Qt::Key_Right:
        if (s < count - 1)
            return s + 1;
        break;
    case Qt::Key_Up:
        if (s > columns - 1)
            return s - columns;
        break;
    case Qt::Key_Down:
        // Only when a file lies straight below; a short last row does not catch the move.
        if (s < count - columns)
            return s + columns;
        break;
    default:
        break;
    }
    return std::nullopt;
}

int ThumbNavigation::pageDown(int value, int minimum, int maximum, int largeChange, bool barVisible)
{
    if (!barVisible)
        return value;
    // 64-bit so that extreme ranges cannot overflow the comparison.
    const qint64 target = static_cast<qint64>(value) >= static_cast<qint64>(maximum) - largeChange
                              ? maximum
                              : static_cast<qint64>(value) + largeChange;
    return static_cast<int>(std::clamp<qint64>(target, minimum, std::max(minimum, maximum)));
}

int ThumbNavigation::pageUp(int value, int minimum, int largeChange, bool barVisible)
{
    if (!barVisible || static_cast<qint64>(value) <= static_cast<qint64>(minimum) + largeChange)
        return minimum;
    return static_cast<int>(static_cast<qint64>(value) - largeChange);
}
