#include "thumbs/ThumbnailBuilder.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/ImageDecoder.h"
#include "platform/SafeFile.h"

namespace {

using Flavour = ThumbnailCache::Flavour;

// What one file needs after its header and the cache have been looked at.
struct Job
{
    ThumbnailCache::Source source; // valid when the cache takes part for this file
    DecodeBudget::Estimate estimate;
    bool done = false;
};

DecodeBudget::Estimate estimateFile(const QString& path, const QSize& target)
{
    const std::unique_ptr<QFile> file = SafeFile::openForReading(path);
    if (!file)
        return {};
    return DecodeBudget::estimate(*file, file->size(), target);
}

// Covers the cell and, when the picture is cached, the cache's thumbnail as well.
QSize decodeTarget(const Job& job, const QSize& cell, Flavour flavour)
{
    if (!job.source.isValid())
        return cell;
    const QSize natural = job.estimate.size;
    if (natural.isEmpty()) {
        const int side = ThumbnailCache::side(flavour);
        return QSize(side, side).expandedTo(cell);
    }
    return ThumbnailCache::thumbnailSize(natural, flavour)
        .expandedTo(QtImageDecoder::coveringSize(natural, cell));
}

// Whether the JPEG decoder would need a finer scale for the cache's thumbnail than for the
// cell: then the cell is decoded alone, and the thumbnail is left to the cache's writer, after
// the build. Other kinds decode in full whatever the target.
bool thumbnailCostsMore(const Job& job, const QSize& cell, Flavour flavour)
{
    const DecodeBudget::Kind kind = job.estimate.kind;
    const QSize natural = job.estimate.size;
    if ((kind != DecodeBudget::Kind::JpegBaseline && kind != DecodeBudget::Kind::JpegProgressive) ||
        natural.isEmpty())
        return false;
    const auto output = [&natural](const QSize& target) {
        return DecodeBudget::jpegScaledSize(natural, QtImageDecoder::coveringSize(natural, target));
    };
    return output(decodeTarget(job, cell, flavour)) != output(cell);
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

} // namespace

QImage ThumbnailBuilder::makeThumbnail(const QString& path, const QSize& pixelSize,
                                       const QColor& background, const ImageDecoder& decoder)
{
    return stretch(decoder.decodeScaled(path, pixelSize), pixelSize, background);
}

QImage ThumbnailBuilder::stretch(const DecodedImage& decoded, const QSize& pixelSize,
                                 const QColor& background)
{
    if (!decoded.ok())
        return {};
    // Each picture starts from a cleared background, so transparent pixels show the
    // background and never a previous picture.
    QImage thumb(pixelSize, QImage::Format_RGB32);
    thumb.fill(background);
    QPainter p(&thumb);
    p.drawImage(QPoint(0, 0), stretched(decoded.image, pixelSize));
    return thumb;
}

ThumbnailCache::Flavour ThumbnailBuilder::flavourFor(const QSize& pixelSize)
{
    const int need = std::max(pixelSize.width(), pixelSize.height());
    return need * 2 <= ThumbnailCache::NormalSide ? Flavour::Normal : Flavour::Large;
}

QVector<QImage> ThumbnailBuilder::build(const QStringList& paths, const QVector<qint64>& sizes,
                                        const QSize& pixelSize, const QColor& background,
                                        const ImageDecoder& decoder,
                                        const std::function<void(int done)>& progress)
{
    Options options;
    options.progress = progress;
    return run(paths, sizes, pixelSize, background, decoder, options).cells;
}

ThumbnailBuilder::Result ThumbnailBuilder::run(const QStringList& paths,
                                               const QVector<qint64>& sizes, const QSize& pixelSize,
                                               const QColor& background,
                                               const ImageDecoder& decoder, const Options& options)
{
    const int count = paths.size();
    Result result;
    result.cells.resize(count);
    if (count == 0)
        return result;

    const ThumbnailCache* cache = options.cache;
    const Flavour flavour = options.flavour;
    // The cache's own folders are never cached; asked once a folder, not once a file.
    QHash<QString, bool> cachedFolder;
    std::vector<char> useCache(count, 0);
    if (cache) {
        for (int i = 0; i < count; ++i) {
            const QString folder = paths[i].left(std::max(0, int(paths[i].lastIndexOf('/'))));
            auto it = cachedFolder.find(folder);
            if (it == cachedFolder.end())
                it = cachedFolder.insert(folder, !cache->holdsFolder(folder));
            useCache[i] = it.value();
        }
    }

    // Largest files first: the long decodes start early and no core idles at the end.
    std::vector<int> order(count);
    for (int i = 0; i < count; ++i)
        order[i] = i;
    if (sizes.size() == count)
        std::stable_sort(order.begin(), order.end(),
                         [&sizes](int a, int b) { return sizes[a] > sizes[b]; });

    std::vector<Job> jobs(count);
    const int side = ThumbnailCache::side(flavour);
    const QSize estimateTarget = cache ? QSize(side, side).expandedTo(pixelSize) : pixelSize;

    std::mutex mutex;
    std::condition_variable changed;
    // The calling thread wakes for the end or every 30 ms, not for every file, so that it does
    // not compete with the workers for the lock and the cores.
    std::condition_variable allDone;
    DecodeBudget budget(options.budget);
    std::vector<qint64> costs; // the decodes, largest estimate first; -1 once started
    std::vector<int> decodes;  // the file of each cost
    std::size_t firstPending = 0;
    std::atomic<int> nextLook{0};
    int looking = std::max(1, std::min(QThread::idealThreadCount(), count));
    const int workers = looking;
    int workersLeft = workers;
    int done = 0;

    // First every file's header and cache entry, in parallel; the last worker to finish
    // orders the decodes by their estimates, then all of them decode within the budget.
    const auto look = [&](int i) {
        Job& job = jobs[i];
        job.estimate = estimateFile(paths[i], estimateTarget);
        if (useCache[i]) {
            const ThumbnailCache::Source source = ThumbnailCache::source(paths[i]);
            const bool small = !job.estimate.size.isEmpty() &&
                               ThumbnailCache::thumbnailSize(job.estimate.size, flavour).isEmpty();
            if (source.isValid() && !small) {
                job.source = source;
                DecodedImage cached;
                cached.image = cache->read(source, flavour, decoder);
                if (!cached.image.isNull()) {
                    QImage cell = stretch(cached, pixelSize, background);
                    std::lock_guard<std::mutex> lock(mutex);
                    result.cells[i] = std::move(cell);
                    ++result.fromCache;
                    job.done = true;
                } else if (cache->hasFailed(source, decoder)) {
                    job.done = true;
                }
            }
        }
        if (!job.done && job.estimate.bytes > options.ceiling) {
            job.done = true;
            std::lock_guard<std::mutex> lock(mutex);
            ++result.overCeiling;
        }
        if (job.done) {
            std::lock_guard<std::mutex> lock(mutex);
            ++done;
        }
    };

    const auto orderDecodes = [&] {
        for (int i : order)
            if (!jobs[i].done)
                decodes.push_back(i);
        std::stable_sort(decodes.begin(), decodes.end(), [&jobs](int a, int b) {
            return jobs[a].estimate.bytes > jobs[b].estimate.bytes;
        });
        costs.reserve(decodes.size());
        for (int i : decodes)
            costs.push_back(jobs[i].estimate.bytes);
    };

    const auto decode = [&](int i) {
        const Job& job = jobs[i];
        const bool caching = job.source.isValid();
        const bool later = caching && thumbnailCostsMore(job, pixelSize, flavour);
        const QSize target = caching && !later ? decodeTarget(job, pixelSize, flavour) : pixelSize;
        const DecodedImage decoded = decoder.decodeScaled(paths[i], target);
        QImage cell = stretch(decoded, pixelSize, background);
        ThumbnailCache::Entry entry;
        bool write = false;
        if (caching) {
            entry.source = job.source;
            entry.flavour = flavour;
            if (decoded.ok()) {
                const QSize box = ThumbnailCache::thumbnailSize(decoded.naturalSize, flavour);
                if (!box.isEmpty()) {
                    entry.natural = decoded.naturalSize;
                    entry.decodeLater = later;
                    if (!later)
                        entry.image = decoded.image.scaled(box, Qt::IgnoreAspectRatio,
                                                           Qt::SmoothTransformation);
                    write = true;
                }
            } else {
                // Only a file that is no picture, or one too large, fails again next time; one
                // that could not be read may be readable then.
                write = decoded.failure != DecodedImage::Failure::Unreadable;
            }
        }
        std::lock_guard<std::mutex> lock(mutex);
        result.cells[i] = std::move(cell);
        if (write)
            result.toWrite.append(std::move(entry));
    };

    const auto work = [&] {
        for (int k = nextLook++; k < count; k = nextLook++)
            look(order[k]);
        std::unique_lock<std::mutex> lock(mutex);
        if (--looking == 0) {
            orderDecodes();
            changed.notify_all();
        }
        changed.wait(lock, [&] { return looking == 0; });
        for (;;) {
            while (firstPending < costs.size() && costs[firstPending] < 0)
                ++firstPending;
            if (firstPending == costs.size())
                break;
            const int pick = budget.pick(costs, firstPending);
            if (pick < 0) {
                changed.wait(lock);
                continue;
            }
            const qint64 cost = costs[std::size_t(pick)];
            costs[std::size_t(pick)] = -1;
            budget.started(cost);
            result.peakInFlight = std::max(result.peakInFlight, budget.inFlight());
            lock.unlock();
            decode(decodes[std::size_t(pick)]);
            lock.lock();
            budget.finished(cost);
            ++done;
            changed.notify_all();
        }
        if (--workersLeft == 0)
            allDone.notify_all();
    };

    // A pool of our own, so that nothing else queued on the global pool delays the build.
    QThreadPool pool;
    pool.setMaxThreadCount(workers);
    for (int w = 0; w < workers; ++w)
        pool.start(work);

    int reported = -1;
    std::unique_lock<std::mutex> lock(mutex);
    while (workersLeft > 0) {
        allDone.wait_for(lock, std::chrono::milliseconds(30));
        const int now = done;
        lock.unlock();
        if (now != reported && options.progress) {
            reported = now;
            options.progress(reported);
        }
        if (options.waiting)
            options.waiting();
        lock.lock();
    }
    lock.unlock();
    pool.waitForDone();
    if (options.progress && reported != count)
        options.progress(count);
    return result;
}
