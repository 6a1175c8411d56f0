#pragma once

#include <QString>
#include <QtGlobal>

// How file names and lengths are written, shared by the listing and the preview.
class FileText
{
public:
    // The folder and the name with exactly one slash between them.
    static QString join(const QString& folder, const QString& name);
    // A length with thousands separators ("#,##0" in the user's locale).
    static QString formatSize(qint64 length);
};
