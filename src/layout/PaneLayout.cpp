#include "layout/PaneLayout.h"

namespace {

// Twips of the layout pass, all in the main window's coordinates but the last two.
constexpr int BarGap = 40;              // a pane starts this far right of the bar before it
constexpr int RightRoom = 160;          // a pane after a bar runs to this far short of the width
constexpr int AlonePaneRoom = 100;      // the list alone stops this far short of the width
constexpr int PaneDrop = 20;            // the tree and the thumbnail base sit this far lower
constexpr int BarRise = 70;             // the bars start this far above the panes
constexpr int BarExtra = 60;            // and run this much longer than them
constexpr int BaseNarrower = 10;        // the thumbnail base is this much narrower than the list
constexpr int BaseShorter = 40;         // and this much shorter
constexpr int ScrollBarFromRight = 280; // inside the base: the bar's left from its right edge
constexpr int ScrollBarShorter = 70;    // inside the base: the bar is this much shorter

} // namespace

void PaneLayout::setPositions(int isaLeft, int isbLeft)
{
    m_isaLeft = isaLeft;
    m_isbLeft = isbLeft;
}

PaneLayout PaneLayout::fromStored(int isaLeft, int isbLeft, int windowWidth)
{
    PaneLayout layout(isaLeft, isbLeft);
    layout.normalise(windowWidth);
    layout.widenNarrowGap();
    return layout;
}

void PaneLayout::widenNarrowGap()
{
    if (m_isbLeft - m_isaLeft <= MinPane) {
        m_isaLeft -= MinPane / 2;
        m_isbLeft += MinPane / 2;
    }
}

void PaneLayout::normalise(int windowWidth)
{
    if (m_isaLeft < MinPane)
        m_isaLeft = MinPane;
    if (windowWidth - MinPane < m_isbLeft)
        m_isbLeft = windowWidth - MinPane;
    if (m_isaLeft >= m_isbLeft) {
        m_isaLeft = MinPane;
        m_isbLeft = windowWidth - MinPane;
    }
}

PaneRects PaneLayout::sizeControls(const LayoutInput& in)
{
    const int w = in.windowWidth;
    normalise(w);
    // A window narrower than two panes can still leave a bar at or below zero; keep the
    // ratios finite so the next resize does not divide by zero.
    m_isaRatio = m_isaLeft != 0 ? float(w) / float(m_isaLeft) : 0.0f;
    m_isbRatio = m_isbLeft != 0 ? float(w) / float(m_isbLeft) : 0.0f;

    PaneRects r;
    const int titleTop = in.toolbarVisible ? in.toolbarHeight : 0;
    r.titleStrip = {0, titleTop, w, TitleHeight};
    r.countLabel = {in.countLabelLeft, 0, w - in.countLabelLeft, TitleHeight};

    const int top = titleTop + TitleHeight;
    int height = in.innerHeight - top;
    if (in.statusBarOn)
        height -= StatusBarRoom;

    int left = 0;
    int width = 0;
    if (in.treeVisible && in.previewVisible) {
        left = m_isaLeft + BarGap;
        width = m_isbLeft - m_isaLeft - BarGap;
    } else if (in.treeVisible) {
        left = m_isaLeft + BarGap;
        width = w - (m_isaLeft + RightRoom);
    } else if (in.previewVisible) {
        width = m_isbLeft;
    } else {
        width = w - AlonePaneRoom;
    }

    r.list = {left, top, width, height};
    r.tree = {0, top + PaneDrop, m_isaLeft, height - PaneDrop};
    r.preview = {m_isbLeft + BarGap, top, w - (m_isbLeft + RightRoom), height - PaneDrop};
    r.isa = {m_isaLeft, top - BarRise, BarWidth, height + BarExtra};
    r.isb = {m_isbLeft, top - BarRise, BarWidth, height + BarExtra};
    r.thumbBase = {left, top + PaneDrop, width - BaseNarrower, height - BaseShorter};

    const int baseWidth = r.thumbBase.width;
    const int baseHeight = r.thumbBase.height;
    // The bar lies over the surface's right edge; the surface is as wide as the base
    // less the bar's width counted in centimetres, as the base measures it.
    r.thumbScrollBar = {baseWidth - ScrollBarFromRight, 0, ThumbScrollBarWidth,
                        baseHeight - ScrollBarShorter};
    r.thumbSurfaceWidth = baseWidth - double(ThumbScrollBarWidth) / Twips::PerCentimetre;
    return r;
}

void PaneLayout::windowResized(int windowWidth)
{
    normalise(windowWidth);
    widenNarrowGap();
    if (m_isaRatio != 0.0f)
        m_isaLeft = int(Twips::roundHalfEven(float(windowWidth) / m_isaRatio));
    if (m_isbRatio != 0.0f)
        m_isbLeft = int(Twips::roundHalfEven(float(windowWidth) / m_isbRatio));
}

void PaneLayout::beforeTreeToggle()
{
    if (m_isbLeft < m_isaLeft + MinPane)
        m_isbLeft = m_isaLeft + MinPane;
}

void PaneLayout::beforePreviewToggle()
{
    if (m_isbLeft - MinPane < m_isaLeft)
        m_isaLeft = m_isbLeft - MinPane;
}
