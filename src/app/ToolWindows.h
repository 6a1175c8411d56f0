#pragma once

#include <QObject>
#include <QPointF>

#include <memory>
#include <optional>

class Browser;
class OptionsDialog;
class QWidget;
class SampleSettings;
class Settings;
class StatusBar;
class TileSettings;
class TiledView;
class TitleStrip;
class Toolbox;
class TypeFilter;
class WallpaperCommand;
struct Platform;

// The main window's secondary windows and the commands that open them: the toolbox over the
// tiled view, the Options dialog, the wallpaper, help and About. Each window is made once and
// lives as long as the main window.
class ToolWindows : public QObject
{
    Q_OBJECT
public:
    // The parts of the main window they work with; all outlive this object.
    struct Parts
    {
        QWidget& window;
        Browser& browser;
        TiledView& tiled;
        TitleStrip& title;
        StatusBar& status;
        SampleSettings& sample;
        TileSettings& tiles;
        TypeFilter& types;
        Settings& settings;
    };

    ToolWindows(const Parts& parts, Platform& platform, QObject* parent);
    ~ToolWindows() override;

    Toolbox& toolbox() const { return *m_toolbox; }
    OptionsDialog& options() const { return *m_options; }
    WallpaperCommand& wallpaper() const { return *m_wallpaper; }

    void showToolbox();
    // Saves the current picture's repeat unit as PNG where the user chooses.
    void saveRepeat();
    // Tools > Options and the toolbar wait for the dialog; F3 does not.
    void showOptions(bool modal);
    void setWallpaper();
    void helpContents();
    void webPage();
    void showAbout();

    // The toolbox's place in twips: where it opens, from the session; for the session to keep,
    // nothing when it was never opened.
    void setToolboxPosition(const QPointF& twips);
    std::optional<QPointF> toolboxPosition() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void typesApplied();
    // Puts a wallpaper failure on the status line; false when there is no bar to show it.
    bool reportOnStatusLine(const QString& text);

    Parts m_parts;
    Platform& m_platform;
    std::unique_ptr<Toolbox> m_toolbox;
    OptionsDialog* m_options;
    WallpaperCommand* m_wallpaper;
};
