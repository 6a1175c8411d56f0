#pragma once

#include <QPointer>
#include <QWidget>

class FontCatalog;
class MessageBoxes;
class PrintService;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QScrollBar;
class QVBoxLayout;
class SampleSettings;
class TileSettings;

// The small tool window in which the user mixes the sample: text, TrueType font, size and
// colour. It can keep itself above other windows and print the tiled view. Below, the tiled
// view's repeat and switches (offset, grid, seam map, one axis, zoom), the page colour that
// the colour bars mix while "Background" is ticked, and how well the sample reads on the tiles.
// Laid out at the desktop's font; every control has an access key and a place in the Tab
// order. While it has the keyboard, the tiled view's keys still act on the view, except in
// the sample text box.
class Toolbox : public QWidget
{
    Q_OBJECT
public:
    // A window of its own, not owned by the main window: unticking "On Top" makes it an
    // ordinary window that others, the main window included, may cover. Its creator owns it.
    Toolbox(SampleSettings& sample, TileSettings& tiles, const FontCatalog& fonts,
            PrintService& printer, MessageBoxes& messages);

    // The window Print sends to the printer and the view keys go to; may go away.
    void setTiledView(QWidget* view) { m_view = view; }

    // Shows the toolbox, loading it on the first call; brings it forward when it shows.
    // When it would stand over the showing tiled view, it moves beside it.
    void open();
    // Where the window stands, its top-left in twips; before it is first opened, where it
    // will open (1000, 1000 unless set).
    void setPositionTwips(const QPoint& twips);
    QPoint positionTwips() const;
    bool isLoaded() const { return m_loaded; }

    // Bar positions and the values they stand for.
    static int colourFromBar(int barValue) { return 255 - barValue; }
    static int sizeFromBar(int barValue);
    static int barFromSize(int points);

    // Where a window of `box` outer size stands beside the view (outer rectangle) on a screen:
    // to its right, else to its left, else inside the screen's right edge; level with the
    // view's top, and on the screen.
    static QPoint besideView(const QRect& view, const QSize& box, const QRect& screen);

    // The measured contrast of the sample on the tiles; negative: nothing to measure.
    void showContrast(double ratio);

Q_SIGNALS:
    // "Copy CSS": the CSS of what the tiled view shows, as its Ctrl+C copies it.
    void copyCssRequested();
    // "Save repeat…": the repeat's unit, as the tiled view's Ctrl+S saves it.
    void saveRepeatRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build(QVBoxLayout* column);
    // The tiled view's switches, one block below the sample's controls.
    void buildTileControls(QVBoxLayout* block);
    void load();
    // Every control's keys pass through the toolbox first (see eventFilter).
    void watchKeys();
    // True when the key went to the tiled view and changed it.
    bool passToView(const QKeyEvent* key);
    void placeBesideView(bool always);
    // The bars show the colour they now mix: the page's while "Background" is ticked.
    void showColourOnBars(const QColor& colour);
    void colourMoved();
    // The switches follow the mode, whichever window changed it.
    void reflectMode();
    // The repeat from the two lists.
    void repeatChosen();
    // The resolution for files that state none, and the screen's as measured.
    void buildSizeControls(QVBoxLayout* block);
    void resolutionTyped();
    void screenDpiTyped();
    // The hint under the resolution fields, shown only while it has a text.
    void showSizeHint(const QString& text);
    void reflectResolution();
    static QString resolutionHint();
    void showVerdict();
    void sizeMoved(int barValue);
    void fontChosen(int index);
    void setOnTop(bool on);
    void print();

    SampleSettings& m_sample;
    TileSettings& m_tiles;
    const FontCatalog& m_fonts;
    PrintService& m_printer;
    MessageBoxes& m_messages;
    static constexpr QPoint DefaultStart{1000, 1000};
    QPoint m_startTwips = DefaultStart;
    QPointer<QWidget> m_view;
    bool m_loaded = false;
    bool m_changingFlags = false;

    QLineEdit* m_text = nullptr;
    QGroupBox* m_colourFrame = nullptr;
    QLabel* m_swatch = nullptr;
    QLabel* m_amounts[3] = {};
    QScrollBar* m_colours[3] = {};
    QLabel* m_sizeLabel = nullptr;
    QScrollBar* m_size = nullptr;
    QLabel* m_fontCount = nullptr;
    QComboBox* m_fontList = nullptr;
    QCheckBox* m_onTop = nullptr;

    QComboBox* m_repeat = nullptr;
    QComboBox* m_fraction = nullptr;
    QCheckBox* m_seamMap = nullptr;
    QCheckBox* m_offset = nullptr;
    QCheckBox* m_grid = nullptr;
    QCheckBox* m_across = nullptr;
    QCheckBox* m_down = nullptr;
    QCheckBox* m_background = nullptr;
    QLabel* m_zoomLabel = nullptr;
    QScrollBar* m_zoom = nullptr;
    QCheckBox* m_realSize = nullptr;
    QCheckBox* m_webPage = nullptr;
    QComboBox* m_resolution = nullptr;
    QLineEdit* m_screenDpi = nullptr;
    QLabel* m_sizeHint = nullptr;
    QLabel* m_contrast = nullptr;
    QLabel* m_verdict = nullptr;
    double m_ratio = -1;
};
