#pragma once

#include <QObject>
#include <QString>

#include <memory>

class MainWindow;
class Settings;
class Splash;
struct Platform;

// The start-up: the splash, then the main window built hidden, restored from the settings,
// laid out and shown. It lists nothing itself: the tree's queued report of the folder set
// here does the first listing, once the window is up.
class StartupSequence : public QObject
{
    Q_OBJECT
public:
    // folderArgument, when not empty, opens that folder for this run instead of the stored one.
    StartupSequence(Platform& platform, const QString& folderArgument);
    ~StartupSequence() override;

    // Shows the splash and runs the sequence as soon as it is on screen.
    void start();
    // The whole sequence at once (start() ends up here).
    void run();

    // A file named on the command line is previewed once its folder is listed.
    void setFileToShow(const QString& name) { m_fileToShow = name; }

    // The folder a command-line argument opens: a file opens its folder, a relative path is
    // taken from the working folder.
    static QString folderFromArgument(const QString& argument);

    MainWindow* mainWindow() const { return m_main.get(); }
    Settings& settings() const { return *m_settings; }
    Splash* splash() const { return m_splash.get(); }

Q_SIGNALS:
    void finished();

private:
    void progress(int stage);

    Platform& m_platform;
    QString m_folderArgument;
    QString m_fileToShow;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<Splash> m_splash;
    std::unique_ptr<MainWindow> m_main;
};
