#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QVector>

class FileTypeInfo;
class ImageDecoder;

// One icon and type name per upper-cased extension, and per full path for icon files,
// which show their own picture. Entries are only added, so later listings reuse them.
class IconCache
{
public:
    IconCache(const FileTypeInfo& types, const ImageDecoder& decoder);

    // The entry for a file, created on first use.
    int indexFor(const QString& path);
    QIcon icon(int index) const;
    QString typeName(int index) const;
    QString key(int index) const;
    int size() const { return m_entries.size(); }

    static QString keyFor(const QString& path);

private:
    struct Entry
    {
        QString key;
        QIcon icon;
        QString typeName;
    };
    QIcon iconOfIconFile(const QString& path) const;

    const FileTypeInfo& m_types;
    const ImageDecoder& m_decoder;
    QVector<Entry> m_entries;
    QHash<QString, int> m_index;
};
