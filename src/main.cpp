#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

#include "app/CommandLine.h"
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
    parser.setApplicationDescription(QApplication::translate("main", "Preview tiled images."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QApplication::translate("main", "Folder to open for this run."),
                                 QStringLiteral("[FOLDER]"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QApplication::translate("main", "Save a picture of the main window and quit."),
        QStringLiteral("file"));
    parser.addOption(screenshot);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (const std::optional<int> status =
            CommandLine::parse(parser, QApplication::arguments(), 1, out, err))
        return *status;

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
