#include "preview/ImageFacts.h"

#include "layout/Twips.h"
#include "ui/FileText.h"

QString ImageFacts::formatSize(qint64 length)
{
    return FileText::formatSize(length);
}

ImageFacts ImageFacts::of(const QString& name, bool hasPicture, int picWidth, int picHeight,
                          std::optional<qint64> length, std::optional<int> seamScore)
{
    ImageFacts facts;
    facts.file = QStringLiteral("File: ") + name;
    if (hasPicture) {
        facts.dim = QStringLiteral("Dim: %1x%2")
                        .arg(Twips::roundHalfEven(picWidth / double(Twips::PerPixel)))
                        .arg(Twips::roundHalfEven(picHeight / double(Twips::PerPixel)));
    }
    if (length)
        facts.size = QStringLiteral("Size: ") + formatSize(*length) + QStringLiteral(" bytes");
    if (hasPicture && seamScore)
        facts.seam = QStringLiteral("Seam: %1").arg(*seamScore);
    return facts;
}
