#include "platform/FileTypeInfo.h"

#include <QFileInfo>
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

void MimeFileTypeInfo::chooseIconTheme()
{
    const QString current = QIcon::themeName();
    if (!current.isEmpty() && current != QLatin1String("hicolor"))
        return;
    for (const QString& theme : {QStringLiteral("Adwaita"), QStringLiteral("breeze")}) {
        for (const QString& base : QIcon::themeSearchPaths()) {
            if (QFileInfo::exists(base + QLatin1Char('/') + theme +
                                  QStringLiteral("/index.theme"))) {
                QIcon::setThemeName(theme);
                return;
            }
        }
    }
}
