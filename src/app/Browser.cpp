#include "app/Browser.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QMenu>

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
#include "thumbs/ThumbNavigation.h"
#include "thumbs/ThumbnailBase.h"
#include "thumbs/ThumbnailGrid.h"
#include "thumbs/ThumbnailSurface.h"

Browser::Browser(MainWindow& main, Platform& platform, Settings& settings)
    : QObject(&main), m_main(main), m_platform(platform), m_settings(settings),
      m_files(std::make_unique<FileList>()),
      m_icons(std::make_unique<IconCache>(*platform.fileTypes, *platform.decoder)),
      m_current(new CurrentImage(*platform.decoder, this)),
      m_preview(new PreviewPane(&main.surface())),
      m_tiled(new TiledView(*m_current, main.tiledViewRect(), &main)),
      m_grid(new ThumbnailGrid(main.thumbBase(), *main.titleStrip().countLabel(),
                               *main.titleStrip().progressBar(), *platform.decoder,
                               *platform.messages, &main))
{
    Listing::Hooks hooks;
    hooks.closeTiledView = [this] { m_tiled->close(); };
    hooks.clearPreview = [this] { clearPreview(); };
    hooks.showThumbSurface = [this](bool on) { m_main.thumbBase().surface()->setVisible(on); };
    hooks.buildThumbnails = [this] { m_grid->build(*m_files); };
    hooks.emptyThumbnails = [this] { m_grid->empty(); };
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
    connectGrid();
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
    loadFile(name);
    if (name.isEmpty())
        return;
    // By name: a sorted list and the grid no longer share positions.
    m_grid->surface().setMarker(m_grid->indexOf(name));
}

void Browser::loadFile(const QString& name)
{
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
    m_grid->surface().setMarker(-1);
    m_main.fileList().selectRow(-1);
    m_current->clear();
}

void Browser::pressOnEmptySpace()
{
    clearPreview();
    m_main.statusBar().showSimple(HoverHint::Text);
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

void Browser::connectGrid()
{
    ThumbnailSurface& surface = m_grid->surface();
    connect(&surface, &ThumbnailSurface::pressed, this,
            [this](qint64 index, Qt::MouseButtons buttons, const QPoint& at) {
                if (index >= 0)
                    thumbnailPressed(index, buttons, at);
                else
                    gridEmptyPressed(buttons, at);
            });
    connect(&m_main.thumbBase(), &ThumbnailBase::pressedOutside, this, &Browser::gridEmptyPressed);
    connect(&surface, &ThumbnailSurface::doubleClicked, this, [this](qint64 index) {
        // The press before it normally selected the cell already.
        if (m_grid->surface().marker() != index)
            selectThumbnail(index);
        openTiledView();
    });
    connect(&surface, &ThumbnailSurface::keyPressed, this, &Browser::gridKey);
}

void Browser::selectThumbnail(qint64 index)
{
    const QString name = m_grid->nameAt(index);
    m_grid->surface().setMarker(index);
    loadFile(name);
    m_main.fileList().selectRow(m_main.fileList().model()->rowOf(name));
}

void Browser::thumbnailPressed(qint64 index, Qt::MouseButtons buttons, const QPoint& at)
{
    if (buttons.testFlag(Qt::RightButton) && m_grid->surface().isMarkerVisible())
        m_platform.popups->exec(m_main.menus().popup(MainMenus::Popup::Wallpaper), at);
    if (buttons.testFlag(Qt::LeftButton))
        selectThumbnail(index);
    m_grid->surface().setFocus();
}

void Browser::gridEmptyPressed(Qt::MouseButtons buttons, const QPoint& at)
{
    if (buttons.testFlag(Qt::RightButton)) {
        m_platform.popups->exec(m_main.menus().popup(MainMenus::Popup::List), at);
        m_main.menus().menu(QStringLiteral("mnuLvSort"))->setEnabled(false);
    }
    if (buttons.testFlag(Qt::LeftButton)) {
        clearPreview();
        m_main.statusBar().showSimple(m_grid->count() > 0 ? HoverHint::Text : QString());
        m_main.hoverHint().reset();
    }
    m_grid->surface().setFocus();
}

void Browser::gridKey(int key)
{
    if (!m_grid->surface().isMarkerVisible() || m_grid->count() < 2)
        return;
    const int row = m_main.fileList().selectedRow();
    const qint64 selected =
        row < 0 ? 0 : std::max<qint64>(0, m_grid->indexOf(m_main.fileList().model()->nameAt(row)));
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        openTiledView();
        return;
    case Qt::Key_PageDown:
        m_grid->pageDown();
        return;
    case Qt::Key_PageUp:
        m_grid->pageUp();
        return;
    default:
        break;
    }
    if (const auto target =
            ThumbNavigation::arrowMove(key, selected, m_grid->count(), m_grid->lastColumn() + 1))
        selectThumbnail(*target);
}
