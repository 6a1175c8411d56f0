#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QStringList>
#include <QVector>

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
class ThumbnailQueue;
class ThumbnailSurface;

// The grid of thumbnails: laid out after every listing from the file list's order, each cell
// showing a placeholder until its picture arrives from the background build, the cells in
// view first. A progress bar shows while it builds; the window answers all the while. The
// columns follow the pane's width; a pane too narrow for one column gets a message instead.
// Thumbnails come from the desktop's shared cache where it has them, and new ones go into it.
class ThumbnailGrid : public QObject
{
    Q_OBJECT
public:
    static const QString CapacityText;

    ThumbnailGrid(ThumbnailBase& base, QLabel& countLabel, QProgressBar& progress,
                  const ImageDecoder& decoder, MessageBoxes& messages, QWidget* dialogParent);
    ~ThumbnailGrid() override;

    // Starts the grid of a new listing; the build before it, if any, is dropped.
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
    // What a cell's tooltip says: the file's name, the picture's size and the file's length.
    QString toolTipAt(qint64 index) const;

    void pageDown();
    void pageUp();

    // While cells still wait for their pictures.
    bool isBuilding() const { return m_building; }
    // Blocks until the thumbnails made so far are in the cache.
    void waitForCacheWrites();

Q_SIGNALS:
    // Every cell of the current listing has its picture.
    void built();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The cache where $XDG_CACHE_HOME now points, with its writer.
    std::shared_ptr<ThumbnailCache> cache();
    // A cell's picture in device pixels at the surface's pixel ratio.
    QSize cellPixels() const;
    int paneColumns() const;
    // Columns and scroll range for the pane as the last layout pass left it.
    void layOut(int columns);
    void paneChanged();
    // The cells in view, then outward, are made next.
    void schedulePriorities();
    void prioritise();
    void takeResults();
    void finish();

    ThumbnailBase& m_base;
    QLabel& m_count;
    QProgressBar& m_progress;
    const ImageDecoder& m_decoder;
    MessageBoxes& m_messages;
    QWidget* m_dialogParent;
    QString m_folder;
    QStringList m_names;
    QVector<qint64> m_lengths;
    QVector<QSize> m_sizes;
    QVector<bool> m_refreshed;
    QHash<QString, qint64> m_index;
    int m_lastColumn = 0;
    int m_done = 0;
    bool m_building = false;
    bool m_holdingWrites = false;
    bool m_prioritiesDue = false;
    std::shared_ptr<ThumbnailCache> m_cache;
    std::unique_ptr<ThumbnailCacheWriter> m_writer;
    // Last: gone first, before the writer its threads hand entries to.
    std::unique_ptr<ThumbnailQueue> m_queue;
};
