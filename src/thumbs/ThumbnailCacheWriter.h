#pragma once

#include <QVector>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "thumbs/ThumbnailCache.h"

// Writes new cache entries on a thread of its own, after the build that made them, so that
// a first visit costs no more than decoding. Entries still waiting when it is destroyed are
// dropped (they are made again on the next visit); the one being written is finished.
class ThumbnailCacheWriter
{
public:
    explicit ThumbnailCacheWriter(const ThumbnailCache& cache);
    ~ThumbnailCacheWriter();
    ThumbnailCacheWriter(const ThumbnailCacheWriter&) = delete;
    ThumbnailCacheWriter& operator=(const ThumbnailCacheWriter&) = delete;

    void add(QVector<ThumbnailCache::Entry> entries);
    // Blocks until everything added so far is written.
    void waitForIdle();
    int written() const;

private:
    void run();

    const ThumbnailCache& m_cache;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<ThumbnailCache::Entry> m_queue;
    bool m_busy = false;
    bool m_stop = false;
    int m_written = 0;
    std::thread m_thread;
};
