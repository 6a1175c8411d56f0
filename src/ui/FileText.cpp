#include "ui/FileText.h"

#include <QLocale>

QString FileText::join(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return name;
    const bool folderSlash = folder.endsWith(u'/');
    const bool nameSlash = name.startsWith(u'/');
    if (folderSlash && nameSlash)
        return folder + name.mid(1);
    if (folderSlash || nameSlash)
        return folder + name;
    return folder + u'/' + name;
}

QString FileText::formatSize(qint64 length)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(length);
}
