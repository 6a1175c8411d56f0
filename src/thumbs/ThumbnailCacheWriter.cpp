#include "thumbs/ThumbnailCacheWriter.h"

namespace {

qint64 bytesOf(const ThumbnailCache::Entry& entry)
{
    return entry.image.isNull() ? 0 : qint64(entry.image.sizeInBytes());
}

} // namespace

ThumbnailCacheWriter::ThumbnailCacheWriter(const ThumbnailCache& cache) : m_cache(cache) {}

ThumbnailCacheWriter::~ThumbnailCacheWriter()
{
    qint64 dropped = 0;
    std::function<void(qint64)> released;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        dropped = m_queuedBytes;
        m_queue.clear();
        m_queuedBytes = 0;
        released = m_released;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    if (released && dropped > 0)
        released(dropped);
}

void ThumbnailCacheWriter::add(QVector<ThumbnailCache::Entry> entries)
{
    if (entries.isEmpty())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (ThumbnailCache::Entry& entry : entries) {
            m_queuedBytes += bytesOf(entry);
            m_queue.push_back(std::move(entry));
        }
        m_parked = false;
        // Started on first use: a run that never writes has no thread.
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_one();
}

void ThumbnailCacheWriter::hold()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_holds;
}

void ThumbnailCacheWriter::release()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_holds > 0)
            --m_holds;
        m_parked = false;
    }
    m_wake.notify_all();
}

void ThumbnailCacheWriter::setHoldLimit(qint64 bytes)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_holdLimit = bytes;
        m_parked = false;
    }
    m_wake.notify_all();
}

void ThumbnailCacheWriter::setReleased(std::function<void(qint64)> released)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_released = std::move(released);
}

void ThumbnailCacheWriter::waitForIdle()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_waiters;
    m_wake.notify_all();
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
    --m_waiters;
}

void ThumbnailCacheWriter::waitUntilSettled()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_thread.joinable() || (m_parked && !m_busy); });
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
        const auto writable = [this] {
            return m_stop || (!m_queue.empty() &&
                              (m_holds == 0 || m_waiters > 0 || m_queuedBytes > m_holdLimit));
        };
        while (!writable()) {
            m_parked = true;
            m_idle.notify_all();
            m_wake.wait(lock);
        }
        m_parked = false;
        if (m_stop)
            break;
        ThumbnailCache::Entry entry = std::move(m_queue.front());
        m_queue.pop_front();
        const qint64 bytes = bytesOf(entry);
        m_queuedBytes -= bytes;
        m_busy = true;
        const std::function<void(qint64)> released = m_released;
        lock.unlock();
        const bool ok = m_cache.write(entry);
        entry = {}; // the picture is freed before the lock is taken again
        if (released && bytes > 0)
            released(bytes);
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
