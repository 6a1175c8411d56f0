#pragma once

#include <QMainWindow>

#include <memory>

#include "app/Command.h"
#include "app/WindowGeometry.h"
#include "layout/PaneLayout.h"
#include "listing/TypeFilter.h"
#include "preview/TiledViewRect.h"

class Browser;
class FileListView;
class FolderTree;
class HoverHint;
class KeyPreview;
class MainMenus;
class MainSurface;
class OuterFrame;
class Settings;
class SplitterController;
class StatusBar;
class ThumbnailBase;
class TitleStrip;
class ViewModes;
struct Platform;

// The main window: a menu bar over one surface that holds every pane. It composes the
// panes, routes commands and runs the layout pass; the work itself lives in the parts.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    static const QString Title;

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
    PaneLayout& paneLayout() { return m_layout; }
    const PaneRects& lastLayout() const { return m_rects; }
    TypeFilter& typeFilter() { return m_types; }
    TiledViewRect& tiledViewRect() { return m_tiledRect; }

    // Places the window at its stored outer rectangle (twips), kept on a screen.
    void applyGeometry(const WindowGeometry& geometry);
    int outerWidthTwips();
    int innerHeightTwips() const;

    bool isToolbarOn() const;
    bool isTreeOn() const;
    bool isPreviewOn() const { return m_previewOn; }
    bool isStatusBarChecked() const;
    // Shows or hides the toolbar, tree and preview as their check marks say.
    void applyPaneVisibility();
    // Creates the status bar as the toggle does when it turns the bar on.
    void turnStatusBarOn();

    void sizeControls();
    void run(Command command);

    // The folder the program is showing.
    QString currentFolder() const;

Q_SIGNALS:
    // The layout pass has placed the panes; the preview fits itself to the frame.
    void panesLaidOut();
    // The status bar has been turned on; the current image shows its facts there.
    void statusBarTurnedOn();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildPanes();
    void connectParts();
    void windowResized();
    void reportSettingsProblem(const QString& message);

    void toggleToolbar();
    void toggleStatusBar();
    void toggleTree();
    void togglePreview();

    // Commands whose work lives in other parts; connected as those parts arrive.
    void setWallpaper() {}
    void showToolbox() {}
    void showOptions(bool) {}
    void helpContents() {}
    void webPage() {}
    void showAbout() {}

    Platform& m_platform;
    Settings& m_settings;
    PaneLayout m_layout;
    PaneRects m_rects;
    TypeFilter m_types;
    TiledViewRect m_tiledRect;
    bool m_previewOn = true;
    int m_countLabelLeft = 0;
    QStringList m_pendingProblems;

    MainSurface* m_surface = nullptr;
    MainMenus* m_menus = nullptr;
    TitleStrip* m_title = nullptr;
    FolderTree* m_tree = nullptr;
    FileListView* m_list = nullptr;
    ThumbnailBase* m_thumbs = nullptr;
    ViewModes* m_modes = nullptr;
    Browser* m_browser = nullptr;
    StatusBar* m_status = nullptr;
    HoverHint* m_hint = nullptr;
    SplitterController* m_splitters = nullptr;
    KeyPreview* m_keys = nullptr;
    OuterFrame* m_frame = nullptr;
};
