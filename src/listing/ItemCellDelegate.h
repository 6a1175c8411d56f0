#pragma once

#include <QSize>
#include <QStyledItemDelegate>

// Gives every item of the icon and list styles one cell size, taken from the widest name of
// the whole list, so that no name is cut for another's sake and re-sorting moves nothing.
// It fits each name to the room its cell gives: whole when it fits (on two lines under a large
// icon, broken after a "-", "_", "." or blank where it can), otherwise cut once with "…",
// keeping its start and its extension; the tooltip then gives the whole name.
class ItemCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // An empty size gives the style's own size for each item.
    void setCellSize(const QSize& size) { m_cell = size; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // A name fitted to `lines` lines of `width` pixels: the lines joined by U+2028.
    static QString fitted(const QString& name, const QFontMetrics& metrics, int width, int lines);
    // The text as the item shows it, without its line breaks.
    QString shownText(const QStyleOptionViewItem& option, const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QSize m_cell;
};
