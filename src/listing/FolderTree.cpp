#include "listing/FolderTree.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/FolderModel.h"

FolderTree::FolderTree(FolderModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_view(new QTreeView(this))
{
    setObjectName(QStringLiteral("Tv"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    m_view->setObjectName(QStringLiteral("TvView"));
    m_view->setModel(m_model.itemModel());
    m_view->setHeaderHidden(true);
    for (int column = 1; column < m_model.itemModel()->columnCount(); ++column)
        m_view->hideColumn(column);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    // Not uniform: the one height would be taken from the root row, and on a start at "/" or
    // just below it that row is measured before it has data, which makes every row 0 high.
    m_view->setUniformRowHeights(false);
    m_view->setFrameShape(QFrame::StyledPanel);
    m_view->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_view->header()->setStretchLastSection(false);
    m_view->viewport()->installEventFilter(this);

    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { currentChanged(current); });
    connect(&m_model, &FolderModel::directoryLoaded, this, &FolderTree::directoryLoaded);
}

QString FolderTree::normalise(const QString& path)
{
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return QStringLiteral("/");
    return QDir::cleanPath(path);
}

QString FolderTree::nearestExisting(const QString& path)
{
    QString p = normalise(path);
    // Bounded by the path's depth: each step removes one component.
    while (p != QLatin1String("/") && !QFileInfo(p).isDir())
        p = normalise(QFileInfo(p).path());
    return p;
}

void FolderTree::setSelectedPath(const QString& path)
{
    m_path = nearestExisting(path);
    m_pending = m_path;
    m_model.revealPath(m_path);
    selectPending();
    reportChange();
}

void FolderTree::selectPending()
{
    if (m_pending.isEmpty())
        return;
    const QModelIndex index = m_model.indexOf(m_pending);
    if (!index.isValid())
        return;
    m_selecting = true;
    m_view->setCurrentIndex(index);
    // The root row stays open, so the tree never shrinks to one line.
    m_view->expand(m_model.indexOf(QStringLiteral("/")));
    m_view->scrollTo(index, QAbstractItemView::PositionAtCenter);
    keepNameInSight(index);
    m_selecting = false;
}

void FolderTree::keepNameInSight(const QModelIndex& index)
{
    // Every name starts near the left edge, so that edge stays in view unless the selected
    // name would then be out of sight entirely; then the tree moves only as far as it takes
    // to show that name, its start at the left edge at most.
    m_view->resizeColumnToContents(0); // the folders just opened may be the widest
    QScrollBar* across = m_view->horizontalScrollBar();
    const QRect item = m_view->visualRect(index).translated(across->value(), 0);
    const int icon = m_view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, m_view);
    const int glimpse = item.left() + icon + 2 * m_view->fontMetrics().averageCharWidth();
    const int width = m_view->viewport()->width();
    if (glimpse <= width) {
        across->setValue(0);
        return;
    }
    // The row's rectangle runs on to the column's end; the name ends where its text does.
    const int end = item.left() + icon + NameSpacing +
                    m_view->fontMetrics().horizontalAdvance(index.data().toString());
    across->setValue(std::min(end - width, item.left() - m_view->indentation()));
}

void FolderTree::directoryLoaded(const QString& directory)
{
    // Rows arrive asynchronously: select and scroll again once the path's folders are read.
    if (m_pending.isEmpty())
        return;
    const QString dir = normalise(directory);
    const QString prefix = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
    if (m_pending != dir && !m_pending.startsWith(prefix))
        return;
    selectPending();
    // Once the folder's parent is read its row exists for good: nothing more to wait for.
    if (dir == m_pending || dir == normalise(QFileInfo(m_pending).path()))
        m_pending.clear();
}

void FolderTree::currentChanged(const QModelIndex& current)
{
    if (m_selecting || !current.isValid())
        return;
    const QString path = normalise(m_model.pathOf(current));
    if (path == m_path)
        return;
    keepNameInSight(current);
    m_pending.clear();
    m_path = path;
    m_model.revealPath(m_path);
    reportChange();
}

void FolderTree::reportChange()
{
    // Queued: a report must never run inside the write that caused it.
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT folderChanged(); }, Qt::QueuedConnection);
}

bool FolderTree::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view->viewport() && (event->type() == QEvent::MouseButtonPress ||
                                          event->type() == QEvent::MouseButtonDblClick)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons().testFlag(Qt::RightButton)) {
            // Taken before the view sees it, so the right button never moves the selection.
            Q_EMIT rightPressed(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
