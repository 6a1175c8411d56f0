#include "thumbs/ThumbnailCacheWriter.h"

ThumbnailCacheWriter::ThumbnailCacheWriter(const ThumbnailCache& cache) : m_cache(cache) {}

ThumbnailCacheWriter::~ThumbnailCacheWriter()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void ThumbnailCacheWriter::add(QVector<ThumbnailCache::Entry> entries)
{
    if (entries.isEmpty())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (ThumbnailCache::Entry& entry : entries)
            m_queue.push_back(std::move(entry));
        // Started on first use: a run that never writes has no thread.
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_one();
}

void ThumbnailCacheWriter::waitForIdle()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

int ThumbnailCacheWriter::written() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_written;
}

void ThumbnailCacheWriter::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_stop)
            break;
        ThumbnailCache::Entry entry = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        const bool ok = m_cache.write(entry);
        entry = {}; // the picture is freed before the lock is taken again
        lock.lock();
        m_busy = false;
        if (ok)
            ++m_written;
        if (m_queue.empty())
            m_idle.notify_all();
    }
    m_busy = false;
    m_idle.notify_all();
}
