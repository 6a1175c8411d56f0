#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QStringList>
#include <QVector>

#include <functional>

#include "thumbs/DecodeBudget.h"
#include "thumbs/ThumbnailCache.h"

class ImageDecoder;
struct DecodedImage;

// Makes the grid's small pictures: every file decoded once, at the size it will be shown
// (the JPEG decoder scales inside itself), on a pool of threads sized to the machine, with
// no more memory in flight than the budget allows. Thumbnails found in the shared cache are
// read instead of decoded. The calling thread waits; what it does meanwhile is the caller's.
class ThumbnailBuilder
{
public:
    struct Options
    {
        // Read valid entries from it and return the new ones to write; none: decode all.
        const ThumbnailCache* cache = nullptr;
        ThumbnailCache::Flavour flavour = ThumbnailCache::Flavour::Normal;
        qint64 budget = DecodeBudget::DefaultLimit;
        qint64 ceiling = DecodeBudget::Ceiling;
        // The number of files done so far, each time it grows.
        std::function<void(int done)> progress;
        // Called on the calling thread at least every 30 ms or so while it waits.
        std::function<void()> waiting;
    };

    struct Result
    {
        QVector<QImage> cells;
        // Thumbnails and failures for the cache, to be written after the build.
        QVector<ThumbnailCache::Entry> toWrite;
        int fromCache = 0;
        int overCeiling = 0;
        qint64 peakInFlight = 0; // the largest sum of estimates that ran at once
    };

    // One picture per path, in order: the whole picture stretched over pixelSize on a
    // cleared background, or a null image for a file that did not decode (a blank cell).
    // sizes, the files' lengths as the scan read them, order the work (largest first).
    static Result run(const QStringList& paths, const QVector<qint64>& sizes,
                      const QSize& pixelSize, const QColor& background, const ImageDecoder& decoder,
                      const Options& options);
    // The same without the cache.
    static QVector<QImage> build(const QStringList& paths, const QVector<qint64>& sizes,
                                 const QSize& pixelSize, const QColor& background,
                                 const ImageDecoder& decoder,
                                 const std::function<void(int done)>& progress);

    static QImage makeThumbnail(const QString& path, const QSize& pixelSize,
                                const QColor& background, const ImageDecoder& decoder);
    // A decoded or cached picture stretched over the cell.
    static QImage stretch(const DecodedImage& decoded, const QSize& pixelSize,
                          const QColor& background);

    // The cache's size for cells of this many device pixels: its normal thumbnails cover a
    // cell of up to 64 pixels for pictures up to twice as wide as high.
    static ThumbnailCache::Flavour flavourFor(const QSize& pixelSize);
};
