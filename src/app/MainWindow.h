#pragma once

#include <QMainWindow>

#include <functional>

#include "app/Command.h"
#include "app/Session.h"
#include "app/ViewState.h"
#include "layout/PaneLayout.h"
#include "layout/TwipRect.h"
#include "listing/TypeFilter.h"
#include "tile/SampleSettings.h"
#include "tile/TileSettings.h"

class Browser;
class CurrentImage;
class FileListView;
class FolderTree;
class HoverHint;
class KeyPreview;
class MainMenus;
class MainSurface;
class OuterFrame;
class PreviewPane;
class Settings;
class SplitterController;
class StatusBar;
class ThumbnailBase;
class ThumbnailGrid;
class TiledView;
class TitleStrip;
class ToolWindows;
class ViewModes;
struct Platform;

// The main window: a menu bar over one surface that holds every pane. It composes the
// panes, connects their signals, runs the commands of the command table and the layout
// pass; the work itself lives in the parts.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    MainWindow(Platform& platform, Settings& settings);
    ~MainWindow() override;

    MainMenus& menus() const { return *m_menus; }
    MainSurface& surface() const { return *m_surface; }
    FolderTree& folderTree() const { return *m_tree; }
    FileListView& fileList() const { return *m_list; }
    ThumbnailBase& thumbBase() const { return *m_thumbs; }
    TitleStrip& titleStrip() const { return *m_title; }
    StatusBar& statusBar() const { return *m_status; }
    HoverHint& hoverHint() const { return *m_hint; }
    SplitterController& splitters() const { return *m_splitters; }
    ViewModes& viewModes() const { return *m_modes; }
    Browser& browser() const { return *m_browser; }
    ToolWindows& toolWindows() const { return *m_tools; }
    TiledView& tiledView() const { return *m_tiled; }
    const ViewState& viewState() const { return m_view; }
    PaneLayout& paneLayout() { return m_layout; }
    const PaneRects& lastLayout() const { return m_rects; }
    TwipRect& tiledViewRect() { return m_tiledRect; }
    TileSettings& tileSettings() { return m_tiles; }

    // Puts the window in the remembered state; progress(stage) after each of eight stages.
    void restore(const SessionState& state, const std::function<void(int)>& progress);
    // The state to remember, as it stands now.
    SessionState snapshot();

    int outerWidthTwips();
    int innerHeightTwips() const;
    bool isToolbarOn() const { return m_view.toolbar; }
    bool isTreeOn() const { return m_view.tree; }
    bool isPreviewOn() const { return m_view.preview; }

    void sizeControls();
    void run(Command command);

    // The folder the program is showing.
    QString currentFolder() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildPanes();
    void buildBrowser();
    void buildToolWindows();
    void connectParts();
    void windowResized();
    void reportSettingsProblem(const QString& message);
    // Shows the toolbar, tree and status bar as the view state says.
    void applyPanes();

    void openFolder(Command);
    void exitProgram(Command);
    void togglePane(Command command);
    void switchView(Command command);
    void sortList(Command command);
    void refresh(Command);
    void setWallpaper(Command);
    void showToolbox(Command);
    void showOptions(Command command);
    void helpContents(Command);
    void webPage(Command);
    void showAbout(Command);

    Platform& m_platform;
    Session m_session;
    PaneLayout m_layout;
    PaneRects m_rects;
    TypeFilter m_types;
    TwipRect m_tiledRect;
    // The sample over the tiles outlives both the tiled view and the toolbox.
    SampleSettings m_sample;
    // The tiled view's mode and page colour, shared by its keys and the toolbox's switches.
    TileSettings m_tiles;
    ViewState m_view;
    int m_countLabelLeft = 0;
    QStringList m_pendingProblems;

    MainSurface* m_surface = nullptr;
    MainMenus* m_menus = nullptr;
    TitleStrip* m_title = nullptr;
    FolderTree* m_tree = nullptr;
    FileListView* m_list = nullptr;
    ThumbnailBase* m_thumbs = nullptr;
    StatusBar* m_status = nullptr;
    HoverHint* m_hint = nullptr;
    SplitterController* m_splitters = nullptr;
    KeyPreview* m_keys = nullptr;
    OuterFrame* m_frame = nullptr;
    CurrentImage* m_current = nullptr;
    PreviewPane* m_preview = nullptr;
    TiledView* m_tiled = nullptr;
    ThumbnailGrid* m_grid = nullptr;
    ViewModes* m_modes = nullptr;
    Browser* m_browser = nullptr;
    ToolWindows* m_tools = nullptr;
};
