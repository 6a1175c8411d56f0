#include "preview/CurrentImage.h"

#include <QFutureWatcher>
#include <QtConcurrent>

#include "layout/Twips.h"
#include "preview/SeamScore.h"
#include "ui/FileText.h"

CurrentImage::CurrentImage(const ImageDecoder& decoder, QObject* parent)
    : QObject(parent), m_decoder(decoder)
{
    m_reloads.setMaxThreadCount(1);
}

QString CurrentImage::path() const
{
    return FileText::join(m_folder, m_file);
}

const QPixmap& CurrentImage::pixmap() const
{
    if (m_pixmap.isNull() && !m_image.isNull())
        m_pixmap = QPixmap::fromImage(m_image);
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

void CurrentImage::load(const QString& folder, const QString& file)
{
    m_folder = folder;
    m_file = file;
    m_pixmap = QPixmap();
    m_seamScore.reset();
    if (file.isEmpty()) {
        Q_EMIT changed();
        return;
    }
    const DecodedImage decoded = m_decoder.decode(path());
    m_failure = decoded.ok() ? DecodedImage::Failure::None : decoded.failure;
    m_image = decoded.ok() ? decoded.image : QImage();
    if (decoded.ok()) {
        m_picWidth = Twips::fromPixels(m_image.width());
        m_picHeight = Twips::fromPixels(m_image.height());
    }
    Q_EMIT changed();
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
        m_image = decoded.image;
        m_pixmap = QPixmap();
        m_seamScore.reset();
        m_failure = DecodedImage::Failure::None;
        m_picWidth = Twips::fromPixels(m_image.width());
        m_picHeight = Twips::fromPixels(m_image.height());
        Q_EMIT changed();
        Q_EMIT reloadFinished(true);
    });
    watcher->setFuture(
        QtConcurrent::run(&m_reloads, [&decoder, path] { return decoder.decodeComplete(path); }));
}

void CurrentImage::clear()
{
    m_file.clear();
    m_image = QImage();
    m_pixmap = QPixmap();
    m_seamScore.reset();
    m_failure = DecodedImage::Failure::None;
    Q_EMIT cleared();
}
