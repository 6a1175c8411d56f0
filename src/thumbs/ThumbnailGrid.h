#pragma once

#include <QHash>
#include <QObject>
#include <QStringList>

class FileList;
class ImageDecoder;
class MessageBoxes;
class QLabel;
class QProgressBar;
class QWidget;
class ThumbnailBase;
class ThumbnailSurface;

// The grid of thumbnails: built after every listing from the file list's order, with its
// columns and scroll range fixed by the pane at build time, a progress bar while it works
// and a message when the folder holds more than 245 rows.
class ThumbnailGrid : public QObject
{
    Q_OBJECT
public:
    static const QString CapacityText;

    ThumbnailGrid(ThumbnailBase& base, QLabel& countLabel, QProgressBar& progress,
                  const ImageDecoder& decoder, MessageBoxes& messages, QWidget* dialogParent);

    void build(const FileList& files);
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

private:
    ThumbnailBase& m_base;
    QLabel& m_count;
    QProgressBar& m_progress;
    const ImageDecoder& m_decoder;
    MessageBoxes& m_messages;
    QWidget* m_dialogParent;
    QStringList m_names;
    QHash<QString, qint64> m_index;
    int m_lastColumn = 0;
};
