#include "listing/FileListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QStackedLayout>
#include <QStyle>
#include <QTreeView>

#include <algorithm>
#include <functional>

#include "listing/FileListModel.h"
#include "listing/ItemCellDelegate.h"

namespace {

// Tells apart a selection moved by a key from one moved by the program.
template <class Base> class KeyAwareView : public Base
{
public:
    using Base::Base;
    std::function<void(int)> keyboardMoved;
    std::function<void()> enterPressed;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            enterPressed();
            return;
        }
        m_byKey = true;
        Base::keyPressEvent(event);
        m_byKey = false;
    }
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override
    {
        Base::currentChanged(current, previous);
        if (m_byKey && current.isValid())
            keyboardMoved(current.row());
    }

private:
    bool m_byKey = false;
};

using IconView = KeyAwareView<QListView>;
using DetailsView = KeyAwareView<QTreeView>;

} // namespace

FileListView::FileListView(QWidget* parent)
    : QWidget(parent), m_model(new FileListModel(this)), m_icons(new IconView(this)),
      m_details(new DetailsView(this)), m_stack(new QStackedLayout(this)),
      m_cells(new ItemCellDelegate(this))
{
    setObjectName(QStringLiteral("Lv"));
    m_icons->setObjectName(QStringLiteral("LvIcons"));
    m_details->setObjectName(QStringLiteral("LvDetails"));
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_icons);
    m_stack->addWidget(m_details);

    auto moved = [this](int row) { Q_EMIT itemClicked(row); };
    auto enter = [this] { Q_EMIT enterPressed(); };
    static_cast<IconView*>(m_icons)->keyboardMoved = moved;
    static_cast<IconView*>(m_icons)->enterPressed = enter;
    static_cast<DetailsView*>(m_details)->keyboardMoved = moved;
    static_cast<DetailsView*>(m_details)->enterPressed = enter;

    m_details->setModel(m_model);
    m_icons->setModel(m_model);
    m_icons->setModelColumn(FileListModel::NameColumn);
    // One selection for every style: switching styles keeps the selected file.
    m_icons->setSelectionModel(m_details->selectionModel());
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_icons), static_cast<QAbstractItemView*>(m_details)}) {
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->viewport()->installEventFilter(this);
        view->viewport()->setMouseTracking(true);
        connect(view, &QAbstractItemView::clicked, this,
                [this](const QModelIndex& index) { Q_EMIT itemClicked(index.row()); });
        connect(view, &QAbstractItemView::doubleClicked, this,
                [this](const QModelIndex& index) { Q_EMIT itemDoubleClicked(index.row()); });
    }
    // Every cell has the size the delegate gives; asking it per item costs nothing.
    m_icons->setUniformItemSizes(false);
    m_icons->setItemDelegate(m_cells);
    // Names in the details cut once, in the middle, with the whole name in the tooltip.
    m_details->setItemDelegateForColumn(FileListModel::NameColumn, new ItemCellDelegate(this));
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        m_widestName = m_widestSize = m_widestType = 0;
        measureNames(0, m_model->rowCount() - 1);
    });
    connect(m_model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { measureNames(first, last); });
    m_icons->setResizeMode(QListView::Adjust);
    m_icons->setMovement(QListView::Static);
    m_icons->setLayoutMode(QListView::Batched);
    m_icons->setBatchSize(500);
    m_details->setRootIsDecorated(false);
    m_details->setUniformRowHeights(true);
    m_details->setItemsExpandable(false);
    m_details->setAllColumnsShowFocus(true);
    m_details->setSortingEnabled(false);
    QHeaderView* header = m_details->header();
    header->setSectionsClickable(true);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(FileListModel::NameColumn, QHeaderView::Stretch);
    header->setSortIndicatorShown(false);
    connect(header, &QHeaderView::sectionClicked, this, &FileListView::headerClicked);
    setListStyle(LargeIcons);
}

void FileListView::setListStyle(int style)
{
    m_style = style;
    switch (style) {
    case LargeIcons:
        m_icons->setViewMode(QListView::IconMode);
        m_icons->setFlow(QListView::LeftToRight);
        m_icons->setWrapping(true);
        m_icons->setIconSize(QSize(LargeIconSize, LargeIconSize));
        m_icons->setWordWrap(true);
        break;
    case SmallIcons:
    case List:
        m_icons->setViewMode(QListView::ListMode);
        // Small icons run across the rows, the list down the columns.
        m_icons->setFlow(style == SmallIcons ? QListView::LeftToRight : QListView::TopToBottom);
        m_icons->setWrapping(true);
        m_icons->setIconSize(QSize(SmallIconSize, SmallIconSize));
        m_icons->setWordWrap(false);
        break;
    default:
        m_style = Details;
        break;
    }
    // A name too long for the widest cell keeps its start and its extension.
    m_icons->setTextElideMode(Qt::ElideMiddle);
    fitCells();
    m_stack->setCurrentWidget(m_style == Details ? static_cast<QWidget*>(m_details) : m_icons);
}

