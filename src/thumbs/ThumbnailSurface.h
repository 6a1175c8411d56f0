#pragma once

#include <QImage>
#include <QVector>
#include <QWidget>

// The scrolling surface of the thumbnail grid: one painted widget, not a widget per file.
// It keeps one small picture per file and paints only the cells in view, with the red
// marker over the selected one. A cell whose picture is still being made shows a placeholder.
class ThumbnailSurface : public QWidget
{
    Q_OBJECT
public:
    explicit ThumbnailSurface(QWidget* parent);

    void setThumbnails(QVector<QImage> thumbnails, int columns);
    // `count` cells waiting for their pictures.
    void setPlaceholders(qint64 count, int columns);
    // The same cells and pictures laid out again; the marker stays on its cell.
    void setColumns(int columns);
    void clear();
    bool isPending(qint64 index) const { return m_pending.value(int(index), false); }
    qint64 count() const { return m_thumbs.size(); }
    int columns() const { return m_columns; }
    const QImage& thumbnail(qint64 index) const { return m_thumbs[int(index)]; }
    // Replaces one cell's picture (null: a blank cell) and repaints that cell.
    void setThumbnail(qint64 index, const QImage& thumbnail);

    // -1 hides the marker.
    void setMarker(qint64 index);
    qint64 marker() const { return m_marker; }
    bool isMarkerVisible() const { return m_marker >= 0; }

    // The picture's rectangle of a cell, in the surface's pixels.
    QRect thumbnailRect(qint64 index) const;
    // The thumbnail under a point of the surface, or -1 for empty space.
    qint64 thumbnailAt(const QPoint& pixels) const;

Q_SIGNALS:
    // index -1: empty space between or below the thumbnails.
    void pressed(qint64 index, Qt::MouseButtons buttons, const QPoint& globalPosition);
    void doubleClicked(qint64 index);
    void keyPressed(int key);
    void markerChanged(qint64 index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QVector<QImage> m_thumbs;
    QVector<bool> m_pending;
    int m_columns = 0;
    qint64 m_marker = -1;
};
