#include "app/Session.h"

#include "tile/RealSize.h"

#include "app/Settings.h"

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
