#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

class QPainter;
class SampleSettings;

// The line of sample text over the tiled view: transparent, read-only, as wide as its text
// plus a little. It follows the sample settings by itself: the colour at once, text, font and
// size while its window shows; on screen while the toolbox shows, out of sight otherwise.
// Presses go through to the window beneath, which closes on any press.
class SampleTextBox : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Left = 400;         // twips from the window's left edge
    static constexpr int Top = 400;          // twips from the window's top edge
    static constexpr int HiddenLeft = -2000; // outside the window
    static constexpr int ExtraWidth = 200;   // twips beyond the text

    // view: the window the sample lies on; the box watches it to follow its activation.
    SampleTextBox(const SampleSettings& settings, QWidget* view);

    // Copies text, font, size and colour from the settings and sizes the box to its text.
    void applySample();
    // Shows the sample (applied) while the toolbox shows; empties and hides it otherwise.
    void present(bool toolboxShowing);

    QString text() const { return m_text; }
    QColor colour() const { return m_colour; }
    QFont sampleFont() const { return m_font; }
    bool isOnScreen() const;

    // The box's size for a text in a font, and how the text is drawn in it.
    static QSize sizeFor(const QFont& font, const QString& text);
    static void drawSample(QPainter& painter, const QRect& box, const QFont& font,
                           const QColor& colour, const QString& text);
    // The box as the text covers it, each pixel's alpha how much of it the text covers; cut to
    // `within` (what of the box can show), so that a very long text costs no more than that.
    static QImage coverage(const QFont& font, const QString& text, const QSize& within);
    // The box's top-left corner in its window while it shows, in pixels.
    static QPoint shownAt();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyColour();
    void fitToText();

    const SampleSettings& m_settings;
    QString m_text;
    QColor m_colour;
    QFont m_font;
};
