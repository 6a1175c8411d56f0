#include "preview/PreviewFit.h"

#include <algorithm>
#include <cmath>

namespace {

int rounded(double twips)
{
    if (!std::isfinite(twips))
        return 0;
    return int(std::lround(std::clamp(twips, -1e9, 1e9)));
}

} // namespace

TwipRect PreviewFit::fit(const Frame& frame, int picWidth, int picHeight)
{
    TwipRect r;
    if (frame.width < picWidth + 2 * Margin) {
        // A picture of no height has no aspect: show it as a line rather than divide by zero.
        const double aspect = picHeight > 0 ? double(picWidth) / double(picHeight) : 0.0;
        const double width = std::max(double(Twips::PerPixel), frame.width - 2 * Margin);
        const double height = (aspect > 0 ? width / aspect : 0.0) + Border;
        r.width = rounded(width);
        r.height = rounded(height);
        r.left = rounded(frame.left + Margin);
        r.top = rounded(frame.top + (frame.height - height) / 2);
    } else {
        r.width = picWidth + Border;
        r.height = picHeight + Border;
        r.left = rounded(frame.left + (frame.width - picWidth) / 2);
        r.top = rounded(frame.top + (frame.height - picHeight) / 2);
    }
    r.width = std::max(r.width, Twips::PerPixel);
    r.height = std::max(r.height, Twips::PerPixel);
    return r;
}
