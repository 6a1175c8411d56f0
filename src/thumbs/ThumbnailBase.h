#pragma once

#include <QWidget>

#include "layout/PaneLayout.h"

class QScrollBar;
class ThumbnailSurface;

// The thumbnail area laid over the list's place: a viewport with the scrolling surface and
// a vertical scroll bar over the surface's right edge. The layout pass places it and keeps
// its numbers here, since a hidden widget's own sizes go stale.
class ThumbnailBase : public QWidget
{
    Q_OBJECT
public:
    explicit ThumbnailBase(QWidget* parent);

    void place(const PaneRects& rects);
    const PaneRects& layoutNumbers() const { return m_rects; }

    ThumbnailSurface* surface() const { return m_surface; }
    QScrollBar* scrollBar() const { return m_scrollBar; }

    // The surface's height, in rows of the grid.
    void setSurfaceRows(qint64 rows);

Q_SIGNALS:
    // A press on the base outside the surface: empty space of the grid.
    void pressedOutside(Qt::MouseButtons buttons, const QPoint& globalPosition);
    // A layout pass has placed the base, shown or hidden.
    void placed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followScrollBar();

    ThumbnailSurface* m_surface;
    QScrollBar* m_scrollBar;
    PaneRects m_rects;
    qint64 m_rows = 0;
};
