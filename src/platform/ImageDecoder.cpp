#include "platform/ImageDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <limits>
#include <memory>

#include "platform/ImageCompleteness.h"
#include "platform/SafeFile.h"
#include "platform/SvgDecoder.h"

namespace {

using Failure = DecodedImage::Failure;

constexpr qint64 WholeReadLimit = 32 * 1024 * 1024;
constexpr int HeadBytes = 16;

Failure readerFailure(const QImageReader& reader, const QFile& file)
{
    if (reader.error() == QImageReader::DeviceError || file.error() != QFileDevice::NoError)
        return Failure::Unreadable;
    return Failure::NotAPicture;
}

DecodedImage readerFailed(const QImageReader& reader, const QFile& file)
{
    return DecodedImage::failed(readerFailure(reader, file), reader.errorString());
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

QByteArray readAt(QIODevice& device, qint64 position, qint64 length)
{
    if (position < 0 || position >= device.size() || !device.seek(position))
        return {};
    return device.read(length);
}

// Qt's icon reader starts at the first entry, often the smallest one, and believes the
// directory's sizes; the entries' own headers decide here.
Failure jumpToLargestIcon(QImageReader& reader, QIODevice& device)
{
    const QVector<QSize> sizes = QtImageDecoder::iconEntrySizes(device);
    device.seek(0);
    int best = -1;
    qint64 bestArea = -1;
    for (int index = 0; index < sizes.size(); ++index) {
        const QSize size = sizes[index];
        if (!size.isValid())
            continue;
        if (QtImageDecoder::isTooLarge(size))
            return Failure::TooLarge;
        const qint64 area = qint64(size.width()) * size.height();
        if (area > bestArea) {
            best = index;
            bestArea = area;
        }
    }
    if (best < 0)
        return Failure::NotAPicture;
    if (best > 0 && !reader.jumpToImage(best))
        return Failure::NotAPicture;
    return Failure::None;
}

DecodedImage incomplete()
{
    return DecodedImage::failed(Failure::Unreadable, QStringLiteral("The file is incomplete"));
}

// A long file's first and last bytes; the file is left at its start for the reader.
bool longFileComplete(QFile& file)
{
    const QByteArray head = file.peek(ImageCompleteness::HeadBytes);
    const qint64 size = file.size();
    const QByteArray tail = readAt(file, std::max<qint64>(0, size - ImageCompleteness::TailBytes),
                                   ImageCompleteness::TailBytes);
    const bool complete = ImageCompleteness::isComplete(head, tail, size);
    return file.seek(0) && complete;
}

// requireComplete refuses a file that its program has not finished writing.
DecodedImage decodeRaster(QFile& file, const QSize& target, bool requireComplete)
{
    const QByteArray head = file.peek(HeadBytes);
    const QByteArray format = QtImageDecoder::rasterFormat(head);
    if (format.isEmpty()) {
        if (file.error() != QFileDevice::NoError)
            return DecodedImage::failed(Failure::Unreadable, file.errorString());
        return DecodedImage::failed(Failure::NotAPicture);
    }
    // A file of ordinary size is read in one go: the readers then work from memory, not
    // through small reads. Larger ones are streamed.
    QByteArray bytes;
    QBuffer buffer;
    QIODevice* device = &file;
    if (file.size() > 0 && file.size() <= WholeReadLimit) {
        bytes = file.read(file.size());
        if (file.error() != QFileDevice::NoError)
            return DecodedImage::failed(Failure::Unreadable, file.errorString());
        if (requireComplete && !ImageCompleteness::isComplete(bytes))
            return incomplete();
        buffer.setBuffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        device = &buffer;
    } else if (requireComplete && !longFileComplete(file)) {
        return incomplete();
    }
    QImageReader reader(device, format);
    reader.setAutoDetectImageFormat(false);
    if (!reader.canRead())
        return readerFailed(reader, file);
    if (format == "ico" || format == "cur") {
        const Failure icon = jumpToLargestIcon(reader, *device);
        if (icon != Failure::None)
            return DecodedImage::failed(icon);
    }

    QSize header = headerSize(reader);
    if (format == "gif")
        header = header.expandedTo(gifScreenSize(head));
    if (!header.isEmpty() && QtImageDecoder::isTooLarge(header))
        return DecodedImage::failed(Failure::TooLarge);
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
        return readerFailed(reader, file);
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return DecodedImage::failed(Failure::NotAPicture);
    if (QtImageDecoder::isTooLarge(image.size()))
        return DecodedImage::failed(Failure::TooLarge);

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

// An empty target asks for the natural size.
DecodedImage decodeFile(const QString& path, const QSize& target, bool requireComplete = false)
{
    QString error;
    const std::unique_ptr<QFile> file = SafeFile::openForReading(path, &error);
    if (!file)
        return DecodedImage::failed(Failure::Unreadable, error);
    if (SvgDecoder::isSvgName(path))
        return SvgDecoder::decode(*file, target);
    return decodeRaster(*file, target, requireComplete);
}

} // namespace

QString DecodedImage::reason() const
{
    QString text;
    switch (failure) {
    case Failure::None:
        return {};
    case Failure::Unreadable:
        text = QStringLiteral("The file cannot be read");
        break;
    case Failure::NotAPicture:
        text = QStringLiteral("The file is not a picture Vadro can show");
        break;
    case Failure::TooLarge:
        text = QStringLiteral("The picture is too large");
        break;
    }
    return detail.isEmpty() ? text + u'.' : text + QStringLiteral(": ") + detail;
}

DecodedImage DecodedImage::failed(Failure failure, const QString& detail)
{
    DecodedImage result;
    result.failure = failure;
    result.detail = detail;
    return result;
}

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

DecodedImage QtImageDecoder::decodeComplete(const QString& path) const
{
    return decodeFile(path, QSize(), true);
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

QByteArray QtImageDecoder::rasterFormat(const QByteArray& head)
{
    const auto startsWith = [&head](const char* magic, qsizetype length, qsizetype at = 0) {
        return head.size() >= at + length && head.mid(at, length) == QByteArray(magic, length);
    };
    if (startsWith("\x89PNG\r\n\x1a\n", 8))
        return "png";
    if (startsWith("\xff\xd8\xff", 3))
        return "jpeg";
    if (startsWith("GIF87a", 6) || startsWith("GIF89a", 6))
        return "gif";
    if (startsWith("BM", 2))
        return "bmp";
    if (startsWith("\0\0\1\0", 4))
        return "ico";
    if (startsWith("\0\0\2\0", 4))
        return "cur";
    if (startsWith("RIFF", 4) && startsWith("WEBP", 4, 8))
        return "webp";
    if (startsWith("II*\0", 4) || startsWith("MM\0*", 4))
        return "tiff";
    return {};
}

QVector<QSize> QtImageDecoder::iconEntrySizes(QIODevice& device)
{
    QVector<QSize> sizes;
    const QByteArray header = readAt(device, 0, 6);
    if (header.size() < 6)
        return sizes;
    const int count =
        std::min<int>(qFromLittleEndian<quint16>(header.constData() + 4), MaxIconEntries);
    const QByteArray directory = readAt(device, 6, qint64(count) * 16);
    for (int index = 0; index * 16 + 16 <= directory.size(); ++index) {
        const qint64 offset = qFromLittleEndian<quint32>(directory.constData() + index * 16 + 12);
        const QByteArray own = readAt(device, offset, 24);
        QSize size;
        if (own.size() >= 24 && own.startsWith("\x89PNG\r\n\x1a\n")) {
            const quint32 width = qFromBigEndian<quint32>(own.constData() + 16);
            const quint32 height = qFromBigEndian<quint32>(own.constData() + 20);
            size = QSize(int(std::min<quint32>(width, INT_MAX)),
                         int(std::min<quint32>(height, INT_MAX)));
        } else if (own.size() >= 12 && qFromLittleEndian<quint32>(own.constData()) >= 12) {
            // The bitmap header's height counts the colour rows and the mask rows.
            const qint64 width = qFromLittleEndian<qint32>(own.constData() + 4);
            const qint64 height = qFromLittleEndian<qint32>(own.constData() + 8);
            const auto side = [](qint64 v) { return int(std::min<qint64>(std::abs(v), INT_MAX)); };
            size = QSize(side(width), side(height / 2));
        }
        sizes.append(size.isEmpty() ? QSize() : size);
    }
    return sizes;
}
