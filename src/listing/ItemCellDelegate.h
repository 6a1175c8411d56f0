#pragma once

#include <QSize>
#include <QStyledItemDelegate>

// Gives every item of the icon and list styles one cell size, taken from the widest name of
// the whole list, so that no name is cut for another's sake and re-sorting moves nothing.
class ItemCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // An empty size gives the style's own size for each item.
    void setCellSize(const QSize& size) { m_cell = size; }
    QSize cellSize() const { return m_cell; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    // A name too long for its lines loses its middle, so that its start and its extension
    // both stay readable, also when it wraps onto a second line under a large icon.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    static constexpr int TextMargin = 5; // pixels each side of a cell's text

    QSize m_cell;
};
