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
    QString size; // "Size: 1,234 bytes", empty when the length cannot be read
    QString seam; // "Seam: 97", empty without a picture

    // picWidth/picHeight in twips; hasPicture false leaves the dimensions out.
    static ImageFacts of(const QString& name, bool hasPicture, int picWidth, int picHeight,
                         std::optional<qint64> length, std::optional<int> seamScore = std::nullopt);
    // "#,##0" in the user's locale.
    static QString formatSize(qint64 length);
};
