#pragma once

#include <QWidget>

class FileListModel;
class ItemCellDelegate;
class QAbstractItemView;
class QListView;
class QStackedLayout;
class QTreeView;

// The file list in its four styles over one model and one selection: large icons, small
// icons, list, and details with the name, size and type columns. It reports what the user
// does; the decisions are made elsewhere.
class FileListView : public QWidget
{
    Q_OBJECT
public:
    enum Style
    {
        LargeIcons = 0,
        SmallIcons = 1,
        List = 2,
        Details = 3
    };
    static constexpr int LargeIconSize = 32;
    static constexpr int SmallIconSize = 16;
    // The widest name shown whole, in average characters; longer ones lose their middle.
    static constexpr int MaxListNameChars = 40;
    static constexpr int MinListNameChars = 8;   // however narrow the view
    static constexpr int MaxLargeNameChars = 16; // a line; large icons wrap onto two

    explicit FileListView(QWidget* parent);

    int listStyle() const { return m_style; }
    void setListStyle(int style);

    // Names the three columns and fits them.
    void createColumns();
    // Size and type as wide as their widest text; the name takes the rest of the view.
    void fitColumns();
    // Inverts the header's hover highlight; off until the first call.
    void setHeaderHotTrack();
    bool headerHotTrack() const { return m_hotTrack; }
    void setSortIndicator(int column, bool descending);

    FileListModel* model() const { return m_model; }
    QTreeView* detailsView() const { return m_details; }
    // The view of the current style, the one that takes the focus.
    QAbstractItemView* currentView() const;

    // The selected row, or -1.
    int selectedRow() const;
    // Selects a row (or none, for -1) without reporting it as the user's click.
    void selectRow(int row);

Q_SIGNALS:
    // A click on an item, or the keyboard moving the selection onto one.
    void itemClicked(int row);
    void itemDoubleClicked(int row);
    void enterPressed();
    void emptySpacePressed();
    void rightPressed(const QPoint& globalPosition);
    void mouseMoved();
    void headerClicked(int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void measureNames(int first, int last);
    // Sizes the cells of the icon and list styles from the widest name in the list.
    void fitCells();

    FileListModel* m_model;
    QListView* m_icons;
    QTreeView* m_details;
    QStackedLayout* m_stack;
    ItemCellDelegate* m_cells;
    int m_style = LargeIcons;
    int m_widestName = 0; // pixels, over every name in the list
    int m_widestSize = 0; // likewise for the size and type columns
    int m_widestType = 0;
    bool m_hotTrack = false;
};
