#pragma once

#include <QColor>
#include <QString>

// Contrast of text on its background by the WCAG 2 formulas: relative luminance of sRGB
// colours, the ratio (L1 + 0.05) / (L2 + 0.05) from 1:1 to 21:1, and the AA level for
// normal and large text.
namespace Contrast {

// The relative luminance of an 8-bit sRGB channel value, linearised (0 to 1).
double linear(int channel);
double luminance(QColor colour);
double luminance(QRgb rgb);
// Of two relative luminances (named apart: a colour constant would convert to a double).
double luminanceRatio(double luminanceA, double luminanceB);
double ratio(QColor a, QColor b);

// Text from this many points up counts as large, and needs only 3:1.
constexpr int LargePoints = 18;
constexpr double NormalMinimum = 4.5;
constexpr double LargeMinimum = 3.0;
bool passesAA(double ratio, int points);

// "4.48:1", "12.6:1": two decimals below 10; a ratio just under a threshold never reads as it.
QString ratioText(double ratio);

} // namespace Contrast
