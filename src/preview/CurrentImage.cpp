#include "preview/CurrentImage.h"

#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent>

#include "layout/Twips.h"
#include "platform/SafeFile.h"
#include "preview/SeamScore.h"
#include "ui/FileText.h"

namespace {

// How long the end waits for a decode already running before leaving it to finish alone.
constexpr int AbandonAfterMs = 100;

void endPool(QThreadPool* pool)
{
    pool->clear();
    // A decode cannot be interrupted: closing the program never waits for a large picture.
    if (pool->waitForDone(AbandonAfterMs))
        delete pool;
}

bool isJpeg(const QString& path)
{
    const std::unique_ptr<QFile> file = SafeFile::openForReading(path);
    return file && QtImageDecoder::rasterFormat(file->peek(16)) == "jpeg";
}

} // namespace

CurrentImage::CurrentImage(const ImageDecoder& decoder, QObject* parent)
    : QObject(parent), m_decoder(decoder), m_loads(new QThreadPool), m_reloads(new QThreadPool)
{
    m_loads->setMaxThreadCount(1);
    m_reloads->setMaxThreadCount(1);
}

CurrentImage::~CurrentImage()
{
    endPool(m_loads);
    endPool(m_reloads);
}

QString CurrentImage::path() const
{
    return FileText::join(m_folder, m_file);
}

const QPixmap& CurrentImage::pixmap() const
{
    if (m_pixmap.isNull() && !m_preview.isNull())
        m_pixmap = QPixmap::fromImage(m_preview);
    return m_pixmap;
}

std::optional<int> CurrentImage::seamScore(const Repeat& repeat) const
{
    if (m_scoredRepeat != repeat)
        m_seamScore.reset();
    m_scoredRepeat = repeat;
    if (!m_seamScore && !m_image.isNull())
        m_seamScore = SeamScore::of(m_image, repeat);
    return m_seamScore;
}

void CurrentImage::setPicture(const QImage& image, const QSize& natural)
{
    m_preview = image;
    m_pixmap = QPixmap();
    m_seamScore.reset();
    if (!natural.isEmpty()) {
        m_picWidth = Twips::fromPixels(natural.width());
        m_picHeight = Twips::fromPixels(natural.height());
    }
}

void CurrentImage::load(const QString& folder, const QString& file, const QSize& previewPixels)
{
    ++m_loadTicket;
    m_loads->clear();
    m_folder = folder;
    m_file = file;
    m_image = QImage();
    m_loading = false;
    setPicture({}, {});
    m_failure = DecodedImage::Failure::None;
    if (file.isEmpty()) {
        Q_EMIT changed();
        return;
    }
    const QString path = this->path();
    const std::optional<qint64> length = SafeFile::regularFileSize(path);
    const bool quick = previewPixels.isEmpty() || !length || *length <= QuickLength;
    if (!quick && !isJpeg(path)) {
        // Nothing quick to show: the whole picture comes from the background.
        loadInBackground(path);
        Q_EMIT changed();
        return;
    }
    // A JPEG decodes at an eighth, a quarter or a half of its size for little of the time.
    const DecodedImage decoded =
        quick ? m_decoder.decode(path) : m_decoder.decodeScaled(path, previewPixels);
    m_failure = decoded.ok() ? DecodedImage::Failure::None : decoded.failure;
    if (decoded.ok()) {
        setPicture(decoded.image,
                   decoded.naturalSize.isEmpty() ? decoded.image.size() : decoded.naturalSize);
        if (quick || decoded.image.size() == decoded.naturalSize)
            m_image = decoded.image;
        else
            loadInBackground(path);
    }
    Q_EMIT changed();
}

void CurrentImage::loadInBackground(const QString& path)
{
    m_loading = true;
    const quint64 ticket = m_loadTicket;
    const ImageDecoder& decoder = m_decoder;
    auto* watcher = new QFutureWatcher<DecodedImage>(this);
    connect(watcher, &QFutureWatcher<DecodedImage>::finished, this, [this, watcher, ticket, path] {
        watcher->deleteLater();
        // The user has chosen another file meanwhile: it is no longer wanted.
        if (ticket != m_loadTicket || path != this->path())
            return;
        m_loading = false;
        const DecodedImage decoded =
            watcher->future().resultCount() > 0 ? watcher->result() : DecodedImage();
        if (decoded.ok()) {
            m_image = decoded.image;
            setPicture(decoded.image, decoded.image.size());
        } else {
            // The quick picture stays on show; the file is known not to decode whole.
            m_failure = decoded.failure;
        }
        Q_EMIT changed();
        Q_EMIT fullPictureArrived();
    });
    watcher->setFuture(
        QtConcurrent::run(m_loads, [&decoder, path] { return decoder.decode(path); }));
}

void CurrentImage::reload()
{
    if (!isSet())
        return;
    const quint64 ticket = ++m_reloadTicket;
    const QString path = this->path();
    const ImageDecoder& decoder = m_decoder;
    auto* watcher = new QFutureWatcher<DecodedImage>(this);
    connect(watcher, &QFutureWatcher<DecodedImage>::finished, this, [this, watcher, ticket, path] {
        watcher->deleteLater();
        const DecodedImage decoded = watcher->result();
        // A newer reload is on its way, or the user has chosen another file meanwhile.
        if (ticket != m_reloadTicket || !isSet() || path != this->path() || !decoded.ok()) {
            Q_EMIT reloadFinished(false);
            return;
        }
        ++m_loadTicket; // a first decode still on its way would be older
        m_loading = false;
        m_image = decoded.image;
        setPicture(decoded.image, decoded.image.size());
        m_failure = DecodedImage::Failure::None;
        Q_EMIT changed();
        Q_EMIT reloadFinished(true);
    });
    watcher->setFuture(
        QtConcurrent::run(m_reloads, [&decoder, path] { return decoder.decodeComplete(path); }));
}

void CurrentImage::clear()
{
    ++m_loadTicket;
    m_loads->clear();
    m_loading = false;
    m_file.clear();
    m_image = QImage();
    setPicture({}, {});
    m_failure = DecodedImage::Failure::None;
    Q_EMIT cleared();
}
