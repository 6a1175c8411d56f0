#pragma once

#include "layout/TwipRect.h"

// What the layout pass needs to know about the window, in twips.
struct LayoutInput
{
    int windowWidth = 0;   // outer width W
    int innerHeight = 0;   // height of the area below the menu bar, SH
    int toolbarHeight = 0; // the toolbar's own height; counted only while it is visible
    bool toolbarVisible = true;
    bool statusBarOn = true;
    bool treeVisible = true;
    bool previewVisible = true;
    int countLabelLeft = 0; // design position of the image-count label in the title strip
};

// Where every pane goes. The thumbnail base's inner numbers are kept for the grid builder,
// which must not read them back from a widget that may be hidden.
struct PaneRects
{
    TwipRect titleStrip;
    TwipRect countLabel; // lblImg; the progress bar lies exactly over it
    TwipRect list;
    TwipRect tree;
    TwipRect preview;
    TwipRect isa;
    TwipRect isb;
    TwipRect thumbBase;
    TwipRect thumbScrollBar;      // inside the base
    double thumbSurfaceWidth = 0; // inside the base, twips
};

// The two splitter positions and the pane arithmetic derived from them. Pure: no widgets.
class PaneLayout
{
public:
    static constexpr int MinPane = 1000; // least room beside each splitter
    static constexpr int BarWidth = 90;
    static constexpr int TitleHeight = 280;
    static constexpr int StatusBarRoom = 300;
    static constexpr int ThumbScrollBarWidth = 240;
    static constexpr int MinWindowWidth = 3100;
    static constexpr int DefaultIsaLeft = 2000;
    static constexpr int DefaultIsbLeft = 5000;

    PaneLayout() = default;
    PaneLayout(int isaLeft, int isbLeft) : m_isaLeft(isaLeft), m_isbLeft(isbLeft) {}

    int isaLeft() const { return m_isaLeft; }
    int isbLeft() const { return m_isbLeft; }
    float isaRatio() const { return m_isaRatio; }
    float isbRatio() const { return m_isbRatio; }
    void setPositions(int isaLeft, int isbLeft);

    // The stored positions as the start-up clamps them for a window of outer width W.
    static PaneLayout fromStored(int isaLeft, int isbLeft, int windowWidth);

    // The layout pass: restores the invariants, records the ratios, places every pane.
    PaneRects sizeControls(const LayoutInput& input);
    // The resize handler's arithmetic before its layout pass: keeps the bars proportional.
    void windowResized(int windowWidth);

    // Before the tree comes or goes: the list keeps 1000 twips when the tree returns.
    void beforeTreeToggle();
    // Before the preview comes or goes.
    void beforePreviewToggle();

private:
    void normalise(int windowWidth);
    // Bars 1000 twips apart or closer are pushed 500 twips apart each way.
    void widenNarrowGap();

    int m_isaLeft = DefaultIsaLeft;
    int m_isbLeft = DefaultIsbLeft;
    float m_isaRatio = 0;
    float m_isbRatio = 0;
};
