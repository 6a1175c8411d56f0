#include "tile/RealSize.h"

#include <QCoreApplication>

#include <cmath>

std::optional<double> RealSize::sane(std::optional<double> dpi)
{
    if (!dpi || !std::isfinite(*dpi) || *dpi < MinDpi || *dpi > MaxDpi)
        return std::nullopt;
    return dpi;
}

std::optional<double> RealSize::parse(const QString& typed, const QLocale& locale)
{
    QString text = typed.trimmed();
    if (text.endsWith(QStringLiteral("dpi"), Qt::CaseInsensitive))
        text = text.chopped(3).trimmed();
    bool ok = false;
    double value = locale.toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text, &ok);
    return ok ? sane(value) : std::nullopt;
}

double RealSize::inches(int pixels, double dpi)
{
    return pixels / dpi;
}

QString RealSize::describe(const QSize& pixels, double dpi, QLocale::MeasurementSystem system)
{
    const bool metric = system == QLocale::MetricSystem;
    const double unit = metric ? CmPerInch : 1.0;
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    auto length = [&](int side) {
        const double value = inches(side, dpi) * unit;
        // Small sizes keep two decimals, so that a few pixels at a high resolution are not 0.0.
        return locale.toString(value, 'f', value < 1.0 ? 2 : 1);
    };
    // A tenth of a dot is as fine as anyone states: a pHYs of 5,906 pixels a metre reads as 150.
    const QString shownDpi = locale.toString(std::round(dpi * 10) / 10, 'g', 7);
    return (metric ? tr("%1 \u00d7 %2 cm at %3 dpi") : tr("%1 \u00d7 %2 in at %3 dpi"))
        .arg(length(pixels.width()), length(pixels.height()), shownDpi);
}

double RealSize::scale(double surfaceDpi, double pictureDpi)
{
    return surfaceDpi / pictureDpi;
}
