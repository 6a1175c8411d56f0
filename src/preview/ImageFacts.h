#pragma once

#include <QCoreApplication>
#include <QString>

#include <optional>

// The facts the status bar shows for the current image.
struct ImageFacts
{
    Q_DECLARE_TR_FUNCTIONS(ImageFacts)

public:
    QString file; // "File: name"
    QString dim;  // "Dim: WxH", empty for a file that did not decode
    // "Size: 1,234 bytes, 30.5 × 30.5 cm at 150 dpi": the length when it can be read, the
    // printed size when there is a picture and a resolution.
    QString size;
    QString seam; // "Seam: 97", empty without a picture

    // picWidth/picHeight in twips; hasPicture false leaves the dimensions out.
    static ImageFacts of(const QString& name, bool hasPicture, int picWidth, int picHeight,
                         std::optional<qint64> length, std::optional<int> seamScore = std::nullopt,
                         std::optional<double> dpi = std::nullopt);
    // "#,##0" in the user's locale.
    static QString formatSize(qint64 length);
};
