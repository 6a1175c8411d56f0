#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

#include "thumbs/DecodeBudget.h"
#include "thumbs/ThumbnailCache.h"

class ImageDecoder;
struct DecodedImage;

// Makes the grid's small pictures, one file at a time: value in, value out, safe on any
// thread. A file is first looked at (its header's estimate, the shared cache's entry), then,
// when the cache had nothing, decoded once at the size that covers both the cell and the
// cache's thumbnail (the JPEG decoder scales inside itself).
class ThumbnailBuilder
{
public:
    // What every file of one build shares.
    struct Setup
    {
        QSize cell; // device pixels
        QColor background;
        // Read valid entries from it and return the new ones to write; none: decode all.
        std::shared_ptr<const ThumbnailCache> cache;
        ThumbnailCache::Flavour flavour = ThumbnailCache::Flavour::Normal;
        qint64 ceiling = DecodeBudget::Ceiling;
    };

    // A file after its header and the cache have been looked at.
    struct Look
    {
        ThumbnailCache::Source source; // valid when the cache takes part for this file
        DecodeBudget::Estimate estimate;
        bool done = false; // nothing to decode: the cell below is final
        bool fromCache = false;
        bool overCeiling = false;
        QImage cell;
    };

    // A decoded file: its cell (null: a blank cell) and what the cache is to keep of it.
    struct Made
    {
        QImage cell;
        QSize natural;
        std::optional<ThumbnailCache::Entry> entry;
    };

    static Look look(const QString& path, const Setup& setup, const ImageDecoder& decoder);
    static Made make(const QString& path, const Look& look, const Setup& setup,
                     const ImageDecoder& decoder);

    // The blocking build, for measuring and for callers without an event loop.
    struct Options
    {
        const ThumbnailCache* cache = nullptr;
        ThumbnailCache::Flavour flavour = ThumbnailCache::Flavour::Normal;
        qint64 budget = DecodeBudget::DefaultLimit;
        qint64 ceiling = DecodeBudget::Ceiling;
    };
    struct Result
    {
        QVector<QImage> cells;
        QVector<ThumbnailCache::Entry> toWrite;
        int fromCache = 0;
        int overCeiling = 0;
        qint64 peakInFlight = 0; // the most the budget held at once
    };
    // One picture per path, in order: the whole picture stretched over pixelSize on a
    // cleared background, or a null image for a file that did not decode (a blank cell).
    static Result run(const QStringList& paths, const QSize& pixelSize, const QColor& background,
                      const ImageDecoder& decoder, const Options& options);

    // A decoded or cached picture stretched over the cell.
    static QImage stretch(const DecodedImage& decoded, const QSize& pixelSize,
                          const QColor& background);

    // The cache's size for cells of this many device pixels: its normal thumbnails cover a
    // cell of up to 64 pixels for pictures up to twice as wide as high.
    static ThumbnailCache::Flavour flavourFor(const QSize& pixelSize);
};
