#include "platform/ImageDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>

#include "platform/SafeFile.h"

namespace {

using Failure = DecodedImage::Failure;

constexpr qint64 WholeReadLimit = 32 * 1024 * 1024;

DecodedImage failed(Failure failure)
{
    DecodedImage result;
    result.failure = failure;
    return result;
}

Failure readerFailure(const QImageReader& reader, const QFile& file)
{
    if (reader.error() == QImageReader::DeviceError || file.error() != QFileDevice::NoError)
        return Failure::Unreadable;
    return Failure::NotAPicture;
}

// The size the header claims, or an empty size when it claims none. A top-down bitmap
// reports a negative height; only the magnitude counts.
QSize headerSize(const QImageReader& reader)
{
    const QSize size = reader.size();
    if (size == QSize() || size.width() == 0 || size.height() == 0)
        return {};
    const auto magnitude = [](int side) {
        return side == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max()
                                                       : std::abs(side);
    };
    return {magnitude(size.width()), magnitude(size.height())};
}

// Qt decodes a GIF onto its logical screen but reports only the first frame's size, so the
// screen is read from the header itself.
QSize gifScreenSize(const QByteArray& head)
{
    if (head.size() < 10 || !head.startsWith("GIF"))
        return {};
    const auto at = [&head](int index) { return int(quint8(head[index])); };
    return {at(6) | at(7) << 8, at(8) | at(9) << 8};
}

// Qt's icon reader starts at the first entry, often the smallest one.
void jumpToLargestIcon(QImageReader& reader)
{
    const int count = std::min(reader.imageCount(), QtImageDecoder::MaxIconEntries);
    if (count <= 1)
        return;
    int best = 0;
    qint64 bestArea = -1;
    for (int index = 0; index < count; ++index) {
        if (!reader.jumpToImage(index))
            break;
        const QSize size = reader.size();
        const qint64 area = qint64(size.width()) * size.height();
        if (size.isValid() && area > bestArea) {
            best = index;
            bestArea = area;
        }
    }
    reader.jumpToImage(best);
}

// An empty target asks for the natural size.
DecodedImage decodeFile(const QString& path, const QSize& target)
{
    const std::unique_ptr<QFile> file = SafeFile::openForReading(path);
    if (!file)
        return failed(Failure::Unreadable);

    const QByteArray head = file->peek(10);
    // A file of ordinary size is read in one go: the readers then work from memory, not
    // through small reads. Larger ones are streamed.
    QByteArray bytes;
    QBuffer buffer;
    QIODevice* device = file.get();
    if (file->size() > 0 && file->size() <= WholeReadLimit) {
        bytes = file->read(file->size());
        if (file->error() != QFileDevice::NoError)
            return failed(Failure::Unreadable);
        buffer.setBuffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        device = &buffer;
    }
    // No file name on the device: the contents decide the format, not the name.
    QImageReader reader(device);
    if (!reader.canRead())
        return failed(readerFailure(reader, *file));
    const QByteArray format = reader.format();
    if (format == "ico" || format == "cur")
        jumpToLargestIcon(reader);

    QSize header = headerSize(reader);
    if (format == "gif")
        header = header.expandedTo(gifScreenSize(head));
    if (!header.isEmpty() && QtImageDecoder::isTooLarge(header))
        return failed(Failure::TooLarge);
    // Only a reader that scales while decoding saves anything; the others decode in full, and
    // their result is measured and shrunk here, so that a header that understates is caught.
    bool scaledByReader = false;
    if (!target.isEmpty() && !header.isEmpty() &&
        reader.supportsOption(QImageIOHandler::ScaledSize)) {
        const QSize covering = QtImageDecoder::coveringSize(header, target);
        if (covering != header) {
            reader.setScaledSize(covering);
            // A thumbnail is stretched and smoothed afterwards: the decoder's fast inverse DCT
            // and plain upsampling lose nothing that shows at that size.
            reader.setQuality(QtImageDecoder::ThumbnailQuality);
            scaledByReader = true;
        }
    }

    QImage image;
    if (!reader.read(&image))
        return failed(readerFailure(reader, *file));
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return failed(Failure::NotAPicture);
    if (QtImageDecoder::isTooLarge(image.size()))
        return failed(Failure::TooLarge);

    DecodedImage result;
    result.naturalSize = scaledByReader ? header : image.size();
    if (!target.isEmpty() && !scaledByReader) {
        const QSize covering = QtImageDecoder::coveringSize(image.size(), target);
        if (covering != image.size())
            image = image.scaled(covering, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    result.image = std::move(image);
    return result;
}

} // namespace

QtImageDecoder::QtImageDecoder()
{
    // Process-wide in Qt; set once, before any worker thread decodes.
    static const bool limitSet = [] {
        QImageReader::setAllocationLimit(AllocationLimitMb);
        return true;
    }();
    Q_UNUSED(limitSet);
}

DecodedImage QtImageDecoder::decode(const QString& path) const
{
    return decodeFile(path, QSize());
}

DecodedImage QtImageDecoder::decodeScaled(const QString& path, const QSize& target) const
{
    return decodeFile(path, target);
}

bool QtImageDecoder::isTooLarge(const QSize& size)
{
    const qint64 width = size.width();
    const qint64 height = size.height();
    return width > MaxSide || height > MaxSide || width * height > PixelCap;
}

QSize QtImageDecoder::coveringSize(const QSize& natural, const QSize& target)
{
    if (natural.isEmpty() || target.isEmpty())
        return natural;
    if (natural.width() <= target.width() || natural.height() <= target.height())
        return natural;
    return natural.scaled(target, Qt::KeepAspectRatioByExpanding).boundedTo(natural);
}
