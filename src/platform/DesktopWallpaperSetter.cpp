#include "platform/DesktopWallpaperSetter.h"

#include <QRegularExpression>
#include <QUrl>

#include "platform/CommandRunner.h"

namespace {

const QString Gsettings = QStringLiteral("gsettings");
const QString Gdbus = QStringLiteral("gdbus");
const QString PlasmaShell = QStringLiteral("plasmashell");
const QString PlasmaApply = QStringLiteral("plasma-apply-wallpaperimage");
const QString Xfconf = QStringLiteral("xfconf-query");
const QString PcmanfmQt = QStringLiteral("pcmanfm-qt");
const QString Feh = QStringLiteral("feh");

// Plasma's picture wallpaper; from 6.6 on tiling lives in its own add-on plugin.
const QString PlasmaImagePlugin = QStringLiteral("org.kde.image");
const QString PlasmaTiledPlugin = QStringLiteral("org.kde.tiled");
constexpr std::pair<int, int> PlasmaTiledSince{6, 6};

bool fail(QString* why, const QString& text)
{
    if (why)
        *why = text;
    return false;
}

QString fileUrl(const QString& path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

} // namespace

DesktopWallpaperSetter::DesktopWallpaperSetter(CommandRunner& runner, const QString& desktopNames)
    : m_runner(runner), m_desktop(desktopFrom(desktopNames))
{
}

DesktopWallpaperSetter::Desktop DesktopWallpaperSetter::desktopFrom(const QString& desktopNames)
{
    const QStringList names = desktopNames.toLower().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& raw : names) {
        const QString name = raw.trimmed();
        if (name == QLatin1String("gnome") || name == QLatin1String("ubuntu") ||
            name == QLatin1String("budgie") || name == QLatin1String("unity") ||
            name == QLatin1String("gnome-classic") || name == QLatin1String("gnome-flashback"))
            return Desktop::Gnome;
        if (name == QLatin1String("x-cinnamon") || name == QLatin1String("cinnamon"))
            return Desktop::Cinnamon;
        if (name == QLatin1String("mate"))
            return Desktop::Mate;
        if (name == QLatin1String("kde"))
            return Desktop::Plasma;
        if (name == QLatin1String("xfce"))
            return Desktop::Xfce;
        if (name == QLatin1String("lxqt"))
            return Desktop::Lxqt;
    }
    return Desktop::Other;
}

bool DesktopWallpaperSetter::set(const QString& path, QString* why)
{
    switch (m_desktop) {
    case Desktop::Gnome:
        return setGnome(path, why);
    case Desktop::Cinnamon:
        return setGsettings(QStringLiteral("org.cinnamon.desktop.background"),
                            QStringLiteral("picture-uri"), fileUrl(path), why);
    case Desktop::Mate:
        return setGsettings(QStringLiteral("org.mate.background"),
                            QStringLiteral("picture-filename"), path, why);
    case Desktop::Plasma:
        return setPlasma(path, why);
    case Desktop::Xfce:
        return setXfce(path, why);
    case Desktop::Lxqt:
        return setLxqt(path, why);
    case Desktop::Other:
        break;
    }
    return setOther(path, why);
}

bool DesktopWallpaperSetter::runTool(const QString& program, const QStringList& arguments,
                                     QString* why)
{
    const CommandResult result = m_runner.run(program, arguments);
    return result.ok() || fail(why, result.failureText(program));
}

bool DesktopWallpaperSetter::setGsettings(const QString& schema, const QString& key,
                                          const QString& value, QString* why)
{
    return runTool(Gsettings, {QStringLiteral("set"), schema, key, value}, why);
}

bool DesktopWallpaperSetter::setGnome(const QString& path, QString* why)
{
    const QString schema = QStringLiteral("org.gnome.desktop.background");
    if (!setGsettings(schema, QStringLiteral("picture-uri"), fileUrl(path), why))
        return false;
    // Schemas before GNOME 42 have no dark variant; the light key alone is then enough.
    QString ignored;
    setGsettings(schema, QStringLiteral("picture-uri-dark"), fileUrl(path), &ignored);
    return true;
}

