#pragma once

#include "layout/TwipRect.h"

// The arithmetic of dragging a splitter bar: the feedback strip follows the pointer within
// 1000 twips of either window edge, and the release commits its position. Pure.
class SplitterDrag
{
public:
    struct Positions
    {
        int isaLeft;
        int isbLeft;
    };

    // The strip shown at the press, over the bar.
    static TwipRect stripAtPress(const TwipRect& bar);
    // The strip's left edge for a pointer offsetX twips right of the bar's left edge.
    static int stripLeft(int barLeft, int offsetX, int windowWidth);
    // Releasing the first bar with its strip at stripLeft.
    static Positions releaseFirst(int stripLeft, int isbLeft, bool previewVisible);
    // Releasing the second bar with its strip at stripLeft.
    static Positions releaseSecond(int isaLeft, int stripLeft, bool treeVisible);
};
