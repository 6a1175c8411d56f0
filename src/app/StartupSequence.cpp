#include "app/StartupSequence.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

#include "app/Browser.h"
#include "app/MainMenus.h"
#include "app/MainWindow.h"
#include "app/Settings.h"
#include "app/Splash.h"
#include "app/TitleStrip.h"
#include "listing/FileList.h"
#include "listing/FileListView.h"
#include "listing/FolderTree.h"
#include "platform/Platform.h"

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
    Settings& s = *m_settings;
    m_main = std::make_unique<MainWindow>(m_platform, s);
    MainWindow& main = *m_main;
    MainMenus& menus = main.menus();

    main.applyGeometry(WindowGeometry(s.mainLeft(), s.mainTop(), s.mainWidth(), s.mainHeight()));
    progress(1);

    main.typeFilter() = s.types();
    main.paneLayout() = PaneLayout::fromStored(s.isaLeft(), s.isbLeft(), main.outerWidthTwips());
    main.tiledViewRect() = {s.prvLeft(), s.prvTop(), s.prvWidth(), s.prvHeight()};
    progress(2);

    menus.setChecked(QStringLiteral("mnuViewToolbar"), s.toolbarOn());
    menus.setChecked(QStringLiteral("mnuViewStatusBar"), s.statusBarOn());
    menus.setChecked(QStringLiteral("mnuViewTv"), s.treeOn());
    menus.setChecked(QStringLiteral("mnuViewPv"), s.previewOn());
    main.folderTree().setSelectedPath(m_folderArgument.isEmpty() ? s.folder() : m_folderArgument);
    const int style = s.viewMode();
    main.fileList().setListStyle(style);
    progress(3);

    menus.setChecked(QStringLiteral("mnuListViewMode%1").arg(style + 1), true);
    menus.setChecked(QStringLiteral("mnuIcons%1").arg(style + 1), true);
    if (main.isStatusBarChecked())
        main.turnStatusBarOn();
    progress(4);

    main.applyPaneVisibility();
    main.browser().files().setPattern(main.typeFilter().filePattern());
    progress(5);

    main.fileList().createColumns(main.paneLayout().initialColumnWidth());
    progress(6);

    main.fileList().setHeaderHotTrack();
    if (QAction* button = menus.viewButton(style + 1))
        button->setChecked(true);
    progress(7);

    main.titleStrip().typesLabel()->setText(main.typeFilter().typesCaption());
    main.sizeControls();
    progress(8);

    main.show();
    if (!m_fileToShow.isEmpty())
        main.browser().showWhenListed(m_fileToShow);
    m_splash.reset();
    Q_EMIT finished();
}
