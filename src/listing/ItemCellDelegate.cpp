#include "listing/ItemCellDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace {

const QChar LineBreak(0x2028);

// Where the first line may end: after the last separator that leaves the line within width,
// else after as many characters as fit. At least one character, so a line always moves on.
int firstLineEnd(const QString& text, const QFontMetrics& metrics, int width)
{
    // The longest prefix within width; widths only grow with the prefix.
    int fits = 0;
    int beyond = int(text.size()) + 1;
    while (beyond - fits > 1) {
        const int middle = (fits + beyond) / 2;
        if (metrics.horizontalAdvance(text.left(middle)) <= width)
            fits = middle;
        else
            beyond = middle;
    }
    if (fits >= text.size())
        return fits;
    for (int end = fits; end > 0; --end) {
        const QChar c = text.at(end - 1);
        if (c == u'-' || c == u'_' || c == u'.' || c == u' ')
            return end;
    }
    return std::max(fits, 1);
}

} // namespace

QSize ItemCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (m_cell.isValid())
        return m_cell;
    return QStyledItemDelegate::sizeHint(option, index);
}

QString ItemCellDelegate::fitted(const QString& name, const QFontMetrics& metrics, int width,
                                 int lines)
{
    if (width <= 0)
        return name;
    if (lines <= 1 || metrics.horizontalAdvance(name) <= width)
        return metrics.elidedText(name, Qt::ElideMiddle, width);
    const int end = firstLineEnd(name, metrics, width);
    const QString rest = name.mid(end);
    // The second line keeps the end of the name, cut at its left when it is too long.
    return name.left(end) + LineBreak + metrics.elidedText(rest, Qt::ElideLeft, width);
}

void ItemCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (!option->features.testFlag(QStyleOptionViewItem::HasDisplay) || option->rect.isEmpty())
        return;
    const QWidget* widget = option->widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    // The room the style gives the text, less its margins, as it draws the text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const int width =
        style->subElementRect(QStyle::SE_ItemViewItemText, option, widget).width() - 2 * margin;
    const bool wraps = option->features.testFlag(QStyleOptionViewItem::WrapText);
    option->text = fitted(option->text, option->fontMetrics, width, wraps ? 2 : 1);
    // Cut here once; the style must not cut again.
    option->textElideMode = Qt::ElideNone;
}

QString ItemCellDelegate::shownText(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    QStyleOptionViewItem shown = option;
    initStyleOption(&shown, index);
    return shown.text.remove(LineBreak);
}

bool ItemCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                 const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event && event->type() == QEvent::ToolTip && index.isValid()) {
        const QString name = index.data(Qt::DisplayRole).toString();
        if (shownText(option, index) != name) {
            QToolTip::showText(event->globalPos(), name, view);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}
