#pragma once

#include <QString>
#include <QWidget>

class FolderModel;
class QTreeView;
class QModelIndex;

// The folder tree on the left of the main window: a readable and writable selected path,
// a folder-changed report raised (queued) for programmatic writes as for the user's,
// and a right-button report that leaves the selection where it is.
class FolderTree : public QWidget
{
    Q_OBJECT
public:
    FolderTree(FolderModel& model, QWidget* parent);

    QString selectedPath() const { return m_path; }
    // Selects, expands and scrolls to the folder, or to its nearest existing ancestor.
    void setSelectedPath(const QString& path);

    QTreeView* view() const { return m_view; }

    // An absolute, clean path with no trailing separator except for "/" itself.
    static QString normalise(const QString& path);
    // The folder itself when it exists, otherwise its nearest existing ancestor.
    static QString nearestExisting(const QString& path);

Q_SIGNALS:
    void folderChanged();
    void rightPressed(const QPoint& globalPosition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int NameSpacing = 12; // pixels between a row's icon and past its name

    void currentChanged(const QModelIndex& current);
    void selectPending();
    void keepNameInSight(const QModelIndex& index);
    void directoryLoaded(const QString& directory);
    void reportChange();

    FolderModel& m_model;
    QTreeView* m_view;
    QString m_path;    // the selected folder, as the program reads it
    QString m_pending; // a programmatic selection still waiting for its rows to load
    bool m_selecting = false;
};
