#include "app/Browser.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QWidget>

#include "app/PopupHost.h"
#include "app/Settings.h"
#include "listing/FileList.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "listing/FolderTree.h"
#include "listing/IconCache.h"
#include "listing/Listing.h"
#include "listing/TypeFilter.h"
#include "platform/FolderChooser.h"
#include "platform/Platform.h"
#include "platform/SafeFile.h"
#include "preview/CurrentImage.h"
#include "preview/ImageFacts.h"
#include "preview/LiveReload.h"
#include "preview/PictureDpi.h"
#include "preview/PreviewPane.h"
#include "preview/TiledView.h"
#include "thumbs/ThumbNavigation.h"
#include "thumbs/ThumbnailBase.h"
#include "thumbs/ThumbnailGrid.h"
#include "thumbs/ThumbnailSurface.h"
#include "tile/TileSettings.h"
#include "ui/FileText.h"
#include "ui/HoverHint.h"
#include "ui/StatusBar.h"

Browser::Browser(const Parts& parts, Platform& platform, Settings& settings, QObject* parent)
    : QObject(parent), m_parts(parts), m_chooser(*platform.chooser),
      m_files(std::make_unique<FileList>()),
      m_icons(std::make_unique<IconCache>(*platform.fileTypes, *platform.decoder))
{
    Listing::Hooks hooks;
    hooks.closeTiledView = [this] { m_parts.tiled.close(); };
    hooks.clearPreview = [this] { clearPreview(); };
    hooks.showThumbSurface = [this](bool on) { m_parts.thumbBase.surface()->setVisible(on); };
    hooks.buildThumbnails = [this] { m_parts.grid.build(*m_files); };
    hooks.emptyThumbnails = [this] { m_parts.grid.empty(); };
    hooks.treeFolder = [this] { return m_parts.tree.selectedPath(); };
    hooks.setTreeFolder = [this](const QString& folder) { m_parts.tree.setSelectedPath(folder); };
    hooks.saveFolder = [&settings](const QString& folder) { settings.setFolder(folder); };
    hooks.listFilled = [this] { Q_EMIT listFilled(); };
    m_listing = new Listing(*m_files, *m_parts.list.model(), *m_icons, m_parts.countLabel,
                            m_parts.status, std::move(hooks), this);
    m_reload = new LiveReload(this);
    m_reload->setObjectName(QStringLiteral("liveReload"));
    connect(m_reload, &LiveReload::fileChanged, this, [this](const QString& path) {
        if (path == m_parts.current.path())
            m_parts.current.reload();
    });
    connect(&m_parts.current, &CurrentImage::reloadFinished, this, &Browser::pictureReloaded);
    connect(&m_parts.current, &CurrentImage::fullPictureArrived, this, &Browser::showPicture);

    connect(&m_parts.tiled, &TiledView::closed, this, &Browser::tiledViewClosed);
    connect(&m_parts.preview, &PreviewPane::leftPressed, this, &Browser::openTiledView);
    connect(&m_parts.preview, &PreviewPane::rightPressed, this, [this](const QPoint& at) {
        m_parts.popups.openPopup(PopupHost::Popup::Wallpaper, at);
    });
    // The seam score on the status bar is the repeat's.
    connect(&m_parts.tiled.tileSettings(), &TileSettings::modeChanged, this, [this] {
        const Repeat repeat = m_parts.tiled.tileSettings().mode().repeat;
        if (repeat != m_shownRepeat && m_parts.current.isSet() && m_parts.status.exists())
            showImageInfo();
    });
    connect(&m_parts.tiled.tileSettings(), &TileSettings::resolutionChanged, this, [this] {
        if (m_parts.current.isSet() && m_parts.status.exists())
            showImageInfo();
    });
    connectList();
    connectGrid();
}

Browser::~Browser() = default;

void Browser::connectList()
{
    FileListView& list = m_parts.list;
    connect(&list, &FileListView::itemClicked, this, &Browser::loadPreview);
    auto open = [this] {
        if (!m_parts.current.folder().isEmpty() && m_parts.current.isSet())
            openTiledView();
    };
    connect(&list, &FileListView::itemDoubleClicked, this, open);
    connect(&list, &FileListView::enterPressed, this, open);
    connect(&list, &FileListView::emptySpacePressed, this, &Browser::pressOnEmptySpace);
    connect(&list, &FileListView::mouseMoved, this, [this] { m_parts.hint.start(); });
}

void Browser::treeFolderChanged()
{
    m_listing->treeChanged();
    const QString name = std::exchange(m_showWhenListed, {});
    const int row = name.isEmpty() ? -1 : m_parts.list.model()->rowOf(name);
    if (row >= 0) {
        m_parts.list.selectRow(row);
        loadPreview(row);
    }
}

void Browser::refresh()
{
    m_listing->refresh();
}

void Browser::fileOpen()
{
    const std::optional<QString> chosen = m_chooser.choose(
        &m_parts.window, m_parts.types.typesCaption(), m_parts.tree.selectedPath());
    if (!chosen)
        return;
    m_listing->browsed(FolderTree::normalise(*chosen), m_parts.types.filePattern());
}

void Browser::loadPreview(int row)
{
    const QString name = m_parts.list.model()->nameAt(row);
    loadFile(name);
    if (name.isEmpty())
        return;
    // By name: a sorted list and the grid no longer share positions.
    m_parts.grid.surface().setMarker(m_parts.grid.indexOf(name));
}

