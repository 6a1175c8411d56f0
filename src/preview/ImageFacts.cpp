#include "preview/ImageFacts.h"

#include "layout/Twips.h"
#include "tile/RealSize.h"
#include "ui/FileText.h"

QString ImageFacts::formatSize(qint64 length)
{
    return FileText::formatSize(length);
}

ImageFacts ImageFacts::of(const QString& name, bool hasPicture, int picWidth, int picHeight,
                          std::optional<qint64> length, std::optional<int> seamScore,
                          std::optional<double> dpi)
{
    ImageFacts facts;
    facts.file = tr("File: %1").arg(name);
    if (hasPicture) {
        facts.dim = tr("Dim: %1x%2")
                        .arg(Twips::roundHalfEven(picWidth / double(Twips::PerPixel)))
                        .arg(Twips::roundHalfEven(picHeight / double(Twips::PerPixel)));
    }
    if (length)
        facts.size = tr("Size: %1 bytes").arg(formatSize(*length));
    if (hasPicture && dpi) {
        const QSize pixels(int(Twips::roundHalfEven(picWidth / double(Twips::PerPixel))),
                           int(Twips::roundHalfEven(picHeight / double(Twips::PerPixel))));
        const QString printed = RealSize::describe(pixels, *dpi);
        facts.size = facts.size.isEmpty() ? printed : tr("%1, %2").arg(facts.size, printed);
    }
    if (hasPicture && seamScore)
        facts.seam = tr("Seam: %1").arg(*seamScore);
    return facts;
}
