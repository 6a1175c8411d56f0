#pragma once

#include <QString>
#include <QStringList>

#include <utility>

#include "platform/WallpaperSetter.h"

class CommandRunner;

// Sets the wallpaper with the running desktop's own tool, chosen from XDG_CURRENT_DESKTOP.
// The desktop's placement (tiled, centred, scaled) is never touched.
class DesktopWallpaperSetter : public WallpaperSetter
{
public:
    enum class Desktop
    {
        Gnome, // GNOME, Ubuntu, Budgie, Unity
        Cinnamon,
        Mate,
        Plasma,
        Xfce,
        Lxqt,
        Other // a bare X session or a desktop we do not know: feh
    };

    // desktopNames: the XDG_CURRENT_DESKTOP value, names separated by ':'.
    DesktopWallpaperSetter(CommandRunner& runner, const QString& desktopNames);

    bool set(const QString& path, QString* why) override;

    Desktop desktop() const { return m_desktop; }
    static Desktop desktopFrom(const QString& desktopNames);
    // "plasmashell 6.6.0" -> {6, 6}; {0, 0} when the text says nothing.
    static std::pair<int, int> plasmaVersion(const QString& versionText);
    // The Plasma script that points every desktop's picture wallpaper at the file, keeping
    // the wallpaper plugin (and with it the placement) each desktop already has.
    static QString plasmaScript(const QString& fileUrl, const QStringList& picturePlugins);

private:
    bool setGnome(const QString& path, QString* why);
    bool setGsettings(const QString& schema, const QString& key, const QString& value,
                      QString* why);
    bool setPlasma(const QString& path, QString* why);
    bool setXfce(const QString& path, QString* why);
    bool setLxqt(const QString& path, QString* why);
    bool setOther(const QString& path, QString* why);
    bool runTool(const QString& program, const QStringList& arguments, QString* why);

    CommandRunner& m_runner;
    Desktop m_desktop;
};
