#include "listing/ItemCellDelegate.h"

#include <QFontMetrics>

QSize ItemCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (m_cell.isValid())
        return m_cell;
    return QStyledItemDelegate::sizeHint(option, index);
}

void ItemCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (!m_cell.isValid() || !option->features.testFlag(QStyleOptionViewItem::HasDisplay))
        return;
    const QFontMetrics& metrics = option->fontMetrics;
    const bool wraps = option->features.testFlag(QStyleOptionViewItem::WrapText);
    // Two lines under a large icon, less what wrapping at a blank may leave unused.
    const int line = m_cell.width() - 2 * TextMargin;
    const int room = wraps ? 2 * line - 4 * metrics.averageCharWidth() : line;
    if (wraps && metrics.horizontalAdvance(option->text) > room)
        option->text = metrics.elidedText(option->text, Qt::ElideMiddle, room);
}
