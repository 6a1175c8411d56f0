#include <QtTest>

#include <QImageReader>
#include <QTemporaryDir>

#include "TestPlatform.h"
#include "platform/DesktopWallpaperSetter.h"
#include "platform/ImageDecoder.h"
#include "platform/ProcessCommandRunner.h"
#include "preview/CurrentImage.h"
#include "preview/WallpaperCommand.h"

Q_DECLARE_METATYPE(DesktopWallpaperSetter::Desktop)

namespace {

CommandResult answered(int exitCode, const QByteArray& output = {}, const QByteArray& errors = {})
{
    CommandResult r;
    r.started = true;
    r.exitCode = exitCode;
    r.output = output;
    r.errors = errors;
    return r;
}

// A picture with distinct pixels, for a lossless round trip.
QImage pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 37) % 256, (y * 53) % 256, ((x + y) * 11) % 256));
    return image;
}

// The wallpaper command over fakes, a real decoder and folders of the test's own.
struct Bench
{
    QTemporaryDir dir;
    QString pictures = dir.filePath(QStringLiteral("pictures"));
    QString data = dir.filePath(QStringLiteral("data"));
    QtImageDecoder decoder;
    CurrentImage current{decoder};
    FakeClipboard clipboard;
    FakeWallpaperSetter setter;
    FakeMessageBoxes messages;
    QStringList reports;
    WallpaperCommand command{
        current, decoder, clipboard, setter, messages, data, [this](const QString& text) {
            reports.append(text);
            return true;
        }};

    Bench() { QDir().mkpath(pictures); }
    QString picture(const QString& name, const QImage& image, const char* format = nullptr)
    {
        const QString path = QDir(pictures).filePath(name);
        image.save(path, format);
        return path;
    }
};

} // namespace

class TestWallpaper : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void desktops_data();
    void desktops();
    void gnomeFamilyCommands();
    void plasmaKeepsItsPlugin();
    void xfceLxqtAndFallback();
    void realGsettings();
    void runnerTimeLimit();
    void writesBmpAndAlternates();
    void faultsAreNotSilent();
    void refreshOnlyInTheDataFolder();
};

void TestWallpaper::desktops_data()
{
    using D = DesktopWallpaperSetter::Desktop;
    QTest::addColumn<QString>("names");
    QTest::addColumn<D>("desktop");
    QTest::newRow("GNOME") << "GNOME" << D::Gnome;
    QTest::newRow("Ubuntu") << "ubuntu:GNOME" << D::Gnome;
    QTest::newRow("Budgie") << "Budgie:GNOME" << D::Gnome;
    QTest::newRow("Unity") << "Unity" << D::Gnome;
    QTest::newRow("Cinnamon") << "X-Cinnamon" << D::Cinnamon;
    QTest::newRow("MATE") << "MATE" << D::Mate;
    QTest::newRow("Plasma") << "KDE" << D::Plasma;
    QTest::newRow("XFCE") << "XFCE" << D::Xfce;
    QTest::newRow("LXQt") << "LXQt" << D::Lxqt;
    QTest::newRow("bare X") << "" << D::Other;
    QTest::newRow("unknown") << "i3:sway" << D::Other;
}

void TestWallpaper::desktops()
{
    QFETCH(QString, names);
    QFETCH(DesktopWallpaperSetter::Desktop, desktop);
    QCOMPARE(DesktopWallpaperSetter::desktopFrom(names), desktop);
}

void TestWallpaper::gnomeFamilyCommands()
{
    const QString path = QStringLiteral("/home/u/.local/share/Vadro/Wallpaper #1.bmp");
    const QString url = QStringLiteral("file:///home/u/.local/share/Vadro/Wallpaper%20%231.bmp");
    {
        FakeCommandRunner runner;
        DesktopWallpaperSetter setter(runner, QStringLiteral("ubuntu:GNOME"));
        QString why;
        QVERIFY(setter.set(path, &why));
        const QString schema = QStringLiteral("org.gnome.desktop.background");
        QCOMPARE(runner.commands,
                 QVector<QStringList>({{"gsettings", "set", schema, "picture-uri", url},
                                       {"gsettings", "set", schema, "picture-uri-dark", url}}));
        // An old schema without the dark key still counts; a refused light key does not.
        runner.commands.clear();
        runner.answers.insert(QStringLiteral("gsettings"), answered(1, {}, "No such key"));
        QVERIFY(!setter.set(path, &why));
        QCOMPARE(why, QStringLiteral("gsettings: No such key"));
    }
    {
        FakeCommandRunner runner;
        DesktopWallpaperSetter setter(runner, QStringLiteral("X-Cinnamon"));
        QVERIFY(setter.set(path, nullptr));
        QCOMPARE(runner.commands,
                 QVector<QStringList>({{"gsettings", "set", "org.cinnamon.desktop.background",
                                        "picture-uri", url}}));
    }
    {
        FakeCommandRunner runner;
        DesktopWallpaperSetter setter(runner, QStringLiteral("MATE"));
        QVERIFY(setter.set(path, nullptr));
        QCOMPARE(runner.commands, QVector<QStringList>({{"gsettings", "set", "org.mate.background",
                                                         "picture-filename", path}}));
    }
}

