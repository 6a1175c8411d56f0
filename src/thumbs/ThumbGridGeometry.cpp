#include "thumbs/ThumbGridGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "layout/Twips.h"

namespace {

// Rounds halves to even and saturates, so absurd inputs clamp instead of being undefined.
template <typename T> T roundedClamp(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value);
    // The max of a 64-bit type is not exact in a double; compare against 2^63 instead.
    constexpr double high = static_cast<double>(std::numeric_limits<T>::max()) + 1.0;
    constexpr double low = static_cast<double>(std::numeric_limits<T>::min());
    if (rounded >= high)
        return std::numeric_limits<T>::max();
    if (rounded < low)
        return std::numeric_limits<T>::min();
    return static_cast<T>(rounded);
}

int clampToInt(qint64 value)
{
    return static_cast<int>(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                               std::numeric_limits<int>::max()));
}

// Floor division for a positive divisor; surface coordinates above the top are negative.
qint64 floorDiv(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

} // namespace

int ThumbGridGeometry::columns(double surfaceWidthTwips, double scrollBarWidthTwips)
{
    const double available = (surfaceWidthTwips - scrollBarWidthTwips) / Cell;
    if (!(available > 0))
        return 0;
    if (available >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(available);
}

int ThumbGridGeometry::visibleRows(double baseHeightTwips)
{
    return roundedClamp<int>(baseHeightTwips / Cell - 2);
}

qint64 ThumbGridGeometry::lastRow(qint64 count, int columns)
{
    if (count <= 0 || columns <= 0)
        return 0;
    return (count - 1) / columns;
}

qint64 ThumbGridGeometry::scrollMaximum(qint64 lastRow, int visibleRows)
{
    return roundedClamp<qint64>((static_cast<double>(lastRow) - visibleRows) * RowCentimetres);
}

double ThumbGridGeometry::surfaceHeightCm(qint64 lastRow)
{
    return (static_cast<double>(lastRow) + 1) * RowCentimetres;
}

int ThumbGridGeometry::scrollToShow(qint64 row, int value, int viewportHeightTwips)
{
    if (row < 0)
        return value;
    const qint64 cm = Twips::PerCentimetre;
    const qint64 top = row * Cell;
    const qint64 shownTop = qint64(value) * cm;
    if (top < shownTop)
        return clampToInt(top / cm);
    const qint64 bottom = top + Thumb;
    if (bottom > shownTop + viewportHeightTwips) {
        const qint64 wanted = bottom - viewportHeightTwips;
        const qint64 scrolled = std::min(top / cm, (wanted + cm - 1) / cm);
        return clampToInt(std::max<qint64>(0, scrolled));
    }
    return value;
}

QPoint ThumbGridGeometry::cellOrigin(qint64 index, int columns)
{
    if (index < 0 || columns <= 0)
        return QPoint();
    const qint64 row = index / columns;
    const qint64 column = index % columns;
    // Saturate: a QPoint is int, and a row past about two million would not fit in twips.
    const qint64 y =
        row > std::numeric_limits<int>::max() / Cell ? std::numeric_limits<int>::max() : row * Cell;
    return QPoint(clampToInt(column * Cell), clampToInt(y));
}

qint64 ThumbGridGeometry::thumbnailAt(const QPoint& surfaceTwips, int columns, qint64 count)
{
    const int x = surfaceTwips.x();
    const int y = surfaceTwips.y();
    if (x < 0 || y < 0 || columns <= 0 || count <= 0)
        return -1;
    // Clicks in the gap between pictures select nothing.
    if (x % Cell >= Thumb || y % Cell >= Thumb)
        return -1;
    const qint64 column = x / Cell;
    if (column >= columns)
        return -1;
    const qint64 index = static_cast<qint64>(y / Cell) * columns + column;
    return index < count ? index : -1;
}

int ThumbGridGeometry::surfaceTopTwips(int scrollValue)
{
    return clampToInt(-static_cast<qint64>(scrollValue) * Twips::PerCentimetre);
}

std::vector<int> ThumbGridGeometry::fillOrder(qint64 first, qint64 begin, qint64 end, qint64 count)
{
    std::vector<int> order;
    if (count <= 0)
        return order;
    order.reserve(std::size_t(count));
    begin = std::clamp<qint64>(begin, 0, count);
    end = std::clamp<qint64>(end, begin, count);
    if (first >= 0 && first < count)
        order.push_back(int(first));
    for (qint64 i = begin; i < end; ++i)
        if (i != first)
            order.push_back(int(i));
    const qint64 screen = std::max<qint64>(1, end - begin);
    for (qint64 below = end, above = begin; below < count || above > 0;) {
        const qint64 downTo = std::min(count, below + screen);
        for (qint64 i = below; i < downTo; ++i)
            if (i != first)
                order.push_back(int(i));
        below = downTo;
        const qint64 upTo = std::max<qint64>(0, above - screen);
        for (qint64 i = upTo; i < above; ++i)
            if (i != first)
                order.push_back(int(i));
        above = upTo;
    }
    return order;
}

std::pair<qint64, qint64> ThumbGridGeometry::visibleRange(int viewportTopTwips,
                                                          int viewportHeightTwips, int columns,
                                                          qint64 count)
{
    if (columns <= 0 || count <= 0 || viewportHeightTwips <= 0)
        return {0, 0};
    const qint64 top = viewportTopTwips;
    const qint64 bottom = top + viewportHeightTwips; // exclusive
    // Row r covers [r * Cell, (r + 1) * Cell); it meets the view when it starts before the
    // bottom and ends after the top.
    const qint64 firstRow = std::max<qint64>(0, floorDiv(top, Cell));
    const qint64 endRow = std::max<qint64>(0, floorDiv(bottom + Cell - 1, Cell));
    const qint64 first = std::min(count, firstRow * columns);
    const qint64 end = std::min(count, endRow * columns);
    return {first, std::max(first, end)};
}
