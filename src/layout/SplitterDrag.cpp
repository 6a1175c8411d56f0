#include "layout/SplitterDrag.h"

#include "layout/PaneLayout.h"

TwipRect SplitterDrag::stripAtPress(const TwipRect& bar)
{
    return {bar.left, bar.top + 100, bar.width / 2, bar.height - 140};
}

int SplitterDrag::stripLeft(int barLeft, int offsetX, int windowWidth)
{
    const int p = barLeft + offsetX;
    if (p < PaneLayout::MinPane)
        return PaneLayout::MinPane;
    if (p > windowWidth - PaneLayout::MinPane)
        return windowWidth - PaneLayout::MinPane;
    return p;
}

SplitterDrag::Positions SplitterDrag::releaseFirst(int stripLeft, int isbLeft, bool previewVisible)
{
    Positions p{stripLeft, isbLeft};
    if (previewVisible && p.isbLeft - PaneLayout::MinPane < p.isaLeft)
        p.isaLeft = p.isbLeft - PaneLayout::MinPane;
    return p;
}

SplitterDrag::Positions SplitterDrag::releaseSecond(int isaLeft, int stripLeft, bool treeVisible)
{
    Positions p{isaLeft, stripLeft};
    if (treeVisible && p.isbLeft < p.isaLeft + PaneLayout::MinPane)
        p.isbLeft = p.isaLeft + PaneLayout::MinPane;
    return p;
}
