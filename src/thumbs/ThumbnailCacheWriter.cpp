#include "thumbs/ThumbnailCacheWriter.h"

#include "platform/ImageDecoder.h"

ThumbnailCacheWriter::ThumbnailCacheWriter(const ThumbnailCache& cache, const ImageDecoder* decoder)
    : m_cache(cache), m_decoder(decoder)
{
}

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
    }
    m_wake.notify_all();
}

void ThumbnailCacheWriter::waitForIdle()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_waiters;
    m_wake.notify_all();
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
    --m_waiters;
}

int ThumbnailCacheWriter::written() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_written;
}

bool ThumbnailCacheWriter::complete(ThumbnailCache::Entry& entry) const
{
    if (!entry.decodeLater)
        return true;
    if (!m_decoder)
        return false;
    entry.decodeLater = false;
    const QSize box = ThumbnailCache::thumbnailSize(entry.natural, entry.flavour);
    const DecodedImage decoded = m_decoder->decodeScaled(entry.source.path, box);
    if (!decoded.ok()) {
        // As in the build: only a file that could not be read may do better next time.
        entry.image = {};
        return decoded.failure != DecodedImage::Failure::Unreadable;
    }
    const QSize made = ThumbnailCache::thumbnailSize(decoded.naturalSize, entry.flavour);
    if (made.isEmpty())
        return false;
    entry.natural = decoded.naturalSize;
    entry.image = decoded.image.scaled(made, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return true;
}

void ThumbnailCacheWriter::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] {
            return m_stop || (!m_queue.empty() && (m_holds == 0 || m_waiters > 0));
        });
        if (m_stop)
            break;
        ThumbnailCache::Entry entry = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        const bool ok = complete(entry) && m_cache.write(entry);
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
