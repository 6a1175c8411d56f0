#include "thumbs/ThumbnailBuilder.h"

#include <QFile>
#include <QPainter>

#include <algorithm>

#include "platform/ImageDecoder.h"
#include "platform/SafeFile.h"
#include "thumbs/ThumbnailQueue.h"

namespace {

using Flavour = ThumbnailCache::Flavour;

DecodeBudget::Estimate estimateFile(const QString& path, const QSize& target)
{
    const std::unique_ptr<QFile> file = SafeFile::openForReading(path);
    if (!file)
        return {};
    return DecodeBudget::estimate(*file, file->size(), target);
}

// Covers the cell and, when the picture is cached, the cache's thumbnail as well: one decode
// makes both.
QSize decodeTarget(const ThumbnailBuilder::Look& look, const QSize& cell, Flavour flavour)
{
    if (!look.source.isValid())
        return cell;
    const QSize natural = look.estimate.size;
    if (natural.isEmpty()) {
        const int side = ThumbnailCache::side(flavour);
        return QSize(side, side).expandedTo(cell);
    }
    return ThumbnailCache::thumbnailSize(natural, flavour)
        .expandedTo(QtImageDecoder::coveringSize(natural, cell));
}

// Each direction on its own: shrunk smoothly, enlarged by repeating pixels, so that a
// 16 x 16 pattern shows its pixels crisp in a 60 x 60 cell instead of a blur.
QImage stretched(const QImage& image, const QSize& size)
{
    const QSize reduced = image.size().boundedTo(size);
    QImage out = reduced == image.size()
                     ? image
                     : image.scaled(reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (out.size() != size)
        out = out.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return out;
}

QString folderOf(const QString& path)
{
    return path.left(std::max(0, int(path.lastIndexOf(QLatin1Char('/')))));
}

} // namespace

QImage ThumbnailBuilder::stretch(const DecodedImage& decoded, const QSize& pixelSize,
                                 const QColor& background)
{
    if (!decoded.ok())
        return {};
    QImage cell = stretched(decoded.image, pixelSize);
    if (!cell.hasAlphaChannel())
        return cell.convertToFormat(QImage::Format_RGB32);
    // A picture with transparent pixels starts from a cleared background, so that they show
    // the background and never a previous picture.
    QImage thumb(pixelSize, QImage::Format_RGB32);
    thumb.fill(background);
    QPainter p(&thumb);
    p.drawImage(QPoint(0, 0), cell);
    return thumb;
}

ThumbnailCache::Flavour ThumbnailBuilder::flavourFor(const QSize& pixelSize)
{
    const int need = std::max(pixelSize.width(), pixelSize.height());
    return need * 2 <= ThumbnailCache::NormalSide ? Flavour::Normal : Flavour::Large;
}

ThumbnailBuilder::Look ThumbnailBuilder::look(const QString& path, const Setup& setup,
                                              const ImageDecoder& decoder)
{
    Look look;
    const ThumbnailCache* cache = setup.cache.get();
    const Flavour flavour = setup.flavour;
    const int side = ThumbnailCache::side(flavour);
    look.estimate =
        estimateFile(path, cache ? QSize(side, side).expandedTo(setup.cell) : setup.cell);
    // The cache's own folders are never cached, nor pictures no larger than an entry.
    const bool small = !look.estimate.size.isEmpty() &&
                       ThumbnailCache::thumbnailSize(look.estimate.size, flavour).isEmpty();
    if (cache && !small && !cache->holdsFolder(folderOf(path))) {
        const ThumbnailCache::Source source = ThumbnailCache::source(path);
        if (source.isValid()) {
            look.source = source;
            DecodedImage cached;
            cached.image = cache->read(source, flavour, decoder);
            if (!cached.image.isNull()) {
                look.cell = stretch(cached, setup.cell, setup.background);
                look.fromCache = true;
                look.done = true;
                return look;
            }
            if (cache->hasFailed(source, decoder)) {
                look.done = true;
                return look;
            }
        }
    }
    if (look.estimate.bytes > setup.ceiling) {
        look.overCeiling = true;
        look.done = true;
    }
    return look;
}

ThumbnailBuilder::Made ThumbnailBuilder::make(const QString& path, const Look& look,
                                              const Setup& setup, const ImageDecoder& decoder)
{
    const bool caching = look.source.isValid();
    const DecodedImage decoded =
        decoder.decodeScaled(path, decodeTarget(look, setup.cell, setup.flavour));
    Made made;
    made.natural = decoded.ok() ? decoded.naturalSize : look.estimate.size;
    DecodedImage cellFrom = decoded;
    if (caching && decoded.ok()) {
        made.entry =
            ThumbnailCache::entryOf(look.source, setup.flavour, decoded.image, decoded.naturalSize);
        // Where the entry covers the cell, the cell is made from it: the smaller picture to
        // reduce, and the one a second visit shows.
        if (made.entry && made.entry->image.width() >= setup.cell.width() &&
            made.entry->image.height() >= setup.cell.height())
            cellFrom.image = made.entry->image;
    } else if (caching && decoded.failure != DecodedImage::Failure::Unreadable) {
        // Only a file that is no picture, or one too large, fails again next time; one that
        // could not be read may be readable then.
        ThumbnailCache::Entry failure;
        failure.source = look.source;
        failure.flavour = setup.flavour;
        made.entry = std::move(failure);
    }
    made.cell = stretch(cellFrom, setup.cell, setup.background);
    return made;
}

ThumbnailBuilder::Result ThumbnailBuilder::run(const QStringList& paths, const QSize& pixelSize,
                                               const QColor& background,
                                               const ImageDecoder& decoder, const Options& options)
{
    Result result;
    result.cells.resize(paths.size());
    if (paths.isEmpty())
        return result;
    Setup setup;
    setup.cell = pixelSize;
    setup.background = background;
    // The caller keeps the cache for the whole call.
    if (options.cache)
        setup.cache = std::shared_ptr<const ThumbnailCache>(options.cache, [](auto*) {});
    setup.flavour = options.flavour;
    setup.ceiling = options.ceiling;

    ThumbnailQueue queue(decoder);
    queue.start(paths, setup, options.budget);
    const auto collect = [&] {
        for (ThumbnailQueue::Result& done : queue.take())
            result.cells[done.index] = std::move(done.cell);
    };
    // Taken as they come, so that finished cells do not fill the budget.
    while (!queue.waitForDone(20))
        collect();
    collect();
    for (ThumbnailCache::Entry& entry : queue.takeEntries())
        result.toWrite.append(std::move(entry));
    const ThumbnailQueue::Stats stats = queue.stats();
    result.fromCache = stats.fromCache;
    result.overCeiling = stats.overCeiling;
    result.peakInFlight = stats.peakHeld;
    return result;
}
