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
#include <QTreeView>

#include "app/Browser.h"
#include "app/HoverHint.h"
#include "app/KeyPreview.h"
#include "app/MainMenus.h"
#include "app/MainSurface.h"
#include "app/OuterFrame.h"
#include "app/Settings.h"
#include "app/StatusBar.h"
#include "app/StatusLine.h"
#include "app/TitleStrip.h"
#include "layout/SplitterController.h"
#include "listing/FileList.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "listing/FolderTree.h"
#include "listing/ViewModes.h"
#include "platform/Platform.h"
#include "platform/PopupMenus.h"
#include "platform/SettingsStore.h"
#include "preview/CurrentImage.h"
#include "thumbs/ThumbnailBase.h"
#include "thumbs/ThumbnailSurface.h"

const QString MainWindow::Title = QStringLiteral("Vadro");

MainWindow::MainWindow(Platform& platform, Settings& settings)
    : m_platform(platform), m_settings(settings)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("The image Vadro"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/vadro.svg")));
    buildPanes();
    connectParts();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildPanes()
{
    m_surface = new MainSurface(this);
    setCentralWidget(m_surface);
    m_menus = new MainMenus(menuBar(), this);
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

    HoverHint::Probe probe;
    probe.hasCurrentImage = [this] { return m_browser->current().isSet(); };
    probe.itemCount = [this] { return m_list->model()->rowCount(); };
    probe.listRect = [this] { return m_rects.list.toPixels(); };
    probe.mapFromGlobal = [this](const QPoint& p) { return m_surface->mapFromGlobal(p); };
    m_hint = new HoverHint(*m_status, *m_platform.cursor, std::move(probe), this);

    m_modes = new ViewModes(
        *m_menus, *m_list, *m_thumbs, [this] { return m_rects.list.width; }, this);
    m_browser = new Browser(*this, m_platform, m_settings);
    m_keys = new KeyPreview(this, [this](Command c) { run(c); });
    m_frame = new OuterFrame(this);
    m_frame->setMinimumOuterSize(PaneLayout::MinWindowWidth, 0);
}

void MainWindow::connectParts()
{
    connect(m_menus, &MainMenus::commandRequested, this, &MainWindow::run);
    connect(m_menus, &MainMenus::menuHelpChanged, m_status, &StatusBar::setSimpleText);
    connect(m_surface, &MainSurface::resized, this, &MainWindow::windowResized);
    connect(m_tree, &FolderTree::folderChanged, m_browser, &Browser::treeFolderChanged);

    auto popupAt = [this](MainMenus::Popup which) {
        return
            [this, which](const QPoint& at) { m_platform.popups->exec(m_menus->popup(which), at); };
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

void MainWindow::run(Command command)
{
    switch (command) {
    case Command::Open:
        m_browser->fileOpen();
        break;
    case Command::Wallpaper:
        setWallpaper();
        break;
    case Command::Exit:
        close();
        break;
    case Command::ToggleToolbar:
        toggleToolbar();
        break;
    case Command::ToggleStatusBar:
        toggleStatusBar();
        break;
    case Command::ToggleTree:
        toggleTree();
        break;
    case Command::TogglePreview:
        togglePreview();
        break;
    case Command::ViewThumbnails:
    case Command::ViewLargeIcons:
    case Command::ViewSmallIcons:
    case Command::ViewList:
    case Command::ViewDetails:
        m_modes->switchTo(viewModeIndex(command));
        break;
    case Command::SortByName:
        m_modes->sortByMenu(0);
        break;
    case Command::SortBySize:
        m_modes->sortByMenu(1);
        break;
    case Command::SortByType:
        m_modes->sortByMenu(2);
        break;
    case Command::SortAscending:
        m_modes->sortOrder(false);
        break;
    case Command::SortDescending:
        m_modes->sortOrder(true);
        break;
    case Command::Refresh:
        m_browser->refresh();
        break;
    case Command::Toolbox:
        showToolbox();
        break;
    case Command::Options:
        showOptions(true);
        break;
    case Command::OptionsModeless:
        showOptions(false);
        break;
    case Command::HelpContents:
        helpContents();
        break;
    case Command::WebPage:
        webPage();
        break;
    case Command::About:
        showAbout();
        break;
    }
}

bool MainWindow::isToolbarOn() const
{
    return !m_menus->toolbar()->isHidden();
}

bool MainWindow::isTreeOn() const
{
    return !m_tree->isHidden();
}

bool MainWindow::isStatusBarChecked() const
{
    return m_menus->isChecked(QStringLiteral("mnuViewStatusBar"));
}

void MainWindow::applyPaneVisibility()
{
    m_menus->toolbar()->setVisible(m_menus->isChecked(QStringLiteral("mnuViewToolbar")));
    m_tree->setVisible(m_menus->isChecked(QStringLiteral("mnuViewTv")));
    m_previewOn = m_menus->isChecked(QStringLiteral("mnuViewPv"));
}

void MainWindow::turnStatusBarOn()
{
    m_status->create();
}

void MainWindow::toggleToolbar()
{
    const bool on = !m_menus->isChecked(QStringLiteral("mnuViewToolbar"));
    m_menus->setChecked(QStringLiteral("mnuViewToolbar"), on);
    m_menus->toolbar()->setVisible(on);
    m_settings.setToolbarOn(isToolbarOn());
    sizeControls();
}

void MainWindow::toggleStatusBar()
{
    const bool on = !isStatusBarChecked();
    m_menus->setChecked(QStringLiteral("mnuViewStatusBar"), on);
    if (on) {
        turnStatusBarOn();
        Q_EMIT statusBarTurnedOn();
    } else {
        m_status->destroy();
    }
    m_settings.setStatusBarOn(on);
    sizeControls();
}

void MainWindow::toggleTree()
{
    m_layout.beforeTreeToggle();
    const bool on = !m_menus->isChecked(QStringLiteral("mnuViewTv"));
    m_menus->setChecked(QStringLiteral("mnuViewTv"), on);
    m_tree->setVisible(on);
    m_settings.setTreeOn(isTreeOn());
    sizeControls();
}

void MainWindow::togglePreview()
{
    m_layout.beforePreviewToggle();
    const bool on = !m_menus->isChecked(QStringLiteral("mnuViewPv"));
    m_menus->setChecked(QStringLiteral("mnuViewPv"), on);
    m_previewOn = on;
    m_settings.setPreviewOn(on);
    sizeControls();
}

void MainWindow::applyGeometry(const WindowGeometry& geometry)
{
    m_frame->apply(geometry);
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
            m_platform.popups->exec(m_menus->popup(MainMenus::Popup::Toolbar),
                                    mouse->globalPosition().toPoint());
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
    in.toolbarVisible = isToolbarOn();
    in.statusBarOn = isStatusBarChecked();
    in.treeVisible = isTreeOn();
    in.previewVisible = m_previewOn;
    in.countLabelLeft = m_countLabelLeft;
    m_rects = m_layout.sizeControls(in);

    toolbar->setGeometry(0, 0, m_surface->width(), toolbar->sizeHint().height());
    m_title->place(m_rects);
    m_list->setGeometry(m_rects.list.toPixels());
    m_thumbs->place(m_rects);
    m_tree->setGeometry(m_rects.tree.toPixels());
    m_surface->setPreviewFrame(m_rects.preview.toPixels(), m_previewOn);
    m_splitters->place(m_rects);
    if (StatusLine* line = m_status->line()) {
        const int h = Twips::toPixels(PaneLayout::StatusBarRoom);
        line->setGeometry(0, m_surface->height() - h, m_surface->width(), h);
        line->raise();
    }
    Q_EMIT panesLaidOut();
}

QString MainWindow::currentFolder() const
{
    // The listed folder, also when the tree cannot show it; the tree's before any listing.
    const QString listed = m_browser->files().path();
    return listed.isEmpty() ? m_tree->selectedPath() : listed;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!isMinimized()) {
        const WindowGeometry& outer = m_frame->current();
        m_settings.setMainLeft(float(outer.left()));
        m_settings.setMainTop(float(outer.top()));
        m_settings.setMainWidth(float(outer.width()));
        m_settings.setMainHeight(float(outer.height()));
    }
    m_settings.setFolder(currentFolder());
    m_settings.setViewMode(m_list->listStyle());
    m_settings.setToolbarOn(isToolbarOn());
    m_settings.setStatusBarOn(isStatusBarChecked());
    m_settings.setTreeOn(isTreeOn());
    m_settings.setPreviewOn(m_previewOn);
    m_settings.setIsaLeft(m_layout.isaLeft());
    m_settings.setIsbLeft(m_layout.isbLeft());
    m_settings.setPrvLeft(m_tiledRect.left);
    m_settings.setPrvTop(m_tiledRect.top);
    m_settings.setPrvWidth(m_tiledRect.width);
    m_settings.setPrvHeight(m_tiledRect.height);

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
