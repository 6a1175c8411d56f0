#include "preview/PictureDpi.h"

#include <QFile>

#include "platform/ImageHeader.h"
#include "platform/SafeFile.h"
#include "tile/RealSize.h"

std::optional<double> PictureDpi::ofFile(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const std::unique_ptr<QFile> file = SafeFile::openForReading(path);
    if (!file)
        return std::nullopt;
    const ImageHeader header = ImageHeader::read(*file);
    // Pixels are taken as square: the across resolution rules, the down one stands in.
    return RealSize::sane(header.dotsPerInchX ? header.dotsPerInchX : header.dotsPerInchY);
}

double PictureDpi::ofFile(const QString& path, double chosen)
{
    return ofFile(path).value_or(chosen);
}
