#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>

#include "app/MainWindow.h"
#include "app/Resources.h"
#include "app/StartupSequence.h"
#include "platform/FileTypeInfo.h"
#include "platform/Platform.h"

int main(int argc, char* argv[])
{
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
