#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>

#include "app/MainWindow.h"
#include "app/Resources.h"
#include "app/StartupSequence.h"
#include "platform/FileTypeInfo.h"
#include "platform/Platform.h"

namespace {

// Vadro restores its windows' positions, which Wayland does not let a program choose, so it
// runs through XWayland there. Choosing that here, before Qt looks for a Wayland plugin,
// keeps Qt's fallback warning off every start. A platform the user set is left alone.
void preferX11UnderWayland()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    const bool wayland =
        qgetenv("XDG_SESSION_TYPE") == "wayland" || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (wayland)
        qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace

int main(int argc, char* argv[])
{
    preferX11UnderWayland();
    QApplication app(argc, argv);
    loadVadroResources();
    MimeFileTypeInfo::chooseIconTheme();
    QApplication::setApplicationName(QStringLiteral("Vadro"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vadro.svg")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Preview tiled images."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("Folder to open for this run."),
                                 QStringLiteral("[FOLDER]"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"), QStringLiteral("Save a picture of the main window and quit."),
        QStringLiteral("file"));
    parser.addOption(screenshot);
    parser.process(app);

    const QStringList arguments = parser.positionalArguments();
    const QString folder = StartupSequence::folderFromArgument(
        arguments.isEmpty() ? QString() : arguments.constFirst());

    Platform platform = Platform::createReal(Platform::defaultSettingsPath());
    StartupSequence startup(platform, folder);
    if (!arguments.isEmpty() && QFileInfo(arguments.constFirst()).isFile())
        startup.setFileToShow(QFileInfo(arguments.constFirst()).fileName());
    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QObject::connect(&startup, &StartupSequence::finished, &app, [&startup, file] {
            // Leave the tree and the first listing time to settle before the picture.
            QTimer::singleShot(1500, startup.mainWindow(), [&startup, file] {
                const bool saved = startup.mainWindow()->grab().save(file);
                QCoreApplication::exit(saved ? 0 : 1);
            });
        });
    }
    startup.start();
    return app.exec();
}
