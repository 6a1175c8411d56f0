#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QSize>
#include <QString>

#include <optional>

// A picture's size in the world: its resolution, the inches or centimetres it covers at that
// resolution, and the scale that shows it at that size on a surface of known dots per inch.
// Pure arithmetic, no files and no screens.
struct RealSize
{
    Q_DECLARE_TR_FUNCTIONS(RealSize)

public:
    // Resolutions outside this range are forged or broken headers, not pictures.
    static constexpr double MinDpi = 1.0;
    static constexpr double MaxDpi = 100000.0;
    static constexpr double CmPerInch = 2.54;

    // The resolution when it is a sane one; nothing for zero, NaN, absurd values or none.
    static std::optional<double> sane(std::optional<double> dpi);
    // What the user typed ("150", "96.5" in the locale's or C's notation, an optional "dpi");
    // nothing for text, zero or a value out of range.
    static std::optional<double> parse(const QString& typed, const QLocale& locale = QLocale());
    // The length of `pixels` at `dpi`, in inches.
    static double inches(int pixels, double dpi);
    // "30.5 × 30.5 cm at 150 dpi", or inches where the system measures in them.
    static QString describe(const QSize& pixels, double dpi,
                            QLocale::MeasurementSystem system = QLocale().measurementSystem());
    // Surface pixels per picture pixel so that the picture shows at its real size.
    static double scale(double surfaceDpi, double pictureDpi);
};