void TestWallpaper::plasmaKeepsItsPlugin()
{
    const QString path = QStringLiteral("/w/.Wallpaper-alt.bmp");
    {
        FakeCommandRunner runner;
        runner.answers.insert(QStringLiteral("plasmashell"), answered(0, "plasmashell 6.6.2\n"));
        DesktopWallpaperSetter setter(runner, QStringLiteral("KDE"));
        QVERIFY(setter.set(path, nullptr));
        QCOMPARE(runner.commands.size(), 2);
        const QStringList call = runner.commands[1];
        QCOMPARE(call.first(), QStringLiteral("gdbus"));
        QVERIFY(call.contains(QStringLiteral("org.kde.PlasmaShell.evaluateScript")));
        const QString script = call.last();
        QVERIFY(script.startsWith(QLatin1Char('\'')) && script.endsWith(QLatin1Char('\'')));
        QCOMPARE(script.count(QLatin1Char('\'')), 2);
        QVERIFY(script.contains(QStringLiteral("\"org.kde.image\", \"org.kde.tiled\"")));
        QVERIFY(script.contains(QStringLiteral("file:///w/.Wallpaper-alt.bmp")));
        QVERIFY(!script.contains(QStringLiteral("FillMode")));

        // From 6.6 on the apply tool would drop the tiling plugin: a failure is reported.
        runner.commands.clear();
        runner.answers.insert(QStringLiteral("gdbus"), answered(1, {}, "No such interface"));
        QString why;
        QVERIFY(!setter.set(path, &why));
        QCOMPARE(why, QStringLiteral("gdbus: No such interface"));
        QCOMPARE(runner.commands.size(), 2);
    }
    {
        FakeCommandRunner runner;
        runner.answers.insert(QStringLiteral("plasmashell"), answered(0, "plasmashell 5.27.10\n"));
        runner.answers.insert(QStringLiteral("gdbus"), answered(1));
        DesktopWallpaperSetter setter(runner, QStringLiteral("KDE"));
        QVERIFY(setter.set(path, nullptr));
        QVERIFY(!runner.commands[1].last().contains(QStringLiteral("org.kde.tiled")));
        QCOMPARE(runner.commands.last(),
                 QStringList({QStringLiteral("plasma-apply-wallpaperimage"), path}));
    }
    QCOMPARE(DesktopWallpaperSetter::plasmaVersion(QStringLiteral("plasmashell 6.10.1")),
             std::make_pair(6, 10));
    QCOMPARE(DesktopWallpaperSetter::plasmaVersion(QStringLiteral("garbage")),
             std::make_pair(0, 0));
}

void TestWallpaper::xfceLxqtAndFallback()
{
    const QString path = QStringLiteral("/w/Wallpaper.bmp");
    {
        FakeCommandRunner runner;
        runner.answers.insert(QStringLiteral("xfconf-query"),
                              answered(0,
                                       "/backdrop/screen0/monitor0/workspace0/last-image\n"
                                       "/backdrop/screen0/monitor0/workspace0/image-style\n"
                                       "/backdrop/screen0/monitorHDMI-1/workspace1/last-image\n"));
        DesktopWallpaperSetter setter(runner, QStringLiteral("XFCE"));
        QVERIFY(setter.set(path, nullptr));
        QCOMPARE(runner.commands.size(), 3);
        QCOMPARE(runner.commands[1],
                 QStringList({"xfconf-query", "-c", "xfce4-desktop", "-p",
                              "/backdrop/screen0/monitor0/workspace0/last-image", "-s", path}));
        QCOMPARE(runner.commands[2][4],
                 QStringLiteral("/backdrop/screen0/monitorHDMI-1/workspace1/last-image"));

        runner.answers.insert(QStringLiteral("xfconf-query"), answered(0, "/other\n"));
        QString why;
        QVERIFY(!setter.set(path, &why));
        QVERIFY(!why.isEmpty());
    }
    {
        FakeCommandRunner runner;
        DesktopWallpaperSetter setter(runner, QStringLiteral("LXQt"));
        QVERIFY(setter.set(path, nullptr));
        QCOMPARE(runner.commands, QVector<QStringList>({{"pcmanfm-qt", "--set-wallpaper", path}}));
    }
    {
        FakeCommandRunner runner;
        DesktopWallpaperSetter setter(runner, QString());
        QVERIFY(setter.set(path, nullptr));
        QCOMPARE(runner.commands, QVector<QStringList>({{"feh", "--bg-tile", path}}));
        runner.missing.append(QStringLiteral("feh"));
        runner.commands.clear();
        QString why;
        QVERIFY(!setter.set(path, &why));
        QVERIFY(why.contains(QStringLiteral("feh")));
        QVERIFY(runner.commands.isEmpty());
    }
}

