#pragma once

#include "layout/TwipRect.h"

// Where the preview image goes in its frame, in twips: scaled to the frame's width less
// 100 twips each side when the picture does not fit that way, otherwise centred at its
// natural size. The image control is 60 twips larger than the picture (its border).
class PreviewFit
{
public:
    static constexpr int Border = 60;
    static constexpr int Margin = 100;

    struct Frame
    {
        double left;
        double top;
        double width;
        double height;
    };

    // The image's rectangle; never smaller than one pixel, whatever the sizes.
    static TwipRect fit(const Frame& frame, int picWidth, int picHeight);
};
