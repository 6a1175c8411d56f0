#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <cmath>

// The model measures the window in twips; widgets live in logical pixels. Every
// conversion goes through here so that rounding happens once, in one way.
namespace Twips {

constexpr int PerPixel = 15;
constexpr int PerCentimetre = 567;

// Nearest pixel; halves go away from zero (a placement, not a stored value).
inline int toPixels(double twips)
{
    return static_cast<int>(std::lround(twips / PerPixel));
}

inline int fromPixels(int pixels)
{
    return pixels * PerPixel;
}

inline QRect toPixels(double left, double top, double width, double height)
{
    const int x = toPixels(left);
    const int y = toPixels(top);
    // Convert the far edges, not the sizes, so that adjacent panes never gap or overlap.
    return QRect(x, y, std::max(0, toPixels(left + width) - x),
                 std::max(0, toPixels(top + height) - y));
}

// Rounds to the nearest integer with halves to even, as the stored arithmetic does.
inline long long roundHalfEven(double value)
{
    return static_cast<long long>(std::nearbyint(value));
}

} // namespace Twips