void FileListView::measureNames(int first, int last)
{
    // Only the new rows are measured: a list filled in batches stays linear.
    const QFontMetrics metrics = m_icons->fontMetrics();
    for (int row = first; row <= last; ++row)
        m_widestName = std::max(m_widestName, metrics.horizontalAdvance(m_model->nameAt(row)));
    const QFontMetrics details = m_details->fontMetrics();
    auto widest = [&](int column, int& widest) {
        for (int row = first; row <= last; ++row) {
            const QString text = m_model->index(row, column).data().toString();
            widest = std::max(widest, details.horizontalAdvance(text));
        }
    };
    widest(FileListModel::SizeColumn, m_widestSize);
    widest(FileListModel::TypeColumn, m_widestType);
    fitCells();
    fitColumns();
}

void FileListView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitCells();
}

void FileListView::fitCells()
{
    if (m_style == Details)
        return;
    const QFontMetrics metrics = m_icons->fontMetrics();
    const int chars = metrics.averageCharWidth();
    const int margin = 2 * m_icons->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 4;
    const int name = m_widestName + margin;
    QSize cell;
    if (m_style == LargeIcons) {
        // Up to two lines of text under the icon, in a cell between three icons and
        // MaxLargeNameChars characters wide.
        const int width = std::clamp(name, LargeIconSize * 3, chars * MaxLargeNameChars);
        cell = QSize(width, LargeIconSize + 2 * metrics.lineSpacing() + 8);
    } else {
        // Never wider than the view, so that a long name shows its ellipsis, not a cut.
        const int fits = m_icons->viewport()->width() - SmallIconSize - 6;
        const int text =
            std::min({name, chars * MaxListNameChars, std::max(fits, chars * MinListNameChars)});
        cell = QSize(SmallIconSize + 6 + text, std::max(SmallIconSize, metrics.height()) + 6);
    }
    m_cells->setCellSize(cell);
    m_icons->setGridSize(m_style == LargeIcons ? cell + QSize(4, 4) : cell);
    m_icons->doItemsLayout();
}

QAbstractItemView* FileListView::currentView() const
{
    if (m_style == Details)
        return m_details;
    return m_icons;
}

int FileListView::selectedRow() const
{
    const QModelIndexList rows = m_details->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void FileListView::selectRow(int row)
{
    QItemSelectionModel* selection = m_details->selectionModel();
    if (row < 0 || row >= m_model->rowCount()) {
        selection->clear();
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    selection->setCurrentIndex(index,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    currentView()->scrollTo(index);
}

void FileListView::createColumns()
{
    m_model->setHeaderTexts({tr("Name         "), tr("Size  (bytes)"), tr("Type         ")});
    fitColumns();
}

void FileListView::fitColumns()
{
    // The name column stretches over what the other two leave, and keeps at least half of a
    // narrow view: the type is cut first, then the size. A user's drag of those two holds
    // until the next listing or resize.
    QHeaderView* header = m_details->header();
    const int margin = 2 * m_details->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    int size = std::max(header->sectionSizeHint(FileListModel::SizeColumn), m_widestSize + margin);
    int type = std::max(header->sectionSizeHint(FileListModel::TypeColumn), m_widestType + margin);
    const int room = m_details->viewport()->width();
    if (room > 0) {
        const int most = room / 2;
        size = std::min(size, most);
        type = std::max(header->minimumSectionSize(), std::min(type, most - size));
    }
    header->resizeSection(FileListModel::SizeColumn, size);
    header->resizeSection(FileListModel::TypeColumn, type);
}

void FileListView::setHeaderHotTrack()
{
    m_hotTrack = !m_hotTrack;
    QHeaderView* header = m_details->header();
    header->setAttribute(Qt::WA_Hover, m_hotTrack);
    header->setMouseTracking(m_hotTrack);
    header->update();
}

void FileListView::setSortIndicator(int column, bool descending)
{
    QHeaderView* header = m_details->header();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

bool FileListView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_icons->viewport() && watched != m_details->viewport())
        return QWidget::eventFilter(watched, event);
    // The details' own width, known only once they show: shown after a listing, or as a
    // scroll bar comes and goes.
    if (watched == m_details->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    auto* view = watched == m_icons->viewport() ? static_cast<QAbstractItemView*>(m_icons)
                                                : static_cast<QAbstractItemView*>(m_details);
    if (event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons().testFlag(Qt::RightButton)) {
            // The right button opens the list's menu and leaves the selection alone.
            Q_EMIT rightPressed(mouse->globalPosition().toPoint());
            return true;
        }
        const bool onItem = view->indexAt(mouse->position().toPoint()).isValid();
        if (!onItem && mouse->button() == Qt::LeftButton && m_model->rowCount() > 0) {
            Q_EMIT emptySpacePressed();
            return true;
        }
    } else if (event->type() == QEvent::MouseMove) {
        Q_EMIT mouseMoved();
    }
    return QWidget::eventFilter(watched, event);
}
