#pragma once

#include <QWidget>

class CurrentImage;
class OuterFrame;
class SampleSettings;
class SampleTextBox;
struct TiledViewRect;

// The current picture repeated edge to edge from the window's top-left corner, at its
// natural size, over a whole window of its own. Any press or Escape closes it.
class TiledView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MinSide = 2000; // twips, frame included

    // rect is the held outer geometry in twips, updated as the window moves and resizes;
    // sample is the text laid over the tiles while the toolbox shows.
    TiledView(const CurrentImage& image, TiledViewRect& rect, const SampleSettings& sample,
              QWidget* owner);

    SampleTextBox* sampleBox() const { return m_sample; }

    // Shows the window at the held geometry, or brings it forward when it is open.
    void open();
    // Writes the open window's outer geometry into the held rectangle, so that a move made
    // while it is open is kept when the settings are saved; a closed window changes nothing.
    void recordGeometry();

Q_SIGNALS:
    void toolboxRequested();
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Grows the window back to its least outer size when something made it smaller: without
    // a window manager nothing else enforces the size hint.
    void keepMinimum();
    void recordSize();

    const CurrentImage& m_image;
    TiledViewRect& m_rect;
    OuterFrame* m_frame;
    SampleTextBox* m_sample;
};
