#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QtGlobal>

// Notices when the current picture's file changes on disk, for the artist who edits the tile
// in a paint program beside us. The file and its folder are both watched, since editors often
// save by writing a new file and renaming it over the old one, which ends a watch on the file
// itself. A change is reported once the file has stopped changing for a moment, so that a
// file still being written is not read; a flood of changes gives one report.
class LiveReload : public QObject
{
    Q_OBJECT
public:
    // How long the file must stay the same before it is reported, in milliseconds.
    static constexpr int SettleMs = 200;

    // What tells one version of a file from another.
    struct Identity
    {
        bool regular = false; // false: missing, or not a regular file
        qint64 size = 0;
        qint64 modifiedNs = 0;
        quint64 device = 0;
        quint64 inode = 0;

        static Identity of(const QString& path);
        bool operator==(const Identity& other) const;
        bool operator!=(const Identity& other) const { return !(*this == other); }
    };

    explicit LiveReload(QObject* parent);

    // Follows this file from now on, as it is at this moment; an empty path watches nothing.
    void watch(const QString& path);
    QString path() const { return m_path; }

Q_SIGNALS:
    // The file settled after a change of its own: a version not reported before, or a write
    // that left the same length and time behind. Reported once, whether or not the reader then
    // manages to read it; a file that is missing or not a regular file is never reported.
    void fileChanged(const QString& path);

private:
    // ownEvent: reported by the file's own watch, not the folder's.
    void somethingChanged(bool ownEvent);
    void settled();
    // Watches the file that now stands at the path, if any.
    void watchFile(const Identity& now);

    QFileSystemWatcher* m_watcher;
    QTimer m_settle;
    QString m_path;
    Identity m_reported;    // the version last reported, or the one there when the watch began
    Identity m_candidate;   // the version seen when the settle began
    Identity m_watched;     // the file the watcher follows
    bool m_written = false; // the file itself reported a change since the last report
};
