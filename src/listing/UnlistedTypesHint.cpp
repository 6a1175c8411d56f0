#include "listing/UnlistedTypesHint.h"

#include <QStringList>

#include "listing/TypeFilter.h"

QString UnlistedTypesHint::text(const QHash<QString, int>& unlistedSuffixes)
{
    QStringList parts;
    qint64 total = 0;
    for (TypeFilter::Type type : TypeFilter::All) {
        qint64 count = 0;
        const QStringList suffixes = TypeFilter::suffixes(type);
        for (const QString& suffix : suffixes)
            count += unlistedSuffixes.value(suffix);
        if (count == 0)
            continue;
        parts.append(QString::number(count) + u' ' + TypeFilter::displayName(type));
        total += count;
    }
    if (parts.isEmpty())
        return {};
    QString counts = parts.takeLast();
    if (!parts.isEmpty())
        counts = tr("%1 and %2").arg(parts.join(QStringLiteral(", ")), counts);
    if (total == 1)
        return tr("%1 picture here is not listed: Tools > Options (F3) turns it on").arg(counts);
    return tr("%1 pictures here are not listed: Tools > Options (F3) turns them on").arg(counts);
}
