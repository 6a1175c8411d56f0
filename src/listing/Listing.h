#pragma once

#include <QObject>
#include <QString>

#include <functional>

class FileList;
class FileListModel;
class IconCache;
class QLabel;
class StatusBar;

// Turns the current folder into the file list: the rebuild shared by Refresh, a change of
// folder in the tree and a folder chosen in the browse dialog, each with its own small
// differences of order and text.
class Listing : public QObject
{
    Q_OBJECT
public:
    static QString noImagesText();

    // What a rebuild does to the rest of the window.
    struct Hooks
    {
        std::function<void()> closeTiledView;
        std::function<void()> clearPreview; // the preview, the marker and the current file
        std::function<void(bool)> showThumbSurface;
        std::function<void()> buildThumbnails;
        std::function<void()> emptyThumbnails;
        std::function<QString()> treeFolder;
        std::function<void(const QString&)> setTreeFolder;
        std::function<void(const QString&)> saveFolder;
        std::function<void()> listFilled; // the sort, kept across listings
    };

    Listing(FileList& files, FileListModel& model, IconCache& icons, QLabel& countLabel,
            StatusBar& status, Hooks hooks, QObject* parent);

    // Lists the current folder again, read afresh.
    void refresh();
    // The tree's folder has changed: lists it unless it is the one already listed.
    void treeChanged();
    // The browse dialog chose a folder: lists it with the pattern, moves the tree there.
    void browsed(const QString& folder, const QString& pattern);

    // The picture types have changed (Options): lists the same folder again with `pattern`.
    // `showCaption` puts the new types caption up once the old listing is gone.
    void typesChanged(const QString& pattern, const std::function<void()>& showCaption);

    // Appends one row per name of the file list (icons and types from the cache).
    void fill();

    // The reason, when known, is the errno value the folder gave.
    static QString unreadableText(const QString& folder, int error = 0);

private:
    // A folder with pictures: its count, its rows and its thumbnails.
    void showFiles();
    void clearList();
    void reportUnreadable();
    // Where a listing leaves the status line empty: the pictures the types leave out.
    void showUnlistedHint();

    FileList& m_files;
    FileListModel& m_model;
    IconCache& m_icons;
    QLabel& m_count;
    StatusBar& m_status;
    Hooks m_hooks;
};
