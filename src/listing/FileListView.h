#pragma once

#include <QWidget>

class QListView;
class QStandardItemModel;
class QStackedLayout;
class QTreeView;
class QAbstractItemView;

// The file list in its four styles over one item model: large icons, small icons, list,
// and details with the name, size and type columns.
class FileListView : public QWidget
{
    Q_OBJECT
public:
    enum Style { LargeIcons = 0, SmallIcons = 1, List = 2, Details = 3 };
    static constexpr int LargeIconSize = 32;
    static constexpr int SmallIconSize = 16;

    explicit FileListView(QWidget* parent);

    int listStyle() const { return m_style; }
    void setListStyle(int style);

    // The three columns, each widthTwips wide.
    void createColumns(double widthTwips);
    void setColumnWidths(double widthTwips);
    // Inverts the header's hover highlight; off until the first call.
    void setHeaderHotTrack();
    bool headerHotTrack() const { return m_hotTrack; }

    QStandardItemModel* model() const { return m_model; }
    QListView* iconView() const { return m_icons; }
    QTreeView* detailsView() const { return m_details; }
    // The view of the current style, the one that takes the focus.
    QAbstractItemView* currentView() const;

Q_SIGNALS:
    void rightPressed(const QPoint& globalPosition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QStandardItemModel* m_model;
    QListView* m_icons;
    QTreeView* m_details;
    QStackedLayout* m_stack;
    int m_style = LargeIcons;
    bool m_hotTrack = false;
};
