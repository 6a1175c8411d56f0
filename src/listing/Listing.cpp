#include "listing/Listing.h"

#include <QLabel>

#include <cstring>

#include "listing/FileList.h"
#include "listing/FileListModel.h"
#include "listing/IconCache.h"
#include "listing/UnlistedTypesHint.h"
#include "ui/FileText.h"
#include "ui/HoverHint.h"
#include "ui/StatusBar.h"
#include "ui/WaitCursor.h"

QString Listing::noImagesText()
{
    return tr("This directory does not contain supported images.");
}

namespace {

QString countText(int count)
{
    return Listing::tr("Images : %1").arg(count);
}

} // namespace

Listing::Listing(FileList& files, FileListModel& model, IconCache& icons, QLabel& countLabel,
                 StatusBar& status, Hooks hooks, QObject* parent)
    : QObject(parent), m_files(files), m_model(model), m_icons(icons), m_count(countLabel),
      m_status(status), m_hooks(std::move(hooks))
{
    m_model.setIconCache(&m_icons);
}

QString Listing::unreadableText(const QString& folder, int error)
{
    if (error == 0)
        return tr("The folder %1 cannot be read.").arg(folder);
    return tr("The folder %1 cannot be read (%2).")
        .arg(folder, QString::fromLocal8Bit(std::strerror(error)));
}

void Listing::fill()
{
    QVector<FileListModel::Row> rows;
    rows.reserve(m_files.count());
    const QString folder = m_files.path();
    for (int i = 0; i < m_files.count(); ++i) {
        const QString name = m_files.name(i);
        FileListModel::Row row;
        row.name = name;
        row.size = std::max<qint64>(0, m_files.size(i));
        row.sizeText = FileText::formatSize(row.size);
        row.icon = m_icons.indexFor(FileText::join(folder, name));
        rows.append(row);
    }
    m_model.append(rows);
    m_hooks.listFilled();
}

void Listing::clearList()
{
    m_model.clear();
    m_hooks.clearPreview();
}

void Listing::reportUnreadable()
{
    // Said rather than silently showing an empty folder, or another folder's files.
    if (!m_files.canRead())
        m_status.showSimple(unreadableText(m_files.path(), m_files.error()));
}

void Listing::showUnlistedHint()
{
    const QString hint = UnlistedTypesHint::text(m_files.unlistedSuffixes());
    if (!hint.isEmpty())
        m_status.showSimple(hint);
}

void Listing::showFiles()
{
    m_count.setText(countText(m_files.count()));
    fill();
    m_hooks.buildThumbnails();
}

void Listing::refresh()
{
    WaitCursor wait;
    clearList();
    m_hooks.showThumbSurface(false);
    const QString folder = m_files.path().isEmpty() ? m_hooks.treeFolder() : m_files.path();
    m_files.setPath(folder);
    if (m_files.count() == 0) {
        m_count.setText(tr("Images : "));
        m_hooks.emptyThumbnails();
        m_status.showSimple(QString());
        showUnlistedHint();
        reportUnreadable();
    } else {
        showFiles();
        m_status.showSimple(HoverHint::text());
    }
    m_hooks.showThumbSurface(true);
}

void Listing::treeChanged()
{
    const QString folder = m_hooks.treeFolder();
    if (m_files.path() == folder)
        return;
    m_hooks.closeTiledView();
    WaitCursor wait;
    m_status.showSimple(QString());
    clearList();
    m_files.setPath(folder);
    if (m_files.count() == 0) {
        m_count.setText(tr("Images : "));
        m_hooks.emptyThumbnails();
    } else {
        fill();
        m_hooks.buildThumbnails();
        m_count.setText(countText(m_files.count()));
    }
    showUnlistedHint();
    reportUnreadable();
}

void Listing::browsed(const QString& folder, const QString& pattern)
{
    if (folder.isEmpty() || folder == m_files.path())
        return;
    m_hooks.closeTiledView();
    {
        WaitCursor wait;
        clearList();
        m_files.setPattern(pattern);
        m_files.setPath(folder);
        m_hooks.setTreeFolder(m_files.path());
        m_hooks.saveFolder(m_hooks.treeFolder());
        if (m_files.count() == 0) {
            m_count.setText(tr("Images :"));
            m_hooks.emptyThumbnails();
            m_status.showSimple(noImagesText());
            reportUnreadable();
            return;
        }
        showFiles();
    }
    m_status.showSimple(QString());
    showUnlistedHint();
}

void Listing::typesChanged(const QString& pattern, const std::function<void()>& showCaption)
{
    WaitCursor wait;
    clearList();
    m_hooks.showThumbSurface(false);
    if (showCaption)
        showCaption();
    m_files.setPattern(pattern);
    m_files.refresh();
    if (m_files.count() == 0) {
        m_count.setText(tr("Images :"));
        m_hooks.emptyThumbnails();
        m_status.setSimpleText(noImagesText());
        reportUnreadable();
    } else {
        showFiles();
        m_status.showSimple(HoverHint::text());
    }
    m_hooks.showThumbSurface(true);
}
