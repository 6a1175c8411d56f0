#pragma once

#include <QWidget>

#include <optional>

#include "preview/TilePainter.h"

class Clipboard;
class ContrastMeter;
class CurrentImage;
class OuterFrame;
class SampleSettings;
class SampleTextBox;
class TileSettings;
struct TwipRect;

// The current picture repeated from the window's top-left corner, at its natural size, over a
// whole window of its own. Any press or Escape closes it. Keys change how it tiles, for
// judging a seam: D steps through the drops, B the bricks, M the mirrors; O offsets the tiles
// by half the repeat's unit, G draws their edges, H tints the seams that stand out, X and Y
// repeat along one axis only, + and - (or Ctrl+wheel) zoom by whole factors and 0 returns to
// 1x; R shows the repeat at its real size (from the file's resolution or the one chosen, on
// this screen as it reports or as the user measured it, and on paper when printed); Ctrl+C
// copies the CSS of what shows, Ctrl+S saves the repeat's unit. Closing returns to the plain
// view in the repeat.
class TiledView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MinSide = 2000; // twips, frame included

    // rect is the held outer geometry in twips, updated as the window moves and resizes;
    // sample is the text laid over the tiles while the toolbox shows.
    // tiles: the mode the keys change, shared with the toolbox; clipboard takes the CSS.
    TiledView(const CurrentImage& image, TwipRect& rect, const SampleSettings& sample,
              TileSettings& tiles, Clipboard& clipboard, QWidget* owner);
    ~TiledView() override;

    static const QString Caption;

    SampleTextBox* sampleBox() const { return m_sample; }
    const TileSettings& tileSettings() const { return m_tiles; }
    // How well the sample reads on the tiles, measured after every change.
    ContrastMeter& contrast() const { return *m_contrast; }
    // The CSS of what shows now, as Ctrl+C copies it.
    QString css() const;
    // The picture's resolution: the file's, or the one chosen for files that state none.
    double pictureDpi() const;
    // Window pixels per inch on this screen: as measured by the user, or as the screen says.
    double screenDpi() const;
    // How the window's pixels meet what they are painted on: the screen, or paper.
    TileSurface surface(bool paper) const;

    // Shows the window at the held geometry, or brings it forward when it is open.
    void open();
    // Writes the open window's outer geometry into the held rectangle, so that a move made
    // while it is open is kept when the settings are saved; a closed window changes nothing.
    void recordGeometry();

Q_SIGNALS:
    void toolboxRequested();
    // Ctrl+S: the repeat's unit is to be saved.
    void saveRepeatRequested();
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Grows the window back to its least outer size when something made it smaller: without
    // a window manager nothing else enforces the size hint.
    void keepMinimum();
    void recordSize();
    // The caption names the modes in force: "Preview — offset, grid".
    void modeChanged();
    void readResolution();
    // True when the key changed the tile mode or copied the CSS.
    bool tileKey(QKeyEvent* event);

    const CurrentImage& m_image;
    TwipRect& m_rect;
    TileSettings& m_tiles;
    Clipboard& m_clipboard;
    OuterFrame* m_frame;
    SampleTextBox* m_sample;
    ContrastMeter* m_contrast;
    TilePainter m_painter;
    std::optional<double> m_fileDpi;
    bool m_realSizeRefused = false; // the tiles at real size were too many to draw
    int m_wheel = 0; // eighths of a degree turned with Ctrl held, towards the next step
};
