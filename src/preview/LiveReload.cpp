#include "preview/LiveReload.h"

#include <QFileInfo>

#include "platform/SafeFile.h"

LiveReload::Identity LiveReload::Identity::of(const QString& path)
{
    Identity id;
    const std::optional<SafeFile::Status> status = SafeFile::regularFile(path);
    if (!status)
        return id;
    id.regular = true;
    id.size = status->size;
    id.modifiedNs = status->modifiedNs;
    id.device = status->device;
    id.inode = status->inode;
    return id;
}

bool LiveReload::Identity::operator==(const Identity& other) const
{
    if (!regular || !other.regular)
        return regular == other.regular;
    return size == other.size && modifiedNs == other.modifiedNs && device == other.device &&
           inode == other.inode;
}

LiveReload::LiveReload(QObject* parent) : QObject(parent), m_watcher(new QFileSystemWatcher(this))
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, &LiveReload::settled);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this,
            [this](const QString& path) { somethingChanged(path == m_path); });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this,
            [this] { somethingChanged(false); });
}

void LiveReload::watch(const QString& path)
{
    if (path == m_path)
        return;
    m_settle.stop();
    const QStringList watched = m_watcher->files() + m_watcher->directories();
    if (!watched.isEmpty())
        m_watcher->removePaths(watched);
    m_path = path;
    m_watched = {};
    m_reported = {};
    m_candidate = {};
    m_written = false;
    if (path.isEmpty())
        return;
    m_watcher->addPath(QFileInfo(path).absolutePath());
    m_reported = Identity::of(path);
    watchFile(m_reported);
}

void LiveReload::watchFile(const Identity& now)
{
    const bool held = m_watcher->files().contains(m_path);
    const bool sameFile = now.regular && m_watched.regular && now.device == m_watched.device &&
                          now.inode == m_watched.inode;
    if (held && sameFile)
        return;
    // A file renamed over the old one is another inode: a watch the watcher still holds
    // follows a file that is no longer at this path. One it dropped, when the old file went,
    // is made again (the new file may even have been given the old inode's number).
    if (held)
        m_watcher->removePath(m_path);
    m_watched = {};
    if (now.regular && m_watcher->addPath(m_path))
        m_watched = now;
}

void LiveReload::somethingChanged(bool ownEvent)
{
    if (m_path.isEmpty())
        return;
    const Identity now = Identity::of(m_path);
    watchFile(now);
    // The file's own events always count: two saves within the file system's clock tick leave
    // the same length and time behind. The folder's count only when the file is another, so
    // that a busy folder neither reads the picture again nor keeps putting its reading off.
    if (ownEvent)
        m_written = true;
    else if (m_settle.isActive() ? now == m_candidate : (now == m_reported && !m_written))
        return;
    // Each change of the file starts the wait again: it is read once its writer is done.
    m_candidate = now;
    m_settle.start();
}

void LiveReload::settled()
{
    const Identity now = Identity::of(m_path);
    if (now != m_candidate) {
        m_candidate = now;
        m_settle.start();
        return;
    }
    // A deleted file keeps its last picture; other files of the folder leave it alone.
    if (!now.regular || (now == m_reported && !m_written))
        return;
    m_reported = now;
    m_written = false;
    Q_EMIT fileChanged(m_path);
}
