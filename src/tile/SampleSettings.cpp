#include "tile/SampleSettings.h"

#include <algorithm>

SampleSettings::SampleSettings(QObject* parent) : QObject(parent) {}

QFont SampleSettings::font() const
{
    QFont font = m_family.isEmpty() ? QFont() : QFont(m_family);
    font.setPointSize(m_size);
    return font;
}

void SampleSettings::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    Q_EMIT sampleChanged();
}

void SampleSettings::setFontFamily(const QString& family)
{
    if (family == m_family)
        return;
    m_family = family;
    Q_EMIT sampleChanged();
}

void SampleSettings::setSize(int points)
{
    points = std::clamp(points, MinSize, MaxSize);
    if (points == m_size)
        return;
    m_size = points;
    Q_EMIT sampleChanged();
}

void SampleSettings::setColour(const QColor& colour)
{
    if (colour == m_colour)
        return;
    m_colour = colour;
    Q_EMIT colourChanged();
}

void SampleSettings::setToolboxShowing(bool showing)
{
    if (showing == m_toolboxShowing)
        return;
    m_toolboxShowing = showing;
    Q_EMIT toolboxShowingChanged(showing);
}
