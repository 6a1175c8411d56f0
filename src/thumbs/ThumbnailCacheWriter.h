#pragma once

#include <QVector>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "thumbs/ThumbnailCache.h"

// Writes new cache entries on a thread of its own, so that a build costs no more than
// decoding. Entries still waiting when it is destroyed are dropped (they are made again on
// the next visit); the one being written is finished.
class ThumbnailCacheWriter
{
public:
    // While held, entries wait for this many bytes of pictures before any is written.
    static constexpr qint64 DefaultHoldLimit = 8 * 1024 * 1024;

    explicit ThumbnailCacheWriter(const ThumbnailCache& cache);
    ~ThumbnailCacheWriter();
    ThumbnailCacheWriter(const ThumbnailCacheWriter&) = delete;
    ThumbnailCacheWriter& operator=(const ThumbnailCacheWriter&) = delete;

    void add(QVector<ThumbnailCache::Entry> entries);
    // While held, entries wait, so that a build has the cores to itself, until what waits
    // passes the hold limit: then the oldest are written until it is below again. Holds nest.
    void hold();
    void release();
    void setHoldLimit(qint64 bytes);
    // Told the picture bytes of every entry once it is written or dropped, off the caller's
    // thread and without the writer's lock.
    void setReleased(std::function<void(qint64 bytes)> released);
    // Blocks until everything added so far is written, held or not.
    void waitForIdle();
    // Blocks until the writer has written what it may now and waits for more or for a release.
    void waitUntilSettled();
    int written() const;

private:
    void run();

    const ThumbnailCache& m_cache;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<ThumbnailCache::Entry> m_queue;
    std::function<void(qint64)> m_released;
    qint64 m_queuedBytes = 0;
    qint64 m_holdLimit = DefaultHoldLimit;
    int m_holds = 0;
    int m_waiters = 0;
    bool m_busy = false;
    bool m_parked = false;
    bool m_stop = false;
    int m_written = 0;
    std::thread m_thread;
};
