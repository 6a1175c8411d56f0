#include "thumbs/ThumbnailQueue.h"

#include <QThread>
#include <QThreadPool>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "platform/ImageDecoder.h"
#include "thumbs/ThumbnailCacheWriter.h"

namespace {

// How long the queue's end waits for decodes already running before leaving them.
constexpr int AbandonAfterMs = 150;

struct Batch
{
    QStringList paths;
    ThumbnailBuilder::Setup setup;
};

// The pool's threads give way to the window's: on a machine whose cores they fill, the event
// loop still runs at once. Linux sets the nice value per thread.
void yieldToTheWindow()
{
    static thread_local bool lowered = false;
    if (!std::exchange(lowered, true))
        setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10);
}

qint64 bytesOf(const QImage& image)
{
    return image.isNull() ? 0 : qint64(image.sizeInBytes());
}

} // namespace

struct ThumbnailQueue::State
{
    const ImageDecoder* decoder = nullptr;
    int threads = 1;
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    bool stopped = false;
    std::function<void()> ready;
    ThumbnailCacheWriter* writer = nullptr;

    quint64 generation = 0;
    std::shared_ptr<const Batch> batch;
    std::vector<int> order; // what is left to start: order[next...]
    std::size_t next = 0;
    std::vector<char> started;
    int total = 0;
    int made = 0;
    int workers = 0;

    DecodeBudget budget;
    std::vector<Result> results;
    std::vector<qint64> resultBytes;
    std::vector<ThumbnailCache::Entry> entries;
    Stats stats;

    void hold(qint64 bytes)
    {
        budget.hold(bytes);
        stats.peakHeld = std::max(stats.peakHeld, budget.inFlight());
    }
};

ThumbnailQueue::ThumbnailQueue(const ImageDecoder& decoder, int threads)
    : m_state(std::make_shared<State>()), m_pool(new QThreadPool)
{
    m_state->decoder = &decoder;
    m_state->threads = threads > 0 ? threads : std::max(1, QThread::idealThreadCount());
    m_pool->setMaxThreadCount(m_state->threads);
}

ThumbnailQueue::~ThumbnailQueue()
{
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->stopped = true;
        m_state->ready = nullptr;
        m_state->writer = nullptr;
        m_state->order.clear();
        m_state->next = 0;
    }
    m_state->changed.notify_all();
    m_pool->clear();
    // A decode cannot be interrupted; one still running after a moment is left to finish on
    // its own, with the pool, so that closing the program never waits for a large picture.
    if (m_pool->waitForDone(AbandonAfterMs))
        delete m_pool;
}

void ThumbnailQueue::setReady(std::function<void()> ready)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->ready = std::move(ready);
}

void ThumbnailQueue::setWriter(ThumbnailCacheWriter* writer)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->writer = writer;
    if (!writer)
        return;
    const std::weak_ptr<State> weak = m_state;
    writer->setReleased([weak](qint64 bytes) {
        if (const std::shared_ptr<State> s = weak.lock()) {
            {
                std::lock_guard<std::mutex> lock(s->mutex);
                s->budget.letGo(bytes);
            }
            s->changed.notify_all();
        }
    });
}

void ThumbnailQueue::write(ThumbnailCache::Entry entry)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    if (!m_state->writer)
        return;
    m_state->hold(bytesOf(entry.image));
    m_state->writer->add({std::move(entry)});
}

void ThumbnailQueue::start(const QStringList& paths, const ThumbnailBuilder::Setup& setup,
                           qint64 budget, const std::vector<int>& order)
{
    auto batch = std::make_shared<Batch>();
    batch->paths = paths;
    batch->setup = setup;
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        State& s = *m_state;
        ++s.generation;
        s.batch = std::move(batch);
        s.total = int(paths.size());
        s.made = 0;
        s.order.resize(std::size_t(s.total));
        for (int i = 0; i < s.total; ++i)
            s.order[std::size_t(i)] = i;
        s.next = 0;
        s.started.assign(std::size_t(s.total), 0);
        for (qint64 bytes : s.resultBytes)
            s.budget.letGo(bytes);
        s.results.clear();
        s.resultBytes.clear();
        s.entries.clear();
        s.stats = {};
        s.budget.setLimit(budget);
    }
    if (!order.empty())
        prioritise(order);
    m_state->changed.notify_all();
    startWorkers();
}

void ThumbnailQueue::cancel()
{
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        State& s = *m_state;
        ++s.generation;
        s.batch.reset();
        s.order.clear();
        s.next = 0;
        s.started.clear();
        s.total = s.made = 0;
        for (qint64 bytes : s.resultBytes)
            s.budget.letGo(bytes);
        s.results.clear();
        s.resultBytes.clear();
        s.entries.clear();
    }
    m_state->changed.notify_all();
}

