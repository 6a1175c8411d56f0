#pragma once

#include <QPixmap>
#include <QWidget>

#include "preview/PreviewFit.h"

// The preview image: the current picture stretched into its rectangle inside the preview
// frame, with a single-line border. The frame itself is drawn on the main window's surface.
class PreviewPane : public QWidget
{
    Q_OBJECT
public:
    explicit PreviewPane(QWidget* parent);

    void setPicture(const QPixmap& picture);
    bool hasPicture() const { return !m_picture.isNull(); }
    const QPixmap& picture() const { return m_picture; }
    // The frame's outline on the main window's surface, in pixels; the image stays inside it.
    static constexpr int FrameLine = 2;

    // Places the image for a picture of picWidth x picHeight twips in the frame (twips);
    // it shows only while the frame does, clipped to the frame's inside.
    void fit(const PreviewFit::Frame& frame, int picWidth, int picHeight, bool frameVisible);
    void clear();

Q_SIGNALS:
    void rightPressed(const QPoint& globalPosition);
    void leftPressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPixmap m_picture;
};
