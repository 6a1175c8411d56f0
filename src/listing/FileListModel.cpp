#include "listing/FileListModel.h"

#include <algorithm>

#include "listing/IconCache.h"

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent) {}

void FileListModel::setHeaderTexts(const QStringList& texts)
{
    m_headers = texts;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void FileListModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void FileListModel::append(const QVector<Row>& rows)
{
    if (rows.isEmpty())
        return;
    beginInsertRows(QModelIndex(), m_rows.size(), m_rows.size() + rows.size() - 1);
    m_rows += rows;
    endInsertRows();
}

QString FileListModel::nameAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].name : QString();
}

int FileListModel::rowOf(const QString& name) const
{
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].name == name)
            return row;
    }
    return -1;
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QString FileListModel::typeOf(const Row& row) const
{
    return m_icons ? m_icons->typeName(row.icon) : QString();
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row& row = m_rows[index.row()];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
        case NameColumn:
            return row.name;
        case SizeColumn:
            return row.sizeText;
        case TypeColumn:
            return typeOf(row);
        }
    }
    if (role == Qt::DecorationRole && index.column() == NameColumn && m_icons)
        return m_icons->icon(row.icon);
    if (role == Qt::TextAlignmentRole && index.column() == SizeColumn)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_headers.size())
        return m_headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    // Never editable: F2 is the toolbox's key, not a rename.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void FileListModel::sort(int column, Qt::SortOrder order)
{
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QVector<QString> names;
    for (const QModelIndex& index : before)
        names.append(m_rows[index.row()].name);

    auto less = [this, column](const Row& a, const Row& b) {
        switch (column) {
        case SizeColumn:
            return a.size < b.size;
        case TypeColumn:
            return QString::compare(typeOf(a), typeOf(b), Qt::CaseInsensitive) < 0;
        default:
            return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
        }
    };
    if (order == Qt::AscendingOrder)
        std::stable_sort(m_rows.begin(), m_rows.end(), less);
    else
        std::stable_sort(m_rows.begin(), m_rows.end(),
                         [&less](const Row& a, const Row& b) { return less(b, a); });

    // Names are unique within a folder, so each persistent index follows its file.
    QModelIndexList after;
    for (int i = 0; i < before.size(); ++i)
        after.append(index(rowOf(names[i]), before[i].column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
