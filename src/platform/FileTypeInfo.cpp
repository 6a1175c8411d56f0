#include "platform/FileTypeInfo.h"

#include <QMimeDatabase>

QString MimeFileTypeInfo::typeName(const QString& path) const
{
    return QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).comment();
}

QIcon MimeFileTypeInfo::icon(const QString& path) const
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull())
        icon = QIcon(QStringLiteral(":/icons/file-image.svg"));
    return icon;
}
