#include "tile/Contrast.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

const std::array<double, 256>& linearTable()
{
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int c = 0; c < 256; ++c) {
            const double s = c / 255.0;
            t[size_t(c)] = s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        }
        return t;
    }();
    return table;
}

} // namespace

double Contrast::linear(int channel)
{
    return linearTable()[size_t(std::clamp(channel, 0, 255))];
}

double Contrast::luminance(QRgb rgb)
{
    const auto& t = linearTable();
    return 0.2126 * t[size_t(qRed(rgb))] + 0.7152 * t[size_t(qGreen(rgb))] +
           0.0722 * t[size_t(qBlue(rgb))];
}

double Contrast::luminance(QColor colour)
{
    return luminance(colour.toRgb().rgb());
}

double Contrast::luminanceRatio(double luminanceA, double luminanceB)
{
    const double lighter = std::max(luminanceA, luminanceB);
    const double darker = std::min(luminanceA, luminanceB);
    return (lighter + 0.05) / (darker + 0.05);
}

double Contrast::ratio(QColor a, QColor b)
{
    return luminanceRatio(luminance(a), luminance(b));
}

bool Contrast::passesAA(double ratio, int points)
{
    return ratio >= (points >= LargePoints ? LargeMinimum : NormalMinimum);
}

QString Contrast::ratioText(double ratio)
{
    const int decimals = ratio < 10 ? 2 : 1;
    const double scale = std::pow(10.0, decimals);
    double shown = std::round(ratio * scale) / scale;
    // Rounding must not lift a failing ratio onto a threshold (4.497 reads 4.49, not 4.50).
    for (const double threshold : {LargeMinimum, NormalMinimum}) {
        if (ratio < threshold && shown >= threshold)
            shown = std::floor(ratio * scale) / scale;
    }
    return QStringLiteral("%1:1").arg(QString::number(shown, 'f', decimals));
}
