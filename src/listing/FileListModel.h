#pragma once

#include <QAbstractTableModel>
#include <QVector>

class IconCache;

// The rows of the file list: name, size and type, with the icon of the file's kind.
// Sorting compares names and types ignoring case, and sizes as numbers.
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        NameColumn = 0,
        SizeColumn = 1,
        TypeColumn = 2
    };

    struct Row
    {
        QString name;
        qint64 size = 0;
        QString sizeText;
        int icon = -1;
    };

    explicit FileListModel(QObject* parent = nullptr);

    void setIconCache(const IconCache* cache) { m_icons = cache; }
    void setHeaderTexts(const QStringList& texts);

    void clear();
    void append(const QVector<Row>& rows);

    QString nameAt(int row) const;
    // The first row whose name matches exactly, or -1.
    int rowOf(const QString& name) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    QString typeOf(const Row& row) const;

    QVector<Row> m_rows;
    QStringList m_headers;
    const IconCache* m_icons = nullptr;
};
