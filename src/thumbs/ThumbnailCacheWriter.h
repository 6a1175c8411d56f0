#pragma once

#include <QVector>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "thumbs/ThumbnailCache.h"

class ImageDecoder;

// Writes new cache entries on a thread of its own, after the build that made them, so that
// a first visit costs no more than decoding. Entries still waiting when it is destroyed are
// dropped (they are made again on the next visit); the one being written is finished.
class ThumbnailCacheWriter
{
public:
    // Entries the build left to be decoded here need the decoder; without one they are
    // dropped.
    explicit ThumbnailCacheWriter(const ThumbnailCache& cache,
                                  const ImageDecoder* decoder = nullptr);
    ~ThumbnailCacheWriter();
    ThumbnailCacheWriter(const ThumbnailCacheWriter&) = delete;
    ThumbnailCacheWriter& operator=(const ThumbnailCacheWriter&) = delete;

    void add(QVector<ThumbnailCache::Entry> entries);
    // While held, no new entry is started, so that a build has the cores to itself; the one
    // being written is finished. Holds nest.
    void hold();
    void release();
    // Blocks until everything added so far is written, held or not.
    void waitForIdle();
    int written() const;

private:
    void run();
    bool complete(ThumbnailCache::Entry& entry) const;

    const ThumbnailCache& m_cache;
    const ImageDecoder* m_decoder;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<ThumbnailCache::Entry> m_queue;
    int m_holds = 0;
    int m_waiters = 0;
    bool m_busy = false;
    bool m_stop = false;
    int m_written = 0;
    std::thread m_thread;
};
