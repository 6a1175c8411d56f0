#pragma once

#include <QImage>
#include <QSize>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include "thumbs/ThumbnailBuilder.h"

class ImageDecoder;
class QThreadPool;
class ThumbnailCacheWriter;

// The grid's thumbnails made in the background, on a pool of threads sized to the machine:
// each file looked at and decoded by ThumbnailBuilder, in the order the grid asks for (the
// cells in view first), with no more memory held than the budget allows, counting decodes in
// flight, finished cells not yet taken and cache entries not yet written. Every build has a
// generation; starting a new one drops the old one's work not started, and its results are
// never handed out. Destroyed during a build, it waits only a moment for decodes already
// running: what is left finishes on its own and is thrown away.
class ThumbnailQueue
{
public:
    struct Result
    {
        int index = -1;
        QImage cell;   // null: a blank cell
        QSize natural; // the picture's own size, when known
        bool fromCache = false;
    };
    struct Stats
    {
        int fromCache = 0;
        int overCeiling = 0;
        qint64 peakHeld = 0;
    };

    explicit ThumbnailQueue(const ImageDecoder& decoder, int threads = 0);
    ~ThumbnailQueue();
    ThumbnailQueue(const ThumbnailQueue&) = delete;
    ThumbnailQueue& operator=(const ThumbnailQueue&) = delete;

    // Called on a pool thread when results are waiting and none were before; it must only
    // post (the queue's lock is held), and is never called after the queue is gone.
    void setReady(std::function<void()> ready);
    // New cache entries go there as they are made; it stays until the next setWriter().
    void setWriter(ThumbnailCacheWriter* writer);

    // Hands an entry made elsewhere to the writer, within the budget.
    void write(ThumbnailCache::Entry entry);

    // Starts a build of these files, dropping the one before; `order` as for prioritise().
    void start(const QStringList& paths, const ThumbnailBuilder::Setup& setup,
               qint64 budget = DecodeBudget::DefaultLimit, const std::vector<int>& order = {});
    void cancel();
    // The files to do next, in this order; files not named keep their place after them.
    void prioritise(const std::vector<int>& order);
    // The current build's results so far; their memory leaves the budget.
    std::vector<Result> take();

    // Blocks until the current build has made all its results, or for at most `ms`
    // milliseconds (negative: no limit); true when they are all made.
    bool waitForDone(int ms = -1) const;
    // Without a writer, the entries made so far.
    std::vector<ThumbnailCache::Entry> takeEntries();
    Stats stats() const;
    qint64 held() const;

    struct State;

private:
    void startWorkers();
    static void work(const std::shared_ptr<State>& s);

    std::shared_ptr<State> m_state;
    QThreadPool* m_pool;
};