void ThumbnailQueue::prioritise(const std::vector<int>& order)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    State& s = *m_state;
    if (s.next >= s.order.size())
        return;
    std::vector<char> named(std::size_t(s.total), 0);
    std::vector<int> now;
    now.reserve(s.order.size() - s.next);
    for (int i : order) {
        if (i < 0 || i >= s.total || named[std::size_t(i)] || s.started[std::size_t(i)])
            continue;
        named[std::size_t(i)] = 1;
        now.push_back(i);
    }
    for (std::size_t k = s.next; k < s.order.size(); ++k)
        if (!named[std::size_t(s.order[k])])
            now.push_back(s.order[k]);
    s.order = std::move(now);
    s.next = 0;
}

std::vector<ThumbnailQueue::Result> ThumbnailQueue::take()
{
    std::vector<Result> out;
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        State& s = *m_state;
        out.swap(s.results);
        for (qint64 bytes : s.resultBytes)
            s.budget.letGo(bytes);
        s.resultBytes.clear();
    }
    m_state->changed.notify_all();
    return out;
}

std::vector<ThumbnailCache::Entry> ThumbnailQueue::takeEntries()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return std::exchange(m_state->entries, {});
}

bool ThumbnailQueue::waitForDone(int ms) const
{
    std::unique_lock<std::mutex> lock(m_state->mutex);
    const auto done = [this] { return m_state->stopped || m_state->made == m_state->total; };
    if (ms < 0) {
        m_state->changed.wait(lock, done);
        return true;
    }
    return m_state->changed.wait_for(lock, std::chrono::milliseconds(ms), done);
}

ThumbnailQueue::Stats ThumbnailQueue::stats() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->stats;
}

qint64 ThumbnailQueue::held() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->budget.inFlight();
}

void ThumbnailQueue::startWorkers()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    State& s = *m_state;
    const int wanted = int(std::min<std::size_t>(std::size_t(s.threads), s.order.size() - s.next));
    while (s.workers < wanted) {
        ++s.workers;
        const std::shared_ptr<State> state = m_state;
        m_pool->start([state] { work(state); });
    }
}

void ThumbnailQueue::work(const std::shared_ptr<State>& s)
{
    yieldToTheWindow();
    std::unique_lock<std::mutex> lock(s->mutex);
    while (!s->stopped && s->next < s->order.size()) {
        const int index = s->order[s->next++];
        s->started[std::size_t(index)] = 1;
        const quint64 generation = s->generation;
        const std::shared_ptr<const Batch> batch = s->batch;
        const ImageDecoder& decoder = *s->decoder;
        const auto stale = [&s, generation] { return s->stopped || s->generation != generation; };
        lock.unlock();

        const QString& path = batch->paths[index];
        const ThumbnailBuilder::Setup& setup = batch->setup;
        ThumbnailBuilder::Look look = ThumbnailBuilder::look(path, setup, decoder);
        ThumbnailQueue::Result result;
        result.index = index;
        std::optional<ThumbnailCache::Entry> entry;
        if (look.done) {
            result.cell = std::move(look.cell);
            result.natural = look.estimate.size;
            result.fromCache = look.fromCache;
            lock.lock();
        } else {
            const qint64 cost = look.estimate.bytes;
            lock.lock();
            s->changed.wait(lock, [&] { return stale() || s->budget.admits(cost); });
            if (stale())
                continue;
            s->budget.started(cost);
            s->stats.peakHeld = std::max(s->stats.peakHeld, s->budget.inFlight());
            lock.unlock();
            ThumbnailBuilder::Made made = ThumbnailBuilder::make(path, look, setup, decoder);
            lock.lock();
            s->budget.finished(cost);
            s->changed.notify_all();
            result.cell = std::move(made.cell);
            result.natural = made.natural;
            entry = std::move(made.entry);
        }
        if (stale())
            continue;
        s->stats.fromCache += result.fromCache ? 1 : 0;
        s->stats.overCeiling += look.overCeiling ? 1 : 0;
        const qint64 bytes = bytesOf(result.cell);
        s->hold(bytes);
        s->results.push_back(std::move(result));
        s->resultBytes.push_back(bytes);
        ++s->made;
        if (entry) {
            if (s->writer) {
                s->hold(bytesOf(entry->image));
                s->writer->add({std::move(*entry)});
            } else {
                s->entries.push_back(std::move(*entry));
            }
        }
        if (s->results.size() == 1 && s->ready)
            s->ready();
        s->changed.notify_all();
    }
    --s->workers;
    s->changed.notify_all();
}
