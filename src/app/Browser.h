#pragma once

#include <QObject>
#include <QString>

#include <memory>

#include "layout/TwipRect.h"
#include "tile/Repeat.h"

class CurrentImage;
class FileList;
class FileListView;
class FolderChooser;
class FolderTree;
class HoverHint;
class IconCache;
class LiveReload;
class Listing;
class PopupHost;
class PreviewPane;
class QLabel;
class QWidget;
class Settings;
class StatusBar;
class ThumbnailBase;
class ThumbnailGrid;
class TiledView;
class TypeFilter;
struct Platform;

// What happens when the user walks folders and picks pictures: the listings, the preview
// and its facts, the list's and the grid's clicks and keys, and the tiled view. It owns the
// file list and the listing, drives the parts it is given, and asks for the rest by signal.
class Browser : public QObject
{
    Q_OBJECT
public:
    // The parts of the main window it drives; all outlive it.
    struct Parts
    {
        QWidget& window;
        FolderTree& tree;
        FileListView& list;
        ThumbnailBase& thumbBase;
        ThumbnailGrid& grid;
        QLabel& countLabel;
        CurrentImage& current;
        PreviewPane& preview;
        TiledView& tiled;
        StatusBar& status;
        HoverHint& hint;
        PopupHost& popups;
        const TypeFilter& types;
    };

    Browser(const Parts& parts, Platform& platform, Settings& settings, QObject* parent);
    ~Browser() override;

    FileList& files() const { return *m_files; }
    CurrentImage& current() const { return m_parts.current; }
    Listing& listing() const { return *m_listing; }
    TiledView& tiledView() const { return m_parts.tiled; }
    PreviewPane& preview() const { return m_parts.preview; }
    IconCache& icons() const { return *m_icons; }
    ThumbnailGrid& grid() const { return m_parts.grid; }

    void treeFolderChanged();
    // Previews this file of the next folder listed, as if the user had clicked it.
    void showWhenListed(const QString& name) { m_showWhenListed = name; }
    void fileOpen();
    void refresh();

    // The preview frame the last layout pass placed (twips) and whether it shows; the
    // current picture is fitted into it at once and after each load.
    void setPreviewFrame(const TwipRect& frame, bool visible);
    // The current image's facts in the status bar's four parts.
    void showImageInfo();
    void openTiledView();

Q_SIGNALS:
    // A listing has filled the list in folder order; the sort in force is wanted again.
    void listFilled();

private:
    void connectList();
    void connectGrid();
    void fitPreview();
    // A list row clicked or reached by the keyboard.
    void loadPreview(int row);
    // The file becomes the current image, shown in the preview with its facts.
    void loadFile(const QString& name);
    // The current image's picture into the preview, with its facts.
    void showPicture();
    void thumbnailPressed(qint64 index, Qt::MouseButtons buttons, const QPoint& at);
    void gridEmptyPressed(Qt::MouseButtons buttons, const QPoint& at);
    void gridKey(int key);
    void selectThumbnail(qint64 index);
    void clearPreview();
    void pressOnEmptySpace();
    void tiledViewClosed();
    // The current picture was read again from disk: the preview, its facts and its cell follow.
    void pictureReloaded(bool replaced);

    Parts m_parts;
    FolderChooser& m_chooser;
    std::unique_ptr<FileList> m_files;
    std::unique_ptr<IconCache> m_icons;
    Listing* m_listing;
    LiveReload* m_reload;
    TwipRect m_previewFrame;
    bool m_previewVisible = false;
    QString m_showWhenListed;
    Repeat m_shownRepeat; // the repeat whose seam score the status bar shows
};
