#pragma once

#include <QRect>
#include <QWidget>

// The main window's own surface below the menu bar: every pane is its child, placed by the
// layout pass in its coordinates. The preview frame is an outline drawn on it, so a press
// inside the frame that no picture covers is a press on the surface.
class MainSurface : public QWidget
{
    Q_OBJECT
public:
    explicit MainSurface(QWidget* parent);

    void setPreviewFrame(const QRect& pixels, bool visible);
    QRect previewFrame() const { return m_frame; }
    bool isPreviewFrameVisible() const { return m_frameVisible; }

Q_SIGNALS:
    void rightPressed(const QPoint& globalPosition);
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect m_frame;
    bool m_frameVisible = false;
};
