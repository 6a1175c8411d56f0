#include "platform/ImageDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>

#include "platform/ImageCompleteness.h"
#include "platform/ImageHeader.h"
#include "platform/SafeFile.h"
#include "platform/ScaledJpegDecoder.h"
#include "platform/SvgDecoder.h"

namespace {

using Failure = DecodedImage::Failure;

constexpr qint64 WholeReadLimit = 32 * 1024 * 1024;
// Each thread keeps the buffer of its last whole read up to this size, so that a build of many
// pictures reads into the same pages again instead of mapping fresh ones for every file.
constexpr qint64 KeptBufferLimit = 4 * 1024 * 1024;

// `file` is the file being read, if any.
Failure readerFailure(const QImageReader& reader, const QFileDevice* file)
{
    if (reader.error() == QImageReader::DeviceError ||
        (file && file->error() != QFileDevice::NoError))
        return Failure::Unreadable;
    return Failure::NotAPicture;
}

DecodedImage readerFailed(const QImageReader& reader, const QFileDevice* file)
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
    const qint64 tailAt = std::max<qint64>(0, size - ImageCompleteness::TailBytes);
    const QByteArray tail =
        file.seek(tailAt) ? file.read(ImageCompleteness::TailBytes) : QByteArray();
    const bool complete = ImageCompleteness::isComplete(head, tail, size);
    return file.seek(0) && complete;
}

// Whether the file may be handed to the reader at all: what it states must fit the caps, and
// for a JPEG that includes the coefficients its decoder keeps beside the output, which the
// allocation limit does not see. An empty target asks for the natural size.
DecodedImage refusalOf(const ImageHeader& header, const QSize& target)
{
    if (header.reading == ImageHeader::Reading::Refused)
        return DecodedImage::failed(Failure::NotAPicture, header.refusal);
    if (header.size.isEmpty())
        return {};
    if (QtImageDecoder::isTooLarge(header.size))
        return DecodedImage::failed(Failure::TooLarge);
    if (header.format == ImageHeader::Format::Jpeg) {
        // The decoder's own reduction, which may be larger than the size asked for.
        const QSize output = ScaledJpegDecoder::reducedSize(
            header.size, QtImageDecoder::coveringSize(header.size, target));
        const qint64 peak =
            header.wholeImageBufferBytes() + qint64(output.width()) * output.height() * 4;
        if (peak > qint64(QtImageDecoder::AllocationLimitMb) * 1024 * 1024)
            return DecodedImage::failed(Failure::TooLarge);
    }
    return {};
}

DecodedImage decodeDevice(QIODevice& device, const QByteArray& format, const QSize& target,
                          const QFileDevice* file, const QByteArray* whole = nullptr);

// requireComplete refuses a file that its program has not finished writing.
DecodedImage decodeRaster(QFile& file, const QSize& target, bool requireComplete)
{
    const QByteArray format = QtImageDecoder::rasterFormat(file.peek(ImageHeader::SignatureBytes));
    if (format.isEmpty()) {
        if (file.error() != QFileDevice::NoError)
            return DecodedImage::failed(Failure::Unreadable, file.errorString());
        return DecodedImage::failed(Failure::NotAPicture);
    }
    // A file of ordinary size is read in one go: the readers then work from memory, not
    // through small reads. Larger ones are streamed.
    const qint64 size = file.size();
    thread_local QByteArray kept;
    QByteArray own;
    QByteArray& bytes = size <= KeptBufferLimit ? kept : own;
    bytes.resize(0); // keeps its capacity
    QBuffer buffer;
    QIODevice* device = &file;
    if (size > 0 && size <= WholeReadLimit) {
        bytes.resize(qsizetype(size));
        const qint64 got = file.read(bytes.data(), size);
        if (got < 0 || file.error() != QFileDevice::NoError)
            return DecodedImage::failed(Failure::Unreadable, file.errorString());
        bytes.resize(qsizetype(got));
        if (requireComplete && !ImageCompleteness::isComplete(bytes))
            return incomplete();
        buffer.setBuffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        device = &buffer;
    } else if (requireComplete && !longFileComplete(file)) {
        return incomplete();
    }
    return decodeDevice(*device, format, target, &file, bytes.isEmpty() ? nullptr : &bytes);
}

// A reduced JPEG straight through libjpeg-turbo, or nothing for Qt's reader to do instead.
std::optional<DecodedImage> scaledJpeg(const QByteArray& bytes, const QSize& natural,
                                       const QSize& target)
{
    const QSize covering = QtImageDecoder::coveringSize(natural, target);
    if (covering == natural)
        return std::nullopt;
    ScaledJpegDecoder::Result decoded = ScaledJpegDecoder::decode(bytes, covering);
    switch (decoded.outcome) {
    case ScaledJpegDecoder::Result::Outcome::NotTaken:
        return std::nullopt;
    case ScaledJpegDecoder::Result::Outcome::Failed:
        return DecodedImage::failed(Failure::NotAPicture, decoded.error);
    case ScaledJpegDecoder::Result::Outcome::Decoded:
        break;
    }
    // The caps were checked against the header walked here; libjpeg reads the same frame.
    if (decoded.naturalSize != natural)
        return std::nullopt;
    DecodedImage result;
    result.image = std::move(decoded.image);
    result.naturalSize = decoded.naturalSize;
    return result;
}

// The device holds a picture of `format`, read from its start.
// `whole`, when given, holds all of the device's bytes.
DecodedImage decodeDevice(QIODevice& device, const QByteArray& format, const QSize& target,
                          const QFileDevice* file, const QByteArray* whole)
{
    const ImageHeader stated = ImageHeader::read(device);
    const DecodedImage refused = refusalOf(stated, target);
    if (refused.failure != Failure::None)
        return refused;
    if (whole && !target.isEmpty() && stated.format == ImageHeader::Format::Jpeg &&
        !stated.size.isEmpty()) {
        if (std::optional<DecodedImage> scaled = scaledJpeg(*whole, stated.size, target))
            return std::move(*scaled);
    }
    QImageReader reader(&device, format);
    reader.setAutoDetectImageFormat(false);
    if (!reader.canRead())
        return readerFailed(reader, file);
    if (format == "ico" || format == "cur") {
        const Failure icon = jumpToLargestIcon(reader, device);
        if (icon != Failure::None)
            return DecodedImage::failed(icon);
    }

    // A GIF's canvas may be larger than the first frame Qt reports.
    const QSize header = headerSize(reader).expandedTo(stated.size);
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

DecodedImage QtImageDecoder::decodeData(const QByteArray& bytes)
{
    const QByteArray format = rasterFormat(bytes.left(ImageHeader::SignatureBytes));
    if (format.isEmpty())
        return DecodedImage::failed(Failure::NotAPicture);
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return decodeDevice(buffer, format, QSize(), nullptr);
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
    return ImageHeader::formatName(ImageHeader::formatOf(head));
}

QVector<QSize> QtImageDecoder::iconEntrySizes(QIODevice& device)
{
    return ImageHeader::iconEntrySizes(device);
}
