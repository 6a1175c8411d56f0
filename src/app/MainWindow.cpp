#include "app/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>
#include <QToolBar>

#include "app/Browser.h"
#include "app/CommandTable.h"
#include "app/KeyPreview.h"
#include "app/MainMenus.h"
#include "app/MainSurface.h"
#include "app/Settings.h"
#include "app/TitleStrip.h"
#include "app/ToolWindows.h"
#include "app/ViewModes.h"
#include "layout/SplitterController.h"
#include "listing/FileList.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "listing/FolderTree.h"
#include "platform/Platform.h"
#include "platform/SettingsStore.h"
#include "preview/CurrentImage.h"
#include "preview/PreviewPane.h"
#include "preview/TiledView.h"
#include "thumbs/ThumbnailBase.h"
#include "thumbs/ThumbnailGrid.h"
#include "ui/HoverHint.h"
#include "ui/OuterFrame.h"
#include "ui/StatusBar.h"
#include "ui/StatusLine.h"

MainWindow::MainWindow(Platform& platform, Settings& settings)
    : m_platform(platform), m_session(settings), m_tiles(palette().color(QPalette::Window))
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(tr("The image Vadro"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/vadro.svg")));
    buildPanes();
    buildBrowser();
    buildToolWindows();
    connectParts();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildPanes()
{
    m_surface = new MainSurface(this);
    setCentralWidget(m_surface);
    m_menus = new MainMenus(menuBar(), this, *m_platform.popups);
    m_menus->toolbar()->setParent(m_surface);
    m_title = new TitleStrip(m_surface);
    m_tree = new FolderTree(*m_platform.folders, m_surface);
    m_list = new FileListView(m_surface);
    m_thumbs = new ThumbnailBase(m_surface);
    m_thumbs->hide();
    m_status = new StatusBar(m_surface);
    m_countLabelLeft = m_title->countLabelLeftTwips();

    SplitterController::Host host;
    host.windowWidth = [this] { return outerWidthTwips(); };
    host.treeVisible = [this] { return isTreeOn(); };
    host.previewVisible = [this] { return isPreviewOn(); };
    host.sizeControls = [this] { sizeControls(); };
    m_splitters = new SplitterController(m_surface, m_layout, std::move(host));

    m_current = new CurrentImage(*m_platform.decoder, this);
    m_preview = new PreviewPane(m_surface);
    m_tiled =
        new TiledView(*m_current, m_tiledRect, m_sample, m_tiles, *m_platform.clipboard, this);
    m_grid = new ThumbnailGrid(*m_thumbs, *m_title->countLabel(), *m_title->progressBar(),
                               *m_platform.decoder, *m_platform.messages, this);

    HoverHint::Probe probe;
    probe.hasCurrentImage = [this] { return m_current->isSet(); };
    probe.itemCount = [this] { return m_list->model()->rowCount(); };
    probe.listRect = [this] { return m_rects.list.toPixels(); };
    probe.mapFromGlobal = [this](const QPoint& p) { return m_surface->mapFromGlobal(p); };
    m_hint = new HoverHint(*m_status, *m_platform.cursor, std::move(probe), this);

    m_modes = new ViewModes(m_view, *m_menus, *m_list, *m_thumbs, this);
    m_keys = new KeyPreview(this, [this](Command c) { run(c); });
    m_frame = new OuterFrame(this);
    m_frame->setMinimumOuterSize(PaneLayout::MinWindowWidth, 0);
}

void MainWindow::buildBrowser()
{
    const Browser::Parts parts{
        *this,      *m_tree,    *m_list,  *m_thumbs, *m_grid, *m_title->countLabel(),
        *m_current, *m_preview, *m_tiled, *m_status, *m_hint, *m_menus,
        m_types};
    m_browser = new Browser(parts, m_platform, m_session.settings(), this);
}

void MainWindow::buildToolWindows()
{
    const ToolWindows::Parts parts{*this,    *m_browser, *m_tiled,
                                   *m_title, *m_status,  m_sample,
                                   m_tiles,  m_types,    m_session.settings()};
    m_tools = new ToolWindows(parts, m_platform, this);
}

void MainWindow::connectParts()
{
    connect(m_menus, &MainMenus::commandRequested, this, &MainWindow::run);
    connect(m_menus, &MainMenus::menuHelpChanged, m_status, &StatusBar::setSimpleText);
    connect(m_surface, &MainSurface::resized, this, &MainWindow::windowResized);
    connect(m_tree, &FolderTree::folderChanged, m_browser, &Browser::treeFolderChanged);
    connect(m_browser, &Browser::listFilled, m_modes, &ViewModes::reapplySort);
    connect(m_list, &FileListView::headerClicked, m_modes, &ViewModes::headerClicked);

    auto popupAt = [this](MainMenus::Popup which) {
        return [this, which](const QPoint& at) { m_menus->openPopup(which, at); };
    };
    connect(m_surface, &MainSurface::rightPressed, this, popupAt(MainMenus::Popup::Preview));
    connect(m_tree, &FolderTree::rightPressed, this, popupAt(MainMenus::Popup::Tree));
    connect(m_list, &FileListView::rightPressed, this, popupAt(MainMenus::Popup::List));
    // Tool buttons leave the right button to the toolbar, which opens its menu on the press.
    m_menus->toolbar()->setContextMenuPolicy(Qt::PreventContextMenu);
    m_menus->toolbar()->installEventFilter(this);

    m_platform.settings->setProblemSink(
        [this](const QString& message) { reportSettingsProblem(message); });
}

void MainWindow::reportSettingsProblem(const QString& message)
{
    // Before the window shows, the message waits for the first listing, which empties the line.
    if (isVisible())
        m_status->showSimple(message);
    else
        m_pendingProblems.append(message);
}

void MainWindow::restore(const SessionState& state, const std::function<void(int)>& progress)
{
    if (state.window)
        m_frame->apply(*state.window);
    progress(1);

    m_types = state.types;
    m_layout = PaneLayout::fromStored(state.isaLeft, state.isbLeft, outerWidthTwips());
    m_tiledRect = state.tiled;
    m_tiles.setRepeat(state.repeat);
    m_tiles.setPictureDpi(state.pictureDpi);
    m_tiles.setScreenDpi(state.screenDpi);
    m_tiles.setWebPage(state.webPage);
    if (state.toolbox)
        m_tools->setToolboxPosition(*state.toolbox);
    progress(2);

    m_view = state.view;
    m_tree->setSelectedPath(state.folder);
    m_list->setListStyle(m_view.listStyle);
    progress(3);

    m_menus->reflect(m_view);
    applyPanes();
    progress(4);

    m_browser->files().setPattern(m_types.filePattern());
    progress(5);

    m_list->createColumns();
    progress(6);

    m_list->setHeaderHotTrack();
    progress(7);

    m_title->typesLabel()->setText(m_types.typesCaption());
    sizeControls();
    progress(8);
}

SessionState MainWindow::snapshot()
{
    SessionState state;
    if (!isMinimized())
        state.window = m_frame->current();
    state.folder = currentFolder();
    state.view = m_view;
    state.view.listStyle = m_list->listStyle();
    state.isaLeft = m_layout.isaLeft();
    state.isbLeft = m_layout.isbLeft();
    state.tiled = m_tiledRect;
    state.types = m_types;
    state.toolbox = m_tools->toolboxPosition();
    state.repeat = m_tiles.mode().repeat;
    state.pictureDpi = m_tiles.pictureDpi();
    state.screenDpi = m_tiles.screenDpi();
    state.webPage = m_tiles.mode().webPage;
    return state;
}

void MainWindow::run(Command command)
{
    switch (command) {
    case Command::Open:
        openFolder(command);
        break;
    case Command::Wallpaper:
        setWallpaper(command);
        break;
    case Command::Exit:
        exitProgram(command);
        break;
    case Command::ToggleToolbar:
    case Command::ToggleStatusBar:
    case Command::ToggleTree:
    case Command::TogglePreview:
        togglePane(command);
        break;
    case Command::ViewThumbnails:
    case Command::ViewLargeIcons:
    case Command::ViewSmallIcons:
    case Command::ViewList:
    case Command::ViewDetails:
        switchView(command);
        break;
    case Command::SortByName:
    case Command::SortBySize:
    case Command::SortByType:
    case Command::SortAscending:
    case Command::SortDescending:
        sortList(command);
        break;
    case Command::Refresh:
        refresh(command);
        break;
    case Command::Toolbox:
        showToolbox(command);
        break;
    case Command::Options:
    case Command::OptionsModeless:
        showOptions(command);
        break;
    case Command::HelpContents:
        helpContents(command);
        break;
    case Command::WebPage:
        webPage(command);
        break;
    case Command::About:
        showAbout(command);
        break;
    }
    // Whatever a click did to a check mark, the marks show the state the command left.
    m_menus->reflect(m_view);
}

void MainWindow::openFolder(Command)
{
    m_browser->fileOpen();
}

void MainWindow::setWallpaper(Command)
{
    m_tools->setWallpaper();
}

void MainWindow::showToolbox(Command)
{
    m_tools->showToolbox();
}

void MainWindow::showOptions(Command command)
{
    m_tools->showOptions(command == Command::Options);
}

void MainWindow::helpContents(Command)
{
    m_tools->helpContents();
}

void MainWindow::webPage(Command)
{
    m_tools->webPage();
}

void MainWindow::showAbout(Command)
{
    m_tools->showAbout();
}

void MainWindow::exitProgram(Command)
{
    close();
}

void MainWindow::refresh(Command)
{
    m_browser->refresh();
}

void MainWindow::switchView(Command command)
{
    m_modes->switchTo(viewModeOf(command));
}

void MainWindow::sortList(Command command)
{
    m_modes->sortBy(command);
}

void MainWindow::togglePane(Command command)
{
    const std::optional<Pane> pane = ViewState::paneOf(command);
    if (!pane)
        return;
    // The splitters make room for the pane that may come back.
    if (*pane == Pane::Tree)
        m_layout.beforeTreeToggle();
    else if (*pane == Pane::Preview)
        m_layout.beforePreviewToggle();
    const bool on = !m_view.isOn(*pane);
    m_view.setOn(*pane, on);
    applyPanes();
    if (*pane == Pane::StatusBar && on && m_current->isSet())
        m_browser->showImageInfo();
    m_session.savePane(*pane, on);
    sizeControls();
}

void MainWindow::applyPanes()
{
    m_menus->toolbar()->setVisible(m_view.toolbar);
    m_tree->setVisible(m_view.tree);
    if (m_view.statusBar && !m_status->exists())
        m_status->create();
    else if (!m_view.statusBar && m_status->exists())
        m_status->destroy();
}

int MainWindow::outerWidthTwips()
{
    return int(Twips::roundHalfEven(m_frame->current().width()));
}

int MainWindow::innerHeightTwips() const
{
    return Twips::fromPixels(m_surface->height());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_menus->toolbar() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons().testFlag(Qt::RightButton)) {
            m_menus->openPopup(MainMenus::Popup::Toolbar, mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::windowResized()
{
    if (isMinimized())
        return;
    m_layout.windowResized(outerWidthTwips());
    sizeControls();
}

void MainWindow::sizeControls()
{
    // Before the first show the window's own layout has not placed the surface yet.
    if (QLayout* own = layout())
        own->activate();
    QToolBar* toolbar = m_menus->toolbar();
    LayoutInput in;
    in.windowWidth = outerWidthTwips();
    in.innerHeight = innerHeightTwips();
    in.toolbarHeight = Twips::fromPixels(toolbar->sizeHint().height());
    in.toolbarVisible = m_view.toolbar;
    in.statusBarOn = m_view.statusBar;
    in.treeVisible = m_view.tree;
    in.previewVisible = m_view.preview;
    in.countLabelLeft = m_countLabelLeft;
    m_rects = m_layout.sizeControls(in);

    toolbar->setGeometry(0, 0, m_surface->width(), toolbar->sizeHint().height());
    m_title->place(m_rects);
    m_list->setGeometry(m_rects.list.toPixels());
    m_thumbs->place(m_rects);
    m_tree->setGeometry(m_rects.tree.toPixels());
    m_surface->setPreviewFrame(m_rects.preview.toPixels(), m_view.preview);
    m_splitters->place(m_rects);
    if (StatusLine* line = m_status->line()) {
        const int h = Twips::toPixels(PaneLayout::StatusBarRoom);
        line->setGeometry(0, m_surface->height() - h, m_surface->width(), h);
        line->raise();
    }
    if (m_browser)
        m_browser->setPreviewFrame(m_rects.preview, m_view.preview);
}

QString MainWindow::currentFolder() const
{
    // The listed folder, also when the tree cannot show it; the tree's before any listing.
    const QString listed = m_browser->files().path();
    return listed.isEmpty() ? m_tree->selectedPath() : listed;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A move of the tiled view made while it is open belongs in the save.
    m_tiled->recordGeometry();
    m_session.save(snapshot());

    // Every other window of the program closes with the main window.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != this && window->isVisible() && !qobject_cast<QMenu*>(window))
            window->close();
    }
    event->accept();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // After the first listing, which empties the status line, so the messages are seen.
    QTimer::singleShot(0, this, [this] {
        for (const QString& message : std::exchange(m_pendingProblems, {}))
            m_status->showSimple(message);
    });
}
