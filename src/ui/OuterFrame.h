#pragma once

#include <QObject>
#include <QSize>

#include "ui/WindowGeometry.h"

class QWidget;

// A top-level window placed by its outer rectangle (frame included) in twips, as the
// settings keep it. The window manager adds the frame only after the window shows: until
// then the stored size is taken as the outer one, and once the frame is known its share is
// given back, so a window neither grows nor creeps from one run to the next.
class OuterFrame : public QObject
{
    Q_OBJECT
public:
    explicit OuterFrame(QWidget* window);

    // No window is placed smaller than this on each side (twips), whatever was stored.
    static constexpr int LeastUsableSide = 2000;

    // Places the window at this outer rectangle, its size brought between the least usable
    // (or the window's minimum) and what the screens hold, moved onto a screen when off all.
    void apply(const WindowGeometry& geometry);
    // The outer rectangle now; a side still on the pixel it was given keeps its twips.
    const WindowGeometry& current();
    QRect outerPixels() const;
    bool isFrameKnown() const { return m_known; }
    // The least outer size, in twips.
    void setMinimumOuterSize(int widthTwips, int heightTwips);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void learnFrame();
    void applyMinimum();
    void enforceMinimum();

    QWidget* m_window;
    WindowGeometry m_geometry;
    QSize m_extra;
    QSize m_minimum; // twips
    bool m_known = false;
};
