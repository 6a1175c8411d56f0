#pragma once

#include <QSize>
#include <QtGlobal>

#include <vector>

class QIODevice;

// How much memory one thumbnail decode will hold at its peak, read from the file's header
// before anything is decoded, and which decodes may run together so that the sum in flight
// stays within a limit. Pure: no threads and no widgets; the builder locks around it.
class DecodeBudget
{
public:
    static constexpr qint64 MiB = 1024 * 1024;
    // What the decodes of one build may hold at once. A file that alone needs more decodes
    // with nothing beside it.
    static constexpr qint64 DefaultLimit = 64 * MiB;
    // A thumbnail whose decode would need more than this is not made at all: its cell stays
    // blank (the preview still decodes it on request).
    static constexpr qint64 Ceiling = 256 * MiB;
    // The decoder reads files up to this length whole, into memory.
    static constexpr qint64 WholeReadLimit = 32 * MiB;

    enum class Kind
    {
        Unknown,
        JpegBaseline,
        JpegProgressive,
        Png,
        Gif,
        Bmp,
        Ico,
        Tiff,
        WebP
    };

    struct Estimate
    {
        Kind kind = Kind::Unknown;
        QSize size;       // the picture's size as its header gives it; empty when unknown
        qint64 bytes = 0; // the peak, file bytes included
    };

    // The peak of a decode scaled to cover `target` (empty: the natural size) of a file of
    // `fileSize` bytes whose contents `file` reads (from its start; it is read and seeked).
    static Estimate estimate(QIODevice& file, qint64 fileSize, const QSize& target);

    explicit DecodeBudget(qint64 limit = DefaultLimit) : m_limit(limit) {}

    // Which job to start now: an index into `costs` (largest first; a negative cost marks a
    // job already started, and those before `from` are all started), or -1 to wait for a
    // running one to finish. With nothing running the first pending job starts, however
    // large; otherwise the first that fits beside what runs.
    int pick(const std::vector<qint64>& costs, std::size_t from = 0) const;
    void started(qint64 cost);
    void finished(qint64 cost);
    // Whether a decode of this cost may start now: nothing running, or it fits.
    bool admits(qint64 cost) const { return m_running == 0 || m_inFlight + cost <= m_limit; }
    // Memory held outside any decode (pictures waiting for their cell or their cache entry).
    void hold(qint64 bytes) { m_inFlight += bytes; }
    void letGo(qint64 bytes) { m_inFlight -= bytes; }
    void setLimit(qint64 limit) { m_limit = limit; }

    qint64 inFlight() const { return m_inFlight; }
    int running() const { return m_running; }
    qint64 limit() const { return m_limit; }

private:
    qint64 m_limit;
    qint64 m_inFlight = 0;
    int m_running = 0;
};
