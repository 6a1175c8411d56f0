#pragma once

#include <QObject>

#include <functional>

#include "layout/PaneLayout.h"

class QWidget;
class SplitterBar;

// The two splitter bars and their feedback strips: a press shows the strip, moves slide it
// within the window's limits, and the release commits its position and lays out again.
class SplitterController : public QObject
{
    Q_OBJECT
public:
    struct Host
    {
        std::function<int()> windowWidth; // outer width, twips
        std::function<bool()> treeVisible;
        std::function<bool()> previewVisible;
        std::function<void()> sizeControls;
    };

    SplitterController(QWidget* surface, PaneLayout& layout, Host host);

    SplitterBar* firstBar() const { return m_isa; }
    SplitterBar* secondBar() const { return m_isb; }
    QWidget* firstStrip() const { return m_psa; }
    QWidget* secondStrip() const { return m_psb; }

    // Places the bars where the layout pass put them.
    void place(const PaneRects& rects);

private:
    void press(bool first);
    void drag(bool first, int offsetTwips);
    void release(bool first);

    PaneLayout& m_layout;
    Host m_host;
    SplitterBar* m_isa;
    SplitterBar* m_isb;
    QWidget* m_psa;
    QWidget* m_psb;
    TwipRect m_isaRect;
    TwipRect m_isbRect;
    TwipRect m_stripRect;
    bool m_dragging = false;
};
