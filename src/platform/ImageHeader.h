#pragma once

#include <QByteArray>
#include <QMap>
#include <QSize>
#include <QString>
#include <QVector>
#include <QtGlobal>

#include <optional>

class QIODevice;

// What a picture file says about itself, read from its bytes without decoding it: the format
// (never judged from the name), the size a decode produces, the structure that decides what a
// decode costs, and the resolution where the file states one. The one reader of picture
// headers: the decoder, the memory budget and the completeness check all ask it.
struct ImageHeader
{
    enum class Format
    {
        Unknown,
        Png,
        Jpeg,
        Gif,
        Bmp,
        Ico,
        Cur,
        WebP,
        Tiff
    };

    enum class Reading
    {
        // Every field below is what the file states.
        Complete,
        // The format is known, but the walk could not reach what decides the decode's cost:
        // whoever budgets for it must assume the worst.
        Partial,
        // The file states something no reader may be handed (a chunk longer than the file, a
        // huge ancillary chunk, a PNG that does not start with its header chunk).
        Refused
    };

    // How many first bytes formatOf() wants.
    static constexpr int SignatureBytes = 16;
    // Sides are reported up to this; anything larger is refused long before, and the
    // arithmetic on a clamped side cannot overflow.
    static constexpr int MaxReportedSide = 1 << 20;
    // Icon directories are walked this far.
    static constexpr int MaxIconEntries = 64;
    // An ancillary PNG chunk (text, profile, metadata) longer than this is not a picture's.
    static constexpr qint64 MaxAncillaryChunk = 16 * 1024 * 1024;
    // PNG text chunks are collected up to this length each, inflated.
    static constexpr int MaxTextBytes = 64 * 1024;

    Format format = Format::Unknown;
    Reading reading = Reading::Partial;
    QString refusal; // why a Refused file is, in a few words

    // What a decode of the first picture produces. A GIF is drawn onto a canvas: its logical
    // screen, or its first frame's extent where that is larger or the screen is empty.
    QSize size;
    QSize frameSize; // a GIF's first frame as its own descriptor states it; else `size`
    int frames = 1;  // a GIF's frames, an animated PNG's; 1 for the rest

    bool progressive = false; // a progressive JPEG, an interlaced PNG or GIF
    // JPEG: the decoder keeps every DCT coefficient of the image, not one row of blocks: the
    // file is progressive, or its first scan holds fewer components than the frame.
    bool multiScan = false;
    // JPEG colour components and their sampling factors; the decoder takes at most ten.
    static constexpr int MaxComponents = 10;
    int components = 0;
    int hSampling[MaxComponents] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    int vSampling[MaxComponents] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    int bitsPerSample = 8;      // the widest channel
    int samples = 0;            // channels a pixel, alpha included; 0 when unknown
    int bitsPerPixel = 0;       // as the file stores a pixel (BMP, PNG, TIFF)
    bool indexed = false;       // a palette picture
    bool floatingPoint = false; // TIFF samples stored as floating point

    // Dots per inch as the file states them (JPEG's JFIF density, PNG's pHYs, TIFF's X and Y
    // resolution with their unit, a bitmap's pixels per metre); nothing where the file states
    // none, only an aspect, or nonsense.
    std::optional<double> dotsPerInchX;
    std::optional<double> dotsPerInchY;

    // A PNG's text chunks (tEXt, zTXt, iTXt) by key, inflated; long ones are left out.
    QMap<QString, QString> text;

    // Reads from the device's start; the device is left at its start.
    static ImageHeader read(QIODevice& device);
    static ImageHeader read(const QByteArray& bytes);

    // The raster format the first bytes announce.
    static Format formatOf(const QByteArray& head);
    // The name QImageReader knows the format by ("png", "jpeg" …); empty for Unknown.
    static QByteArray formatName(Format format);

    // The bytes of every DCT block of a JPEG at two bytes a coefficient, whatever the scans.
    qint64 coefficientBytes() const;
    // What the JPEG decoder holds on top of its rows and its output: all the coefficients of
    // a multi-scan file, nothing for a single scan.
    qint64 wholeImageBufferBytes() const { return multiScan ? coefficientBytes() : 0; }

    // The sizes an icon file's entries really have, from each entry's own header (the PNG's
    // IHDR or the bitmap header), not from the directory; an invalid size where an entry
    // cannot be read. At most MaxIconEntries.
    static QVector<QSize> iconEntrySizes(QIODevice& device);

    // Whether the file holds the whole picture: its structure walked to its end marker (JPEG,
    // PNG, GIF) or its stated length (BMP). Other formats count as complete.
    static bool isComplete(QIODevice& device);
    // The same for a file too long to walk, from its first and last bytes and its length.
    static bool endsComplete(const QByteArray& head, const QByteArray& tail, qint64 size);
};
