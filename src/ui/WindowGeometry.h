#pragma once

#include <QList>
#include <QRect>
#include <QSizeF>

// A window's outer rectangle as the settings hold it, in twips. The twips stay exact for
// as long as the window stands where they put it, so an unchanged window writes back the
// very numbers it read: converting to pixels and back would creep (1000 -> 1005).
class WindowGeometry
{
public:
    WindowGeometry() = default;
    WindowGeometry(double left, double top, double width, double height);

    double left() const { return m_left; }
    double top() const { return m_top; }
    double width() const { return m_width; }
    double height() const { return m_height; }

    // The outer rectangle in pixels.
    QRect toPixels() const;
    // Takes the window's outer rectangle in pixels: a side that moved gets the new value,
    // one that still rounds to the same pixel keeps its twips.
    void sync(const QRect& outerPixels);

    // The same rectangle with each side brought into [least, most] twips; a side already
    // inside keeps its exact value, so valid settings are written back unchanged.
    WindowGeometry withSizeWithin(const QSizeF& least, const QSizeF& most) const;

    // A share of a screen's available area (pixels): the left, top, width and height of
    // `share` are fractions of the screen's width and height.
    static WindowGeometry shareOf(const QRect& screen, const QRectF& share);
    // True when the size is at least `least` and at most `most` on each side (twips).
    bool sizeWithin(const QSizeF& least, const QSizeF& most) const;

    // A rectangle lying wholly outside every screen is moved onto the primary one (and
    // shrunk to fit it); one that shows anywhere is left alone.
    static QRect keptOnScreens(const QRect& outer, const QList<QRect>& screens,
                               const QRect& primary);

private:
    double m_left = 0;
    double m_top = 0;
    double m_width = 0;
    double m_height = 0;
};