std::pair<int, int> DesktopWallpaperSetter::plasmaVersion(const QString& versionText)
{
    static const QRegularExpression version(QStringLiteral("(\\d+)\\.(\\d+)"));
    const QRegularExpressionMatch match = version.match(versionText);
    if (!match.hasMatch())
        return {0, 0};
    return {match.captured(1).toInt(), match.captured(2).toInt()};
}

QString DesktopWallpaperSetter::plasmaScript(const QString& fileUrl,
                                             const QStringList& picturePlugins)
{
    // The URL is percent-encoded, so it holds no quote or backslash to escape.
    return QStringLiteral("var plugins = [\"%1\"];"
                          "var all = desktops();"
                          "for (var i = 0; i < all.length; ++i) {"
                          "var d = all[i];"
                          "var plugin = d.wallpaperPlugin;"
                          "if (plugins.indexOf(plugin) < 0) { plugin = \"%2\"; "
                          "d.wallpaperPlugin = plugin; }"
                          "d.currentConfigGroup = [\"Wallpaper\", plugin, \"General\"];"
                          "d.writeConfig(\"Image\", \"%3\");"
                          "}")
        .arg(picturePlugins.join(QStringLiteral("\", \"")), PlasmaImagePlugin, fileUrl);
}

bool DesktopWallpaperSetter::setPlasma(const QString& path, QString* why)
{
    const CommandResult version = m_runner.run(PlasmaShell, {QStringLiteral("--version")});
    const std::pair<int, int> running =
        plasmaVersion(QString::fromLocal8Bit(version.output + version.errors));
    const bool tiledPlugin = running >= PlasmaTiledSince;
    QStringList plugins{PlasmaImagePlugin};
    if (tiledPlugin)
        plugins.append(PlasmaTiledPlugin);

    const QString script = plasmaScript(fileUrl(path), plugins);
    // gdbus reads its arguments as GVariant text: a single-quoted string.
    const CommandResult called = m_runner.run(
        Gdbus, {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                QStringLiteral("org.kde.plasmashell"), QStringLiteral("--object-path"),
                QStringLiteral("/PlasmaShell"), QStringLiteral("--method"),
                QStringLiteral("org.kde.PlasmaShell.evaluateScript"),
                QLatin1Char('\'') + script + QLatin1Char('\'')});
    if (called.ok())
        return true;
    // The apply tool switches a desktop to the picture plugin, which from 6.6 on drops the
    // tiling of the add-on plugin: only a fallback for the releases before.
    if (tiledPlugin || !m_runner.isAvailable(PlasmaApply))
        return fail(why, called.failureText(Gdbus));
    return runTool(PlasmaApply, {path}, why);
}

bool DesktopWallpaperSetter::setXfce(const QString& path, QString* why)
{
    const QString channel = QStringLiteral("xfce4-desktop");
    const CommandResult listed =
        m_runner.run(Xfconf, {QStringLiteral("-c"), channel, QStringLiteral("-l")});
    if (!listed.ok())
        return fail(why, listed.failureText(Xfconf));
    int set = 0;
    const QStringList properties = QString::fromLocal8Bit(listed.output).split(QLatin1Char('\n'));
    for (const QString& raw : properties) {
        const QString property = raw.trimmed();
        if (!property.endsWith(QLatin1String("/last-image")))
            continue;
        if (!runTool(Xfconf,
                     {QStringLiteral("-c"), channel, QStringLiteral("-p"), property,
                      QStringLiteral("-s"), path},
                     why))
            return false;
        ++set;
    }
    return set > 0 || fail(why, QStringLiteral("the XFCE desktop has no background to set"));
}

bool DesktopWallpaperSetter::setLxqt(const QString& path, QString* why)
{
    return runTool(PcmanfmQt, {QStringLiteral("--set-wallpaper"), path}, why);
}

bool DesktopWallpaperSetter::setOther(const QString& path, QString* why)
{
    if (!m_runner.isAvailable(Feh))
        return fail(why, QStringLiteral("this desktop has no wallpaper tool Vadro knows "
                                        "(installing feh would do)"));
    return runTool(Feh, {QStringLiteral("--bg-tile"), path}, why);
}
