#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

// The picture files of the current folder ("Files"): the names that match the pattern, regular
// files only, in a stable case-insensitive alphabetical order. Entries are never opened while
// listing, so a FIFO or device behind a picture's name cannot block or flood the scan.
class FileList
{
public:
    QString path() const { return m_path; }
    QString pattern() const { return m_pattern; }
    // Takes effect at the next setPath() or refresh().
    void setPattern(const QString& pattern) { m_pattern = pattern; }

    // Points the list at a folder and reads it. When the folder cannot be read the path still
    // becomes `folder`, the list is empty and canRead() is false.
    bool setPath(const QString& folder);
    bool refresh();
    bool canRead() const { return m_canRead; }
    // Why the folder could not be read (an errno value), 0 when it could.
    int error() const { return m_error; }

    int count() const { return int(m_names.size()); }
    QString name(int index) const;
    const QStringList& names() const { return m_names; }
    // The length seen while listing; -1 outside the list.
    qint64 size(int index) const;
    // Every length the scan read, in name order.
    const QVector<qint64>& sizes() const { return m_sizes; }
    // How many names the last scan left out for the pattern, by lower-case extension (no
    // dot-files, folders or devices).
    const QHash<QString, int>& unlistedSuffixes() const { return m_unlistedSuffixes; }
    // Every name joined to the folder, in name order.
    QStringList paths() const;

    // ";"-separated masks, "*" and "?" wildcards, case-insensitive; a mask without wildcards
    // is an exact name.
    static bool matches(const QString& name, const QString& pattern);

private:
    void clear();

    QString m_path;
    QString m_pattern = QStringLiteral("*.bmp");
    bool m_canRead = false;
    int m_error = 0;
    QStringList m_names;
    QVector<qint64> m_sizes;
    QHash<QString, int> m_unlistedSuffixes;
};
