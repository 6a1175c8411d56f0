#include "app/StartupSequence.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "app/Browser.h"
#include "app/MainWindow.h"
#include "app/Session.h"
#include "app/Settings.h"
#include "app/Splash.h"
#include "layout/Twips.h"
#include "platform/Platform.h"
#include "ui/OuterFrame.h"

StartupSequence::StartupSequence(Platform& platform, const QString& folderArgument)
    : m_platform(platform), m_folderArgument(folderArgument),
      m_settings(std::make_unique<Settings>(*platform.settings))
{
}

StartupSequence::~StartupSequence() = default;

QString StartupSequence::folderFromArgument(const QString& argument)
{
    if (argument.isEmpty())
        return {};
    const QFileInfo given(argument);
    return QDir::cleanPath(given.isFile() ? given.absolutePath() : given.absoluteFilePath());
}

void StartupSequence::start()
{
    m_splash = std::make_unique<Splash>();
    m_splash->show();
    QTimer::singleShot(0, this, &StartupSequence::run);
}

void StartupSequence::progress(int stage)
{
    if (m_splash)
        m_splash->progress(stage);
}

void StartupSequence::run()
{
    m_main = std::make_unique<MainWindow>(m_platform, *m_settings);
    SessionState state = Session(*m_settings).load();
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens())
        desktop |= screen->availableGeometry();
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QSize least = m_main->minimumSize();
    Session::settleSizes(
        state, primary ? primary->availableGeometry() : QRect(), desktop,
        QSizeF(std::max<int>(Twips::fromPixels(least.width()), OuterFrame::LeastUsableSide),
               std::max<int>(Twips::fromPixels(least.height()), OuterFrame::LeastUsableSide)));
    if (!m_folderArgument.isEmpty())
        state.folder = m_folderArgument;
    m_main->restore(state, [this](int stage) { progress(stage); });

    m_main->show();
    if (!m_fileToShow.isEmpty())
        m_main->browser().showWhenListed(m_fileToShow);
    m_splash.reset();
    Q_EMIT finished();
}
