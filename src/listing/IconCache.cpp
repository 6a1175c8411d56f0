#include "listing/IconCache.h"

#include <QPixmap>

#include "platform/FileTypeInfo.h"
#include "platform/ImageDecoder.h"

IconCache::IconCache(const FileTypeInfo& types, const ImageDecoder& decoder)
    : m_types(types), m_decoder(decoder)
{
}

QString IconCache::keyFor(const QString& path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot > slash ? path.mid(dot + 1).toUpper() : QString();
    return extension == QLatin1String("ICO") ? path.toUpper() : extension;
}

int IconCache::indexFor(const QString& path)
{
    const QString key = keyFor(path);
    const auto found = m_index.constFind(key);
    if (found != m_index.constEnd())
        return *found;
    Entry entry{key, QIcon(), m_types.typeName(path)};
    if (key != path.toUpper() || key.isEmpty())
        entry.icon = m_types.icon(path);
    else
        entry.icon = iconOfIconFile(path);
    m_entries.append(entry);
    m_index.insert(key, m_entries.size() - 1);
    return m_entries.size() - 1;
}

QIcon IconCache::iconOfIconFile(const QString& path) const
{
    const DecodedImage decoded = m_decoder.decodeScaled(path, QSize(32, 32));
    if (!decoded.ok())
        return m_types.icon(path);
    QIcon icon;
    for (int side : {16, 32})
        icon.addPixmap(QPixmap::fromImage(
            decoded.image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    return icon;
}

QIcon IconCache::icon(int index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries[index].icon : QIcon();
}

QString IconCache::typeName(int index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries[index].typeName : QString();
}

QString IconCache::key(int index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries[index].key : QString();
}
