#include "preview/ImageFacts.h"

#include <QLocale>

#include "layout/Twips.h"

QString ImageFacts::formatSize(qint64 length)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(length);
}

ImageFacts ImageFacts::of(const QString& name, bool hasPicture, int picWidth, int picHeight,
                          std::optional<qint64> length)
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
    return facts;
}
