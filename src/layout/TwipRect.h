#pragma once

#include "layout/Twips.h"

// A rectangle in twips, in the coordinates of the window that holds it.
struct TwipRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int right() const { return left + width; }
    QRect toPixels() const { return Twips::toPixels(left, top, width, height); }
    friend bool operator==(const TwipRect& a, const TwipRect& b)
    {
        return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
    }
};
