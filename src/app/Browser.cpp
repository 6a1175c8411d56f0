#include "app/Browser.h"

#include <QAbstractItemView>

#include "app/HoverHint.h"
#include "app/MainMenus.h"
#include "app/MainSurface.h"
#include "app/MainWindow.h"
#include "app/Settings.h"
#include "app/StatusBar.h"
#include "app/TitleStrip.h"
#include "listing/FileList.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "listing/FolderTree.h"
#include "listing/IconCache.h"
#include "listing/Listing.h"
#include "listing/ViewModes.h"
#include "platform/FolderChooser.h"
#include "platform/Platform.h"
#include "platform/PopupMenus.h"
#include "platform/SafeFile.h"
#include "preview/CurrentImage.h"
#include "preview/ImageFacts.h"
#include "preview/PreviewPane.h"
#include "preview/TiledView.h"
#include "thumbs/ThumbnailBase.h"

#include <QLabel>

Browser::Browser(MainWindow& main, Platform& platform, Settings& settings)
    : QObject(&main), m_main(main), m_platform(platform), m_settings(settings),
      m_files(std::make_unique<FileList>()),
      m_icons(std::make_unique<IconCache>(*platform.fileTypes, *platform.decoder)),
      m_current(new CurrentImage(*platform.decoder, this)),
      m_preview(new PreviewPane(&main.surface())),
      m_tiled(new TiledView(*m_current, main.tiledViewRect(), &main))
{
    Listing::Hooks hooks;
    hooks.closeTiledView = [this] { m_tiled->close(); };
    hooks.clearPreview = [this] { clearPreview(); };
    hooks.showThumbSurface = [this](bool on) { m_main.thumbBase().surface()->setVisible(on); };
    hooks.buildThumbnails = [] {};
    hooks.emptyThumbnails = [] {};
    hooks.treeFolder = [this] { return m_main.folderTree().selectedPath(); };
    hooks.setTreeFolder = [this](const QString& folder) {
        m_main.folderTree().setSelectedPath(folder);
    };
    hooks.saveFolder = [this](const QString& folder) { m_settings.setFolder(folder); };
    hooks.listFilled = [this] { m_main.viewModes().reapplySort(); };
    m_listing =
        new Listing(*m_files, *m_main.fileList().model(), *m_icons,
                    *m_main.titleStrip().countLabel(), m_main.statusBar(), std::move(hooks), this);

    connect(m_current, &CurrentImage::cleared, m_tiled, &QWidget::close);
    connect(m_tiled, &TiledView::closed, this, &Browser::tiledViewClosed);
    connect(m_preview, &PreviewPane::leftPressed, this, &Browser::openTiledView);
    connect(m_preview, &PreviewPane::rightPressed, this, [this](const QPoint& at) {
        m_platform.popups->exec(m_main.menus().popup(MainMenus::Popup::Wallpaper), at);
    });
    connect(&m_main, &MainWindow::panesLaidOut, this, &Browser::fitPreview);
    connect(&m_main, &MainWindow::statusBarTurnedOn, this, [this] {
        if (m_current->isSet())
            showImageInfo();
    });
    connectList();
}

Browser::~Browser() = default;

void Browser::connectList()
{
    FileListView& list = m_main.fileList();
    connect(&list, &FileListView::itemClicked, this, &Browser::loadPreview);
    auto open = [this] {
        if (!m_current->folder().isEmpty() && m_current->isSet())
            openTiledView();
    };
    connect(&list, &FileListView::itemDoubleClicked, this, open);
    connect(&list, &FileListView::enterPressed, this, open);
    connect(&list, &FileListView::emptySpacePressed, this, &Browser::pressOnEmptySpace);
    connect(&list, &FileListView::mouseMoved, this, [this] { m_main.hoverHint().start(); });
    connect(&list, &FileListView::rightPressed, this, [this](const QPoint& at) {
        m_platform.popups->exec(m_main.menus().popup(MainMenus::Popup::List), at);
    });
    connect(&list, &FileListView::headerClicked, this,
            [this](int column) { m_main.viewModes().headerClicked(column); });
}

void Browser::treeFolderChanged()
{
    m_listing->treeChanged();
    const QString name = std::exchange(m_showWhenListed, {});
    const int row = name.isEmpty() ? -1 : m_main.fileList().model()->rowOf(name);
    if (row >= 0) {
        m_main.fileList().selectRow(row);
        loadPreview(row);
    }
}

void Browser::refresh()
{
    m_listing->refresh();
}

void Browser::fileOpen()
{
    const std::optional<QString> chosen = m_platform.chooser->choose(
        &m_main, m_main.typeFilter().typesCaption(), m_main.folderTree().selectedPath());
    if (!chosen)
        return;
    m_listing->browsed(FolderTree::normalise(*chosen), m_main.typeFilter().filePattern());
}

void Browser::loadPreview(int row)
{
    const QString name = m_main.fileList().model()->nameAt(row);
    m_current->load(m_files->path(), name);
    if (!m_current->isSet())
        return;
    m_preview->setPicture(m_current->pixmap());
    fitPreview();
    if (m_main.statusBar().exists())
        showImageInfo();
}

void Browser::fitPreview()
{
    if (!m_preview->hasPicture()) {
        m_preview->hide();
        return;
    }
    const TwipRect frame = m_main.lastLayout().preview;
    m_preview->fit(
        {double(frame.left), double(frame.top), double(frame.width), double(frame.height)},
        m_current->picWidth(), m_current->picHeight(), m_main.isPreviewOn());
    m_preview->raise();
}

void Browser::showImageInfo()
{
    const ImageFacts facts = ImageFacts::of(
        m_current->file(), m_current->hasPicture(), m_current->picWidth(), m_current->picHeight(),
        SafeFile::regularFileSize(FileList::join(m_files->path(), m_current->file())));
    m_main.statusBar().showParts(m_main.surface().width(), facts.file, facts.dim, facts.size);
}

void Browser::clearPreview()
{
    m_preview->clear();
    m_main.fileList().selectRow(-1);
    m_current->clear();
}

void Browser::pressOnEmptySpace()
{
    clearPreview();
    m_main.statusBar().showSimple(Listing::HintText);
    m_main.hoverHint().reset();
}

void Browser::openTiledView()
{
    if (!m_current->isSet())
        return;
    m_tiled->open();
}

void Browser::tiledViewClosed()
{
    m_main.activateWindow();
    if (m_main.fileList().isVisible())
        m_main.fileList().currentView()->setFocus();
    else
        m_main.thumbBase().surface()->setFocus();
}
