#include "tile/TileSettings.h"

#include "tile/RealSize.h"

TileSettings::TileSettings(const QColor& background, QObject* parent)
    : QObject(parent), m_background(background)
{
}

void TileSettings::setMode(const TileMode& mode)
{
    TileMode next = mode;
    next.zoom = TileMode::clampZoom(next.zoom);
    if (next == m_mode)
        return;
    m_mode = next;
    Q_EMIT modeChanged();
}

template <typename Field> void TileSettings::change(Field TileMode::*field, const Field& value)
{
    TileMode next = m_mode;
    next.*field = value;
    setMode(next);
}

void TileSettings::setOffset(bool on)
{
    change(&TileMode::offset, on);
}

void TileSettings::setGrid(bool on)
{
    change(&TileMode::grid, on);
}

void TileSettings::setSeamMap(bool on)
{
    change(&TileMode::seamMap, on);
}

void TileSettings::setRepeat(const Repeat& repeat)
{
    change(&TileMode::repeat, repeat);
}

void TileSettings::setAxis(TileMode::Axis axis)
{
    change(&TileMode::axis, axis);
}

void TileSettings::toggleAxis(TileMode::Axis axis)
{
    setAxis(TileMode::toggled(m_mode.axis, axis));
}

void TileSettings::setZoom(int zoom)
{
    TileMode next = m_mode;
    next.zoom = zoom;
    next.realSize = false;
    setMode(next);
}

void TileSettings::setRealSize(bool on)
{
    change(&TileMode::realSize, on);
}

void TileSettings::setWebPage(bool on)
{
    change(&TileMode::webPage, on);
}

void TileSettings::setPictureDpi(double dpi)
{
    const std::optional<double> sane = RealSize::sane(dpi);
    if (!sane || *sane == m_pictureDpi)
        return;
    m_pictureDpi = *sane;
    Q_EMIT resolutionChanged();
}

void TileSettings::setScreenDpi(std::optional<double> dpi)
{
    const std::optional<double> sane = RealSize::sane(dpi);
    if (sane == m_screenDpi)
        return;
    m_screenDpi = sane;
    Q_EMIT resolutionChanged();
}

void TileSettings::setBackground(const QColor& colour)
{
    if (!colour.isValid() || colour == m_background)
        return;
    m_background = colour;
    Q_EMIT backgroundChanged();
}

void TileSettings::resetMode()
{
    TileMode plain;
    plain.repeat = m_mode.repeat;
    plain.webPage = m_mode.webPage;
    setMode(plain);
}
