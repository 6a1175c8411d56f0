#include "platform/FileSystemFolderModel.h"

#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

#include <sys/stat.h>

// Leaves out hidden folders except those on the way to the revealed folder, so that a
// current folder inside a hidden one can still be shown and selected.
class HiddenFolderFilter : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setRevealed(const QString& path)
    {
        if (m_revealed == path)
            return;
        m_revealed = path;
        invalidateFilter();
    }

    // Before a folder is read, its link count tells whether it has subfolders at all: each
    // subfolder's ".." links to it. Filesystems that do not count (btrfs says 1) keep the arrow.
    bool hasChildren(const QModelIndex& parent) const override
    {
        if (!parent.isValid())
            return QSortFilterProxyModel::hasChildren(parent);
        const QModelIndex source = mapToSource(parent);
        auto* fs = static_cast<QFileSystemModel*>(sourceModel());
        if (fs->canFetchMore(source) && !maySubfolder(fs->filePath(source)))
            return false;
        return QSortFilterProxyModel::hasChildren(parent);
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        auto* fs = static_cast<QFileSystemModel*>(sourceModel());
        const QModelIndex index = fs->index(row, 0, parent);
        const QString name = fs->fileName(index);
        if (!name.startsWith(QLatin1Char('.')))
            return true;
        const QString path = fs->filePath(index);
        return m_revealed == path || m_revealed.startsWith(path + QLatin1Char('/'));
    }

private:
    static bool maySubfolder(const QString& path)
    {
        struct stat info = {};
        if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
            return true;
        return info.st_nlink != 2;
    }

    QString m_revealed;
};

FileSystemFolderModel::FileSystemFolderModel(QObject* parent)
    : FolderModel(parent), m_icons(std::make_unique<QFileIconProvider>()),
      m_source(std::make_unique<QFileSystemModel>()), m_proxy(new HiddenFolderFilter(this))
{
    // Hidden entries are read so that the proxy can reveal one; it hides the rest.
    m_source->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::Drives);
    m_source->setReadOnly(true);
    // Watching every expanded folder costs inotify handles and buys little for a browser.
    m_source->setOption(QFileSystemModel::DontWatchForChanges, true);
    m_source->setOption(QFileSystemModel::DontUseCustomDirectoryIcons, true);
    // The widgets' provider falls back on the style's own folder and drive pictures, so
    // rows have icons even where no icon theme is installed.
    m_source->setIconProvider(m_icons.get());
    m_source->setRootPath(QStringLiteral("/"));
    m_proxy->setSourceModel(m_source.get());
    m_proxy->setDynamicSortFilter(true);
    m_proxy->sort(0, Qt::AscendingOrder);
    connect(m_source.get(), &QFileSystemModel::directoryLoaded, this,
            &FolderModel::directoryLoaded);
}

FileSystemFolderModel::~FileSystemFolderModel() = default;

QAbstractItemModel* FileSystemFolderModel::itemModel()
{
    return m_proxy;
}

QModelIndex FileSystemFolderModel::indexOf(const QString& path)
{
    const QModelIndex source = m_source->index(path);
    if (!source.isValid())
        return {};
    return m_proxy->mapFromSource(source);
}

QString FileSystemFolderModel::pathOf(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    return m_source->filePath(m_proxy->mapToSource(index));
}

void FileSystemFolderModel::revealPath(const QString& path)
{
    m_proxy->setRevealed(path);
}
