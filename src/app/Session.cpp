#include "app/Session.h"

#include <cmath>

#include "app/Settings.h"
#include "layout/PaneLayout.h"
#include "layout/Twips.h"
#include "preview/TiledView.h"
#include "tile/RealSize.h"

namespace {

constexpr double OldDefaultPlace = 1000;
constexpr double OldDefaultSide = 6500;
const QRectF MainShare(1.0 / 6, 1.0 / 6, 2.0 / 3, 2.0 / 3);
// Right of the main window's middle, leaving room beside it for the toolbox.
const QRectF TiledShare(1.0 / 3, 1.0 / 4, 1.0 / 2, 1.0 / 2);

bool isOldDefault(double left, double top, double width, double height)
{
    return left == OldDefaultPlace && top == OldDefaultPlace && width == OldDefaultSide &&
           height == OldDefaultSide;
}

} // namespace

Session::Session(Settings& settings) : m_settings(settings) {}

SessionState Session::load() const
{
    const Settings& s = m_settings;
    SessionState state;
    state.window = WindowGeometry(s.mainLeft(), s.mainTop(), s.mainWidth(), s.mainHeight());
    state.folder = s.folder();
    state.view.toolbar = s.toolbarOn();
    state.view.statusBar = s.statusBarOn();
    state.view.tree = s.treeOn();
    state.view.preview = s.previewOn();
    state.view.listStyle = s.viewMode();
    // The program always starts in a list style: thumbnails are never stored.
    state.view.mode = viewModeOfListStyle(state.view.listStyle);
    state.isaLeft = s.isaLeft();
    state.isbLeft = s.isbLeft();
    state.tiled = {s.prvLeft(), s.prvTop(), s.prvWidth(), s.prvHeight()};
    state.types = s.types();
    state.toolbox = QPointF(s.tlsLeft(), s.tlsTop());
    state.repeat = s.repeat();
    state.pictureDpi = s.pictureDpi();
    state.screenDpi = s.screenDpi();
    state.webPage = s.webPage();
    return state;
}

void Session::settleSizes(SessionState& state, const QRect& screen, const QRect& desktop,
                          const QSizeF& leastMain)
{
    if (screen.isEmpty() || desktop.isEmpty())
        return;
    const QSizeF most(Twips::fromPixels(desktop.width()), Twips::fromPixels(desktop.height()));
    const std::optional<WindowGeometry>& main = state.window;
    if (!main || !main->sizeWithin(leastMain, most) ||
        isOldDefault(main->left(), main->top(), main->width(), main->height())) {
        state.window = WindowGeometry::shareOf(screen, MainShare);
        // Default panes keep their proportions; stored ones stay, for the layout to clamp.
        if (state.isaLeft == PaneLayout::DefaultIsaLeft &&
            state.isbLeft == PaneLayout::DefaultIsbLeft) {
            const double scale = state.window->width() / OldDefaultSide;
            state.isaLeft = int(std::lround(PaneLayout::DefaultIsaLeft * scale));
            state.isbLeft = int(std::lround(PaneLayout::DefaultIsbLeft * scale));
        }
    }
    const TwipRect& tiled = state.tiled;
    const WindowGeometry tiledGeometry(tiled.left, tiled.top, tiled.width, tiled.height);
    if (!tiledGeometry.sizeWithin(QSizeF(TiledView::MinSide, TiledView::MinSide), most) ||
        isOldDefault(tiled.left, tiled.top, tiled.width, tiled.height)) {
        const WindowGeometry first = WindowGeometry::shareOf(screen, TiledShare);
        state.tiled = {int(first.left()), int(first.top()), int(first.width()),
                       int(first.height())};
    }
}

void Session::save(const SessionState& state)
{
    Settings& s = m_settings;
    s.hold();
    if (state.window) {
        s.setMainLeft(float(state.window->left()));
        s.setMainTop(float(state.window->top()));
        s.setMainWidth(float(state.window->width()));
        s.setMainHeight(float(state.window->height()));
    }
    s.setFolder(state.folder);
    s.setViewMode(state.view.listStyle);
    s.setToolbarOn(state.view.toolbar);
    s.setStatusBarOn(state.view.statusBar);
    s.setTreeOn(state.view.tree);
    s.setPreviewOn(state.view.preview);
    s.setIsaLeft(state.isaLeft);
    s.setIsbLeft(state.isbLeft);
    s.setPrvLeft(state.tiled.left);
    s.setPrvTop(state.tiled.top);
    s.setPrvWidth(state.tiled.width);
    s.setPrvHeight(state.tiled.height);
    if (state.toolbox) {
        s.setTlsLeft(float(state.toolbox->x()));
        s.setTlsTop(float(state.toolbox->y()));
    }
    s.setRepeat(state.repeat);
    if (RealSize::sane(state.pictureDpi))
        s.setPictureDpi(state.pictureDpi);
    s.setScreenDpi(state.screenDpi);
    s.setWebPage(state.webPage);
    s.release();
}

void Session::savePane(Pane pane, bool on)
{
    switch (pane) {
    case Pane::Toolbar:
        m_settings.setToolbarOn(on);
        break;
    case Pane::StatusBar:
        m_settings.setStatusBarOn(on);
        break;
    case Pane::Tree:
        m_settings.setTreeOn(on);
        break;
    case Pane::Preview:
        m_settings.setPreviewOn(on);
        break;
    }
}
