#pragma once

#include <QPointF>
#include <QString>

#include <optional>

#include "app/ViewState.h"
#include "layout/TwipRect.h"
#include "listing/TypeFilter.h"
#include "tile/Repeat.h"
#include "ui/WindowGeometry.h"

class Settings;

// Everything the program keeps from one run to the next, as one value.
struct SessionState
{
    // Nothing when the window is minimised: the stored rectangle stays as it was.
    std::optional<WindowGeometry> window;
    QString folder;
    ViewState view;
    int isaLeft = 0;
    int isbLeft = 0;
    TwipRect tiled;
    TypeFilter types;
    // The toolbox's outer top-left in twips; nothing at close when it was never opened, so
    // that the stored place stays as it was.
    std::optional<QPointF> toolbox;
    Repeat repeat;
    double pictureDpi = 0;
    std::optional<double> screenDpi;
    bool webPage = false;
};

// Reads the session from the settings at start-up and writes it back at close, in one place.
class Session
{
public:
    explicit Session(Settings& settings);

    Settings& settings() const { return m_settings; }

    SessionState load() const;
    // Sizes that are missing or cannot be used give way to the first-start ones: the main
    // window at two thirds of the screen, centred, default panes in their proportions; the
    // tiled view at half the screen, towards its right. A size is missing when it holds the
    // defaults of old (6500 twips square at 1000, 1000, chosen for 640 x 480 screens: such a
    // window was never resized), and cannot be used when it is below `leastMain` (the tiled
    // view's least side for the tiled view) or beyond the desktop. screen: the available area
    // the windows first open on, desktop: that of all screens, in pixels.
    static void settleSizes(SessionState& state, const QRect& screen, const QRect& desktop,
                            const QSizeF& leastMain);
    // One write of the settings file for the whole session. The type pieces are the Options
    // dialog's to write, not the close's.
    void save(const SessionState& state);
    // A pane's toggle writes its own key at once, so that it survives a killed program.
    void savePane(Pane pane, bool on);

private:
    Settings& m_settings;
};