void TestWallpaper::realGsettings()
{
    ProcessCommandRunner runner;
    if (!runner.isAvailable(QStringLiteral("gsettings")))
        QSKIP("gsettings is not installed (libglib2.0-bin)");
    QTemporaryDir config;
    const QByteArray savedBackend = qgetenv("GSETTINGS_BACKEND");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("GSETTINGS_BACKEND", "keyfile");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const auto restore = qScopeGuard([&] {
        savedBackend.isNull() ? qunsetenv("GSETTINGS_BACKEND")
                              : qputenv("GSETTINGS_BACKEND", savedBackend);
        savedConfig.isNull() ? qunsetenv("XDG_CONFIG_HOME")
                             : qputenv("XDG_CONFIG_HOME", savedConfig);
    });
    const CommandResult schemas =
        runner.run(QStringLiteral("gsettings"), {QStringLiteral("list-schemas")});
    if (!schemas.output.contains("org.gnome.desktop.background\n"))
        QSKIP("the GNOME desktop schemas are not installed (gsettings-desktop-schemas)");

    DesktopWallpaperSetter setter(runner, QStringLiteral("GNOME"));
    const QString path = config.filePath(QStringLiteral("Wall paper.bmp"));
    QString why;
    QVERIFY2(setter.set(path, &why), qPrintable(why));
    const CommandResult read =
        runner.run(QStringLiteral("gsettings"),
                   {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.background"),
                    QStringLiteral("picture-uri")});
    QVERIFY(read.ok());
    QCOMPARE(QString::fromUtf8(read.output).trimmed(),
             QStringLiteral("'%1'").arg(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)));
    // The keyfile really holds it, so another process sees it too.
    QVERIFY(QFile::exists(config.filePath(QStringLiteral("glib-2.0/settings/keyfile"))));
}

void TestWallpaper::runnerTimeLimit()
{
    ProcessCommandRunner runner;
    const CommandResult hung = runner.run(QStringLiteral("sleep"), {QStringLiteral("30")}, 200);
    QVERIFY(hung.started);
    QVERIFY(hung.timedOut);
    QVERIFY(!hung.ok());
    QCOMPARE(hung.failureText(QStringLiteral("sleep")),
             QStringLiteral("sleep did not answer in time"));
    const CommandResult missing = runner.run(QStringLiteral("no-such-tool-vadro"), {});
    QVERIFY(!missing.started);
    QVERIFY(!runner.isAvailable(QStringLiteral("no-such-tool-vadro")));
    const CommandResult failed = runner.run(
        QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("echo bad >&2; exit 3")});
    QCOMPARE(failed.exitCode, 3);
    QCOMPARE(failed.failureText(QStringLiteral("sh")), QStringLiteral("sh: bad"));
}

void TestWallpaper::writesBmpAndAlternates()
{
    Bench b;
    const QImage source = pattern(37, 21);
    b.picture(QStringLiteral("tile.png"), source);
    b.current.load(b.pictures, QStringLiteral("tile.png"));
    QCOMPARE(b.command.run(), WallpaperCommand::Outcome::Done);

    const QString bmp = b.command.wallpaperPath();
    QCOMPARE(QFileInfo(bmp).fileName(), QStringLiteral("Wallpaper.bmp"));
    QImageReader reader(bmp);
    QCOMPARE(reader.format(), QByteArray("bmp"));
    const QImage written = reader.read();
    QCOMPARE(written.size(), source.size());
    QCOMPARE(written.convertToFormat(QImage::Format_RGB32), source);
    QCOMPARE(b.clipboard.image.convertToFormat(QImage::Format_RGB32), source);

    // The desktop is handed the hidden twin and Wallpaper.bmp by turns; both hold the picture.
    QCOMPARE(b.setter.paths, QStringList({b.command.twinPath()}));
    QCOMPARE(QImage(b.command.twinPath()).convertToFormat(QImage::Format_RGB32), source);
    // A lossy JPEG comes out as a BMP of its own pixel size.
    b.picture(QStringLiteral("second.jpg"), pattern(8, 9), "jpg");
    b.current.load(b.pictures, QStringLiteral("second.jpg"));
    QCOMPARE(b.command.run(), WallpaperCommand::Outcome::Done);
    QCOMPARE(b.setter.paths.last(), bmp);
    QVERIFY(!QFile::exists(b.command.twinPath()));
    QImageReader again(bmp);
    QCOMPARE(again.format(), QByteArray("bmp"));
    QCOMPARE(again.size(), QSize(8, 9));
    QCOMPARE(b.command.run(), WallpaperCommand::Outcome::Done);
    QCOMPARE(b.setter.paths.last(), b.command.twinPath());
    QVERIFY(b.reports.isEmpty());
    QVERIFY(b.messages.shown.isEmpty());
}

