#pragma once

#include <QPoint>
#include <QtGlobal>

#include <utility>
#include <vector>

// Where each thumbnail sits on the scrolling surface, how far the surface scrolls and which
// cells are in view. Pure arithmetic on twips and counts, so the widget stays thin.
//
// Counts, indexes and rows are 64-bit: a folder of many small tiles easily passes the
// 32,767 rows a 16-bit count could hold. Twips stay int, as everywhere else in the layout.
class ThumbGridGeometry
{
public:
    static constexpr int Cell = 1000;  // one cell is square, twips
    static constexpr int Thumb = 900;  // the picture fills the cell's top-left corner
    static constexpr int Marker = 850; // the selection marker
    static constexpr int SurfaceLeft = 120;
    static constexpr double RowCentimetres = 1.76367; // Cell / Twips::PerCentimetre
    static constexpr int LargeChange = 7;
    static constexpr int SmallChange = 1;

    // Whole cells that fit beside the scroll bar; 0 when there is no room at all.
    static int columns(double surfaceWidthTwips, double scrollBarWidthTwips);
    // Rows the viewport counts as visible, rounded halves to even; may be negative.
    static int visibleRows(double baseHeightTwips);
    // Row of the last file; 0 when there are no files or no columns.
    static qint64 lastRow(qint64 count, int columns);
    // Scroll bar maximum in centimetres; negative when everything fits.
    static qint64 scrollMaximum(qint64 lastRow, int visibleRows);
    static double surfaceHeightCm(qint64 lastRow);
    static bool scrollBarShown(qint64 maximum) { return maximum > 1; }
    // The scroll value, in centimetres, nearest to `value` that shows all of `row` in a
    // viewport of this height (its top when the row is taller than the viewport).
    static int scrollToShow(qint64 row, int value, int viewportHeightTwips);

    // Top-left of a file's cell on the surface, twips; (0, 0) without a grid.
    static QPoint cellOrigin(qint64 index, int columns);
    // The file whose picture lies under the point, or -1.
    static qint64 thumbnailAt(const QPoint& surfaceTwips, int columns, qint64 count);
    // The surface's top in the viewport for a scroll value in centimetres.
    static int surfaceTopTwips(int scrollValue);
    // First and one-past-last file whose rows meet [top, top + height) of the surface.
    static std::pair<qint64, qint64> visibleRange(int viewportTopTwips, int viewportHeightTwips,
                                                  int columns, qint64 count);
    // The order in which to make the cells' pictures: `first` (the selection, or -1), the cells
    // in view [begin, end), then screens of the same size outward, the next one down before
    // the one up, until every cell of `count` is named once.
    static std::vector<int> fillOrder(qint64 first, qint64 begin, qint64 end, qint64 count);
};
