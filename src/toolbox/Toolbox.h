#pragma once

#include <QPointer>
#include <QWidget>

class FontCatalog;
class MessageBoxes;
class PrintService;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QScrollBar;
class SampleSettings;

// The small tool window in which the user mixes the sample: text, TrueType font, size and
// colour. It can keep itself above other windows and print the tiled view.
class Toolbox : public QWidget
{
    Q_OBJECT
public:
    static const QString MessageTitle;
    static const QString NoTiledViewText;
    static const QString PrintFailedText;
    static constexpr int InnerWidth = 1440; // twips
    static constexpr int InnerHeight = 6975;

    Toolbox(SampleSettings& sample, const FontCatalog& fonts, PrintService& printer,
            MessageBoxes& messages, QWidget* owner);

    // The window Print sends to the printer and closes when printing fails; may go away.
    void setTiledView(QWidget* view) { m_view = view; }

    // Shows the toolbox, loading it on the first call; brings it forward when it shows.
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

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void build();
    void load();
    void colourMoved();
    void sizeMoved(int barValue);
    void fontChosen(int index);
    void setOnTop(bool on);
    void print();

    SampleSettings& m_sample;
    const FontCatalog& m_fonts;
    PrintService& m_printer;
    MessageBoxes& m_messages;
    QPoint m_startTwips{1000, 1000};
    QPointer<QWidget> m_view;
    bool m_loaded = false;
    bool m_changingFlags = false;

    QLineEdit* m_text = nullptr;
    QLabel* m_swatch = nullptr;
    QLabel* m_amounts[3] = {};
    QScrollBar* m_colours[3] = {};
    QLabel* m_sizeLabel = nullptr;
    QScrollBar* m_size = nullptr;
    QLabel* m_fontCount = nullptr;
    QComboBox* m_fontList = nullptr;
    QCheckBox* m_onTop = nullptr;
};