void TestWallpaper::faultsAreNotSilent()
{
    Bench b;
    // No file selected: the message, nothing written.
    QCOMPARE(b.command.run(), WallpaperCommand::Outcome::NoSelection);
    QCOMPARE(b.messages.shown.size(), 1);
    QCOMPARE(b.messages.shown[0].text, QStringLiteral("Please select a file first!"));
    QCOMPARE(b.messages.shown[0].title, QStringLiteral("Vadro"));

    // A file that does not decode: said so; the clipboard's old content is not saved.
    QFile broken(QDir(b.pictures).filePath(QStringLiteral("broken.jpg")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a jpeg at all");
    broken.close();
    b.clipboard.image = pattern(4, 4);
    b.current.load(b.pictures, QStringLiteral("broken.jpg"));
    QVERIFY(!b.current.hasPicture());
    QCOMPARE(b.command.run(), WallpaperCommand::Outcome::NoPicture);
    QCOMPARE(b.reports.size(), 1);
    QVERIFY(b.reports[0].contains(QStringLiteral("broken.jpg")));
    QVERIFY(!QFile::exists(b.command.wallpaperPath()));
    QCOMPARE(b.clipboard.sets, 0);
    QVERIFY(b.setter.paths.isEmpty());

    // The same file, now a picture, while the held picture is still empty: its own picture.
    const QImage now = pattern(5, 6);
    b.picture(QStringLiteral("broken.jpg"), now, "png");
    QCOMPARE(b.command.run(), WallpaperCommand::Outcome::Done);
    QCOMPARE(QImage(b.command.wallpaperPath()).convertToFormat(QImage::Format_RGB32), now);

    // The desktop refuses: reported with its reason.
    b.setter.failure = QStringLiteral("gsettings: No such schema");
    QCOMPARE(b.command.run(), WallpaperCommand::Outcome::SetFailed);
    QVERIFY(b.reports.last().contains(QStringLiteral("No such schema")));
    QVERIFY(b.reports.last().startsWith(QStringLiteral("The wallpaper could not be set")));

    // The data folder cannot be made: nothing handed to the desktop.
    const int handed = b.setter.paths.size();
    QFile blocker(b.dir.filePath(QStringLiteral("blocked")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    WallpaperCommand blocked(b.current, b.decoder, b.clipboard, b.setter, b.messages,
                             b.dir.filePath(QStringLiteral("blocked/data")),
                             [](const QString&) { return false; });
    QCOMPARE(blocked.run(), WallpaperCommand::Outcome::WriteFailed);
    QCOMPARE(b.setter.paths.size(), handed);
    // Without a status line the failure comes as a message box.
    QCOMPARE(b.messages.shown.size(), 2);
    QVERIFY(b.messages.shown[1].text.startsWith(QStringLiteral("The wallpaper could not be set")));

    QString why;
    QVERIFY(!WallpaperCommand::writeAtomically(b.dir.filePath(QStringLiteral("none/x.bmp")), "x",
                                               &why));
    QVERIFY(!why.isEmpty());
}

void TestWallpaper::refreshOnlyInTheDataFolder()
{
    Bench b;
    b.picture(QStringLiteral("a.bmp"), pattern(3, 3));
    QSignalSpy refresh(&b.command, &WallpaperCommand::listingRefreshRequested);
    b.current.load(b.pictures, QStringLiteral("a.bmp"));
    QCOMPARE(b.command.run(), WallpaperCommand::Outcome::Done);
    QCOMPARE(refresh.count(), 0);

    QVERIFY(QFile::copy(QDir(b.pictures).filePath(QStringLiteral("a.bmp")),
                        QDir(b.data).filePath(QStringLiteral("a.bmp"))));
    b.current.load(b.data, QStringLiteral("a.bmp"));
    QCOMPARE(b.command.run(), WallpaperCommand::Outcome::Done);
    QCOMPARE(refresh.count(), 1);
}

QTEST_MAIN(TestWallpaper)
#include "tst_wallpaper.moc"
