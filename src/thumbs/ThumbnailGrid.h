#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QStringList>

#include <memory>

class FileList;
class ImageDecoder;
class MessageBoxes;
class QLabel;
class QProgressBar;
class QWidget;
class ThumbnailBase;
class ThumbnailCache;
class ThumbnailCacheWriter;
class ThumbnailSurface;

// The grid of thumbnails: built after every listing from the file list's order, with its
// columns and scroll range fixed by the pane at build time, a progress bar while it works
// and a message when the folder holds more than 245 rows. Thumbnails come from the desktop's
// shared cache where it has them, and new ones go into it after the build. While a build runs
// the windows repaint and answer the desktop, but take no input.
class ThumbnailGrid : public QObject
{
    Q_OBJECT
public:
    static const QString CapacityText;

    ThumbnailGrid(ThumbnailBase& base, QLabel& countLabel, QProgressBar& progress,
                  const ImageDecoder& decoder, MessageBoxes& messages, QWidget* dialogParent);
    ~ThumbnailGrid() override;

    void build(const FileList& files);
    // Makes the cell of the file at `path` again from its new picture, after the file changed
    // on disk, and puts a thumbnail of it in the shared cache in place of the stale one.
    void refreshCell(const QString& path, const QImage& picture);
    // The grid of a folder without images.
    void empty();

    ThumbnailSurface& surface() const;
    qint64 count() const;
    int lastColumn() const { return m_lastColumn; }
    QString nameAt(qint64 index) const;
    // The cell of a file, by name (the list may be sorted differently), or -1.
    qint64 indexOf(const QString& name) const;

    void pageDown();
    void pageUp();

    bool isBuilding() const { return m_building; }
    // Blocks until the thumbnails of the builds so far are in the cache.
    void waitForCacheWrites();

private:
    // The cache where $XDG_CACHE_HOME now points, with its writer.
    ThumbnailCache& cache();
    // A cell's picture in device pixels at the surface's pixel ratio.
    QSize cellPixels() const;

    ThumbnailBase& m_base;
    QLabel& m_count;
    QProgressBar& m_progress;
    const ImageDecoder& m_decoder;
    MessageBoxes& m_messages;
    QWidget* m_dialogParent;
    QString m_folder;
    QStringList m_names;
    QHash<QString, qint64> m_index;
    int m_lastColumn = 0;
    bool m_building = false;
    std::unique_ptr<ThumbnailCache> m_cache;
    std::unique_ptr<ThumbnailCacheWriter> m_writer;
};
