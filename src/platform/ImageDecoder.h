#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QVector>
#include <QtGlobal>

class QIODevice;

// A picture read from a file, or why it could not be: never both.
struct DecodedImage
{
    enum class Failure
    {
        None,
        Unreadable,
        NotAPicture,
        TooLarge
    };

    QImage image; // null unless ok()
    Failure failure = Failure::None;
    QSize naturalSize; // the picture's own size, even when `image` was decoded smaller
    // The reader's or the system's own words for a failure, where it gave any.
    QString detail;
    bool ok() const { return failure == Failure::None && !image.isNull(); }

    // A short sentence for messages and reports: the failure and its detail.
    QString reason() const;
    static DecodedImage failed(Failure failure, const QString& detail = {});
};

// The program's one way to turn a file into pixels. Implementations must be safe to call from
// several threads at once; they produce QImage only, never QPixmap.
class ImageDecoder
{
public:
    virtual ~ImageDecoder() = default;

    // The picture at its natural size.
    virtual DecodedImage decode(const QString& path) const = 0;
    // A smaller decode for thumbnails: at least `target` in both directions where the picture
    // is that big, with the picture's aspect kept; the caller stretches it.
    virtual DecodedImage decodeScaled(const QString& path, const QSize& target) const = 0;
    // The picture at its natural size from a file that holds all of it: a file still being
    // written fails as Unreadable rather than giving what the reader made of its first part.
    virtual DecodedImage decodeComplete(const QString& path) const { return decode(path); }
};

// QImageReader on a safely opened file, with the size of one picture capped so that a forged
// header cannot claim gigabytes. The format is one of the raster formats the program lists,
// found from the file's first bytes, never left to Qt's own guess (which would hand a few
// bytes to any plugin, SVG and XPM included). A name ending in .svg or .svgz takes the
// guarded SVG path instead.
class QtImageDecoder : public ImageDecoder
{
public:
    static constexpr qint64 PixelCap = 100'000'000;
    static constexpr int MaxSide = 65535;
    // PixelCap pixels at 4 bytes, in MiB, rounded up; Qt's own default refuses an
    // 8,000 x 8,000 bitmap.
    static constexpr int AllocationLimitMb = int((PixelCap * 4 + (1 << 20) - 1) >> 20);
    // Below 50 the JPEG reader decodes with its fast settings.
    static constexpr int ThumbnailQuality = 49;

    QtImageDecoder();

    DecodedImage decode(const QString& path) const override;
    DecodedImage decodeScaled(const QString& path, const QSize& target) const override;
    DecodedImage decodeComplete(const QString& path) const override;

    // A raster picture held in memory, at its natural size, with the same checks and caps.
    static DecodedImage decodeData(const QByteArray& bytes);
    // True when a picture of this size is refused before it is decoded.
    static bool isTooLarge(const QSize& size);
    // The smallest size with the aspect of `natural` that covers `target`, never above
    // `natural` itself.
    static QSize coveringSize(const QSize& natural, const QSize& target);
    // The raster format the first bytes announce ("png", "jpeg", "bmp", "gif", "ico", "cur",
    // "webp", "tiff"), or nothing for anything else.
    static QByteArray rasterFormat(const QByteArray& head);
    // The sizes an icon file's entries really have, read from each entry's own header (the
    // PNG's IHDR or the bitmap header), not from the directory; an invalid size where an entry
    // cannot be read. At most MaxIconEntries.
    static QVector<QSize> iconEntrySizes(QIODevice& device);
};