void Browser::loadFile(const QString& name)
{
    // Watched before it is read, so that a save during the read is not missed.
    m_reload->watch(name.isEmpty() ? QString() : FileText::join(m_files->path(), name));
    // A large photograph is shown at once from a decode the size of the preview.
    const qreal ratio = m_parts.preview.devicePixelRatioF();
    const QSize frame = m_previewFrame.toPixels().size();
    m_parts.current.load(m_files->path(), name,
                         QSize(qRound(frame.width() * ratio), qRound(frame.height() * ratio)));
    if (!m_parts.current.isSet())
        return;
    showPicture();
}

void Browser::showPicture()
{
    m_parts.preview.setPicture(m_parts.current.pixmap());
    fitPreview();
    if (m_parts.status.exists())
        showImageInfo();
}

void Browser::setPreviewFrame(const TwipRect& frame, bool visible)
{
    m_previewFrame = frame;
    m_previewVisible = visible;
    fitPreview();
}

void Browser::fitPreview()
{
    if (!m_parts.preview.hasPicture()) {
        m_parts.preview.hide();
        return;
    }
    const TwipRect& frame = m_previewFrame;
    m_parts.preview.fit(
        {double(frame.left), double(frame.top), double(frame.width), double(frame.height)},
        m_parts.current.picWidth(), m_parts.current.picHeight(), m_previewVisible);
    m_parts.preview.raise();
}

void Browser::showImageInfo()
{
    m_shownRepeat = m_parts.tiled.tileSettings().mode().repeat;
    const ImageFacts facts = ImageFacts::of(
        m_parts.current.file(), m_parts.current.hasPicture(), m_parts.current.picWidth(),
        m_parts.current.picHeight(),
        SafeFile::regularFileSize(FileText::join(m_files->path(), m_parts.current.file())),
        m_parts.current.seamScore(m_parts.tiled.tileSettings().mode().repeat),
        PictureDpi::ofFile(m_parts.current.path(), m_parts.tiled.tileSettings().pictureDpi()));
    m_parts.status.showParts(facts.file, facts.dim, facts.size, facts.seam);
}

void Browser::clearPreview()
{
    m_parts.preview.clear();
    m_parts.grid.surface().setMarker(-1);
    m_parts.list.selectRow(-1);
    m_parts.current.clear();
    m_reload->watch({});
}

void Browser::pictureReloaded(bool replaced)
{
    if (!replaced)
        return;
    showPicture();
    m_parts.grid.refreshCell(m_parts.current.path(), m_parts.current.image());
}

void Browser::pressOnEmptySpace()
{
    clearPreview();
    m_parts.status.showSimple(HoverHint::text());
    m_parts.hint.reset();
}

void Browser::openTiledView()
{
    if (!m_parts.current.isSet())
        return;
    m_parts.tiled.open();
}

void Browser::tiledViewClosed()
{
    m_parts.window.activateWindow();
    if (m_parts.list.isVisible())
        m_parts.list.currentView()->setFocus();
    else
        m_parts.thumbBase.surface()->setFocus();
}

void Browser::connectGrid()
{
    ThumbnailSurface& surface = m_parts.grid.surface();
    connect(&surface, &ThumbnailSurface::pressed, this,
            [this](qint64 index, Qt::MouseButtons buttons, const QPoint& at) {
                if (index >= 0)
                    thumbnailPressed(index, buttons, at);
                else
                    gridEmptyPressed(buttons, at);
            });
    connect(&m_parts.thumbBase, &ThumbnailBase::pressedOutside, this, &Browser::gridEmptyPressed);
    connect(&surface, &ThumbnailSurface::doubleClicked, this, [this](qint64 index) {
        // The press before it normally selected the cell already.
        if (m_parts.grid.surface().marker() != index)
            selectThumbnail(index);
        openTiledView();
    });
    connect(&surface, &ThumbnailSurface::keyPressed, this, &Browser::gridKey);
}

void Browser::selectThumbnail(qint64 index)
{
    const QString name = m_parts.grid.nameAt(index);
    m_parts.grid.surface().setMarker(index);
    loadFile(name);
    m_parts.list.selectRow(m_parts.list.model()->rowOf(name));
}

void Browser::thumbnailPressed(qint64 index, Qt::MouseButtons buttons, const QPoint& at)
{
    // Either button selects the pressed picture first, so that the pop-up's "Set Wallpaper"
    // acts on the picture the user pressed and sees in the preview.
    if (buttons & (Qt::LeftButton | Qt::RightButton))
        selectThumbnail(index);
    m_parts.grid.surface().setFocus();
    if (buttons.testFlag(Qt::RightButton) && m_parts.current.isSet())
        m_parts.popups.openPopup(PopupHost::Popup::Wallpaper, at);
}

void Browser::gridEmptyPressed(Qt::MouseButtons buttons, const QPoint& at)
{
    if (buttons.testFlag(Qt::RightButton))
        m_parts.popups.openPopup(PopupHost::Popup::List, at);
    if (buttons.testFlag(Qt::LeftButton)) {
        clearPreview();
        m_parts.status.showSimple(m_parts.grid.count() > 0 ? HoverHint::text() : QString());
        m_parts.hint.reset();
    }
    m_parts.grid.surface().setFocus();
}

void Browser::gridKey(int key)
{
    if (!m_parts.grid.surface().isMarkerVisible() || m_parts.grid.count() < 2)
        return;
    const int row = m_parts.list.selectedRow();
    const qint64 selected =
        row < 0 ? 0 : std::max<qint64>(0, m_parts.grid.indexOf(m_parts.list.model()->nameAt(row)));
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        openTiledView();
        return;
    case Qt::Key_PageDown:
        m_parts.grid.pageDown();
        return;
    case Qt::Key_PageUp:
        m_parts.grid.pageUp();
        return;
    default:
        break;
    }
    if (const auto target = ThumbNavigation::arrowMove(key, selected, m_parts.grid.count(),
                                                       m_parts.grid.lastColumn() + 1))
        selectThumbnail(*target);
}
