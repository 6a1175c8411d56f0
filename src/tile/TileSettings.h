#pragma once

#include <QColor>
#include <QObject>

#include <optional>

#include "tile/TileMode.h"

// The tiled view's mode and the page colour around and beneath the tiles, shared by the
// tiled view's keys and the toolbox's switches so that both always show the same state. One
// object for the whole run, beside the sample settings.
class TileSettings : public QObject
{
    Q_OBJECT
public:
    // background: the page colour until the user mixes another, normally the window colour.
    explicit TileSettings(const QColor& background, QObject* parent = nullptr);

    const TileMode& mode() const { return m_mode; }
    QColor background() const { return m_background; }

    void setMode(const TileMode& mode);
    void setOffset(bool on);
    void setGrid(bool on);
    void setSeamMap(bool on);
    void setRepeat(const Repeat& repeat);
    void setAxis(TileMode::Axis axis);
    // The key of an axis: that axis, or both again when it is the one in force.
    void toggleAxis(TileMode::Axis axis);
    // A zoom step leaves real size: the user asked for another scale.
    void setZoom(int zoom);
    void setRealSize(bool on);
    void setWebPage(bool on);
    void setBackground(const QColor& colour);

    // The resolution of pictures whose file states none, in dots per inch.
    double pictureDpi() const { return m_pictureDpi; }
    void setPictureDpi(double dpi);
    // The screen's resolution in device pixels per inch as the user measured it; nothing: as
    // the screen reports it.
    std::optional<double> screenDpi() const { return m_screenDpi; }
    void setScreenDpi(std::optional<double> dpi);
    // The plain view again (offset, grid, seam map, axis, zoom and real size). The repeat is a
    // choice of work, not a view aid, and stays, as do the page colour and "as a web page".
    void resetMode();

Q_SIGNALS:
    void modeChanged();
    void backgroundChanged();
    void resolutionChanged();

private:
    // One field of the mode changed, through setMode.
    template <typename Field> void change(Field TileMode::*field, const Field& value);
    TileMode m_mode;
    QColor m_background;
    double m_pictureDpi = DefaultPictureDpi;
    std::optional<double> m_screenDpi;

public:
    static constexpr double DefaultPictureDpi = 96.0;
};
