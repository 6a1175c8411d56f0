#pragma once

#include <QWidget>

#include "layout/PaneLayout.h"

class QScrollBar;

// The thumbnail area laid over the list's place: a viewport with a scrolling surface and a
// vertical scroll bar over the surface's right edge. The layout pass places it and keeps
// its numbers here, since a hidden widget's own sizes go stale.
class ThumbnailBase : public QWidget
{
    Q_OBJECT
public:
    explicit ThumbnailBase(QWidget* parent);

    void place(const PaneRects& rects);
    const PaneRects& layoutNumbers() const { return m_rects; }

    QWidget* surface() const { return m_surface; }
    QScrollBar* scrollBar() const { return m_scrollBar; }

private:
    QWidget* m_surface;
    QScrollBar* m_scrollBar;
    PaneRects m_rects;
};
