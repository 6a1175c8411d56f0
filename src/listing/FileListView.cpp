#include "listing/FileListView.h"

#include <QHeaderView>
#include <QListView>
#include <QMouseEvent>
#include <QStackedLayout>
#include <QStandardItemModel>
#include <QTreeView>

#include "layout/Twips.h"

FileListView::FileListView(QWidget* parent)
    : QWidget(parent), m_model(new QStandardItemModel(0, 3, this)), m_icons(new QListView(this)),
      m_details(new QTreeView(this)), m_stack(new QStackedLayout(this))
{
    setObjectName(QStringLiteral("Lv"));
    m_icons->setObjectName(QStringLiteral("LvIcons"));
    m_details->setObjectName(QStringLiteral("LvDetails"));
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_icons);
    m_stack->addWidget(m_details);

    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_icons),
                                    static_cast<QAbstractItemView*>(m_details)}) {
        view->setModel(m_model);
        // F2 belongs to the toolbox, and file names are not renamed here.
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->viewport()->installEventFilter(this);
        view->viewport()->setMouseTracking(true);
    }
    m_icons->setSelectionModel(m_details->selectionModel());
    m_icons->setUniformItemSizes(true);
    m_icons->setResizeMode(QListView::Adjust);
    m_icons->setMovement(QListView::Static);
    m_details->setRootIsDecorated(false);
    m_details->setUniformRowHeights(true);
    m_details->setItemsExpandable(false);
    m_details->header()->setSectionsClickable(true);
    m_details->header()->setStretchLastSection(false);
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
        m_icons->setGridSize(QSize(LargeIconSize * 3, LargeIconSize + 2 * fontMetrics().height() + 8));
        m_icons->setWordWrap(true);
        break;
    case SmallIcons:
        m_icons->setViewMode(QListView::ListMode);
        m_icons->setFlow(QListView::LeftToRight);
        m_icons->setWrapping(true);
        m_icons->setIconSize(QSize(SmallIconSize, SmallIconSize));
        m_icons->setGridSize(QSize());
        m_icons->setWordWrap(false);
        break;
    case List:
        m_icons->setViewMode(QListView::ListMode);
        m_icons->setFlow(QListView::TopToBottom);
        m_icons->setWrapping(true);
        m_icons->setIconSize(QSize(SmallIconSize, SmallIconSize));
        m_icons->setGridSize(QSize());
        m_icons->setWordWrap(false);
        break;
    default:
        m_style = Details;
        break;
    }
    m_stack->setCurrentWidget(m_style == Details ? static_cast<QWidget*>(m_details) : m_icons);
}

QAbstractItemView* FileListView::currentView() const
{
    if (m_style == Details)
        return m_details;
    return m_icons;
}

void FileListView::createColumns(double widthTwips)
{
    m_model->setHorizontalHeaderLabels({QStringLiteral("Name         "),
                                        QStringLiteral("Size  (bytes)"),
                                        QStringLiteral("Type         ")});
    setColumnWidths(widthTwips);
}

void FileListView::setColumnWidths(double widthTwips)
{
    const int pixels = std::max(1, Twips::toPixels(widthTwips));
    for (int column = 0; column < 3; ++column)
        m_details->header()->resizeSection(column, pixels);
}

void FileListView::setHeaderHotTrack()
{
    m_hotTrack = !m_hotTrack;
    QHeaderView* header = m_details->header();
    header->setAttribute(Qt::WA_Hover, m_hotTrack);
    header->setMouseTracking(m_hotTrack);
    header->update();
}

bool FileListView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == m_icons->viewport() || watched == m_details->viewport())) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons().testFlag(Qt::RightButton)) {
            // The right button opens the list's menu and leaves the selection alone.
            Q_EMIT rightPressed(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
