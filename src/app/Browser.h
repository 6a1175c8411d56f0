#pragma once

#include <QObject>

#include <memory>

class CurrentImage;
class FileList;
class IconCache;
class Listing;
class MainWindow;
class PreviewPane;
class Settings;
class ThumbnailGrid;
class TiledView;
struct Platform;

// What happens when the user walks folders and picks pictures: the listings, the preview
// and its facts, the list's clicks and keys, and the tiled view. It owns the state those
// share (the file list, the current image) and connects the panes of the main window.
class Browser : public QObject
{
    Q_OBJECT
public:
    Browser(MainWindow& main, Platform& platform, Settings& settings);
    ~Browser() override;

    FileList& files() const { return *m_files; }
    CurrentImage& current() const { return *m_current; }
    Listing& listing() const { return *m_listing; }
    TiledView& tiledView() const { return *m_tiled; }
    PreviewPane& preview() const { return *m_preview; }
    IconCache& icons() const { return *m_icons; }
    ThumbnailGrid& grid() const { return *m_grid; }

    void treeFolderChanged();
    // Previews this file of the next folder listed, as if the user had clicked it.
    void showWhenListed(const QString& name) { m_showWhenListed = name; }
    void fileOpen();
    void refresh();

    // The current picture into the preview frame, after every layout pass.
    void fitPreview();
    // The current image's facts in the status bar's four parts.
    void showImageInfo();
    void openTiledView();

private:
    void connectList();
    void connectGrid();
    // A list row clicked or reached by the keyboard.
    void loadPreview(int row);
    // The file becomes the current image, shown in the preview with its facts.
    void loadFile(const QString& name);
    void thumbnailPressed(qint64 index, Qt::MouseButtons buttons, const QPoint& at);
    void gridEmptyPressed(Qt::MouseButtons buttons, const QPoint& at);
    void gridKey(int key);
    void selectThumbnail(qint64 index);
    void clearPreview();
    void pressOnEmptySpace();
    void tiledViewClosed();

    MainWindow& m_main;
    Platform& m_platform;
    Settings& m_settings;
    std::unique_ptr<FileList> m_files;
    std::unique_ptr<IconCache> m_icons;
    CurrentImage* m_current;
    PreviewPane* m_preview;
    TiledView* m_tiled;
    Listing* m_listing;
    ThumbnailGrid* m_grid;
    QString m_showWhenListed;
};
