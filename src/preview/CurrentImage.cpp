#include "preview/CurrentImage.h"

#include "layout/Twips.h"
#include "ui/FileText.h"

CurrentImage::CurrentImage(const ImageDecoder& decoder, QObject* parent)
    : QObject(parent), m_decoder(decoder)
{
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

void CurrentImage::load(const QString& folder, const QString& file)
{
    m_folder = folder;
    m_file = file;
    m_pixmap = QPixmap();
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

bool CurrentImage::reload(const QString& path)
{
    // A change noticed just before the user chose another file is not this picture's.
    if (!isSet() || path != this->path())
        return false;
    const DecodedImage decoded = m_decoder.decodeComplete(path);
    if (!decoded.ok())
        return false;
    m_image = decoded.image;
    m_pixmap = QPixmap();
    m_failure = DecodedImage::Failure::None;
    m_picWidth = Twips::fromPixels(m_image.width());
    m_picHeight = Twips::fromPixels(m_image.height());
    Q_EMIT changed();
    return true;
}

void CurrentImage::clear()
{
    m_file.clear();
    m_image = QImage();
    m_pixmap = QPixmap();
    m_failure = DecodedImage::Failure::None;
    Q_EMIT cleared();
}
