#include "ui/WindowGeometry.h"

#include <algorithm>
#include <cmath>

#include "layout/Twips.h"

namespace {

// Far beyond any screen, yet safe from integer overflow in pixel arithmetic.
constexpr double Limit = 1 << 24;

double bounded(double twips)
{
    return std::clamp(twips, -Limit, Limit);
}

void syncSide(double& twips, int pixels)
{
    if (Twips::toPixels(twips) != pixels)
        twips = Twips::fromPixels(pixels);
}

} // namespace

WindowGeometry::WindowGeometry(double left, double top, double width, double height)
    : m_left(bounded(left)), m_top(bounded(top)), m_width(bounded(width)), m_height(bounded(height))
{
}

QRect WindowGeometry::toPixels() const
{
    return QRect(Twips::toPixels(m_left), Twips::toPixels(m_top),
                 std::max(1, Twips::toPixels(m_width)), std::max(1, Twips::toPixels(m_height)));
}

void WindowGeometry::sync(const QRect& outerPixels)
{
    syncSide(m_left, outerPixels.x());
    syncSide(m_top, outerPixels.y());
    syncSide(m_width, outerPixels.width());
    syncSide(m_height, outerPixels.height());
}

WindowGeometry WindowGeometry::withSizeWithin(const QSizeF& least, const QSizeF& most) const
{
    // The least wins over the most: a screen smaller than a window's minimum still gets one
    // that can be used, and moved about.
    const auto within = [](double side, double low, double high) {
        return std::max(low, std::min(side, high));
    };
    WindowGeometry result = *this;
    result.m_width = within(m_width, least.width(), most.width());
    result.m_height = within(m_height, least.height(), most.height());
    return result;
}

WindowGeometry WindowGeometry::shareOf(const QRect& screen, const QRectF& share)
{
    const auto part = [](int side, double fraction) { return int(std::lround(side * fraction)); };
    return WindowGeometry(Twips::fromPixels(screen.x() + part(screen.width(), share.left())),
                          Twips::fromPixels(screen.y() + part(screen.height(), share.top())),
                          Twips::fromPixels(part(screen.width(), share.width())),
                          Twips::fromPixels(part(screen.height(), share.height())));
}

bool WindowGeometry::sizeWithin(const QSizeF& least, const QSizeF& most) const
{
    return m_width >= least.width() && m_height >= least.height() && m_width <= most.width() &&
           m_height <= most.height();
}

QRect WindowGeometry::keptOnScreens(const QRect& outer, const QList<QRect>& screens,
                                    const QRect& primary)
{
    for (const QRect& screen : screens) {
        if (screen.intersects(outer))
            return outer;
    }
    if (primary.isEmpty())
        return outer;
    QRect moved = outer;
    moved.setWidth(std::min(outer.width(), primary.width()));
    moved.setHeight(std::min(outer.height(), primary.height()));
    moved.moveTopLeft(primary.topLeft());
    return moved;
}
