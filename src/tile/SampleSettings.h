#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>

// The sample text laid over the tiles: text, font, size and colour, and whether the toolbox
// that edits them is showing. One object for the whole run, owned above both the toolbox and
// the tiled view, so either window may come and go without the other losing the sample.
class SampleSettings : public QObject
{
    Q_OBJECT
public:
    static constexpr int InitialSize = 36; // points
    static constexpr int MinSize = 8;
    static constexpr int MaxSize = 120;

    explicit SampleSettings(QObject* parent = nullptr);

    QString text() const { return m_text; }
    QString fontFamily() const { return m_family; } // empty: the default font
    int size() const { return m_size; }
    QColor colour() const { return m_colour; }
    bool toolboxShowing() const { return m_toolboxShowing; }
    // The family at the size, or the default font at the size when no family is chosen.
    QFont font() const;

    void setText(const QString& text);
    void setFontFamily(const QString& family);
    void setSize(int points);
    void setColour(const QColor& colour);
    void setToolboxShowing(bool showing);

Q_SIGNALS:
    // Text, font or size changed: applied to a showing sample.
    void sampleChanged();
    // Applied at once whether the sample shows or not, so it is ready when it opens.
    void colourChanged();
    void toolboxShowingChanged(bool showing);

private:
    QString m_text = QStringLiteral("Sample Text");
    QString m_family;
    int m_size = InitialSize;
    QColor m_colour = Qt::black;
    bool m_toolboxShowing = false;
};
