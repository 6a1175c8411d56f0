#pragma once

#include <QRgb>

class QImage;
struct Repeat;

// How well a picture's opposite edges continue into each other when it is tiled: 100 when the
// step across the wrap-around seam is no larger than the steps between neighbouring pixels
// inside the picture, falling towards 0 as the seam stands out.
//
// The seam is measured against the strongest inside step, not a middle one: in a checkerboard
// or a stripe pattern most neighbouring pixels are equal, and the seam of a perfect tile falls
// on one of the pattern's own hard edges. A photograph or a crop, in contrast, puts two
// unrelated lines side by side, a step larger than any the picture has inside.
class SeamScore
{
public:
    // One axis: the mean step (all four channels, premultiplied, summed) between neighbouring
    // columns (across) or rows (down), averaged along the other axis.
    struct Axis
    {
        double seam = 0;      // between the last and the first column (row)
        double strongest = 0; // the largest between two inside neighbours
        bool exists = false;  // false for a picture one pixel across (down): nothing wraps
    };

    // 0..100; the worse of the two axes. A null picture has no seam: 100.
    static int of(const QImage& image);
    // The same for the seams of a repeat: in a half drop, a tile's right edge meets the left
    // edge of the next column half a tile further down, and a mirror meets itself.
    static int of(const QImage& image, const Repeat& repeat);
    static Axis across(const QImage& image, const Repeat& repeat);
    static Axis down(const QImage& image, const Repeat& repeat);

    // The step between two premultiplied pixels, all four channels summed: 0..1020.
    static int stepBetween(QRgb a, QRgb b);
    // The picture's own strongest steps between neighbouring pixels, one side by side and one
    // above each other: the step that only a hundredth of its neighbours exceed. A seam pixel
    // beyond it stands out. An axis one pixel long has none to judge by: the largest step.
    struct Steps
    {
        int across = 0;
        int down = 0;
    };
    static Steps strongestSteps(const QImage& image);

    static Axis across(const QImage& image);
    static Axis down(const QImage& image);
    // 100 up to a seam as strong as the strongest inside step, then 100 / ratio²: a seam
    // twice as strong scores 25, three times 11, ten times 1.
    static int ofAxis(const Axis& axis);

    // Each axis compares about this many pairs of pixels at most: lines along the other axis
    // are sampled evenly (never fewer than MinLines) once a picture is larger than 1024 x 1024.
    static constexpr long long PairsPerAxis = 1 << 20;
    static constexpr int MinLines = 16;
};
