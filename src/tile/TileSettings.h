#pragma once

#include <QColor>
#include <QObject>

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
    void setZoom(int zoom);
    void setBackground(const QColor& colour);
    // The plain view again (offset, grid, seam map, axis and zoom). The repeat is a choice of
    // work, not a view aid, and stays, as does the page colour.
    void resetMode();

Q_SIGNALS:
    void modeChanged();
    void backgroundChanged();

private:
    TileMode m_mode;
    QColor m_background;
};
