#pragma once

#include <QCoreApplication>
#include <QHash>
#include <QString>

// After a listing that leaves the status line empty: how many pictures of types that are
// switched off the folder holds, and where to turn them on. Counted from the names the scan
// read and did not list, by their lower-case extension.
class UnlistedTypesHint
{
    Q_DECLARE_TR_FUNCTIONS(UnlistedTypesHint)

public:
    // Empty when none of the unlisted names is of a picture type.
    static QString text(const QHash<QString, int>& unlistedSuffixes);
};
