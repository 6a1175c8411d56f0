#include "thumbs/ThumbnailGrid.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>

#include "layout/Twips.h"
#include "listing/FileList.h"
#include "platform/ImageDecoder.h"
#include "platform/MessageBoxes.h"
#include "thumbs/ResponsiveWait.h"
#include "thumbs/ThumbGridGeometry.h"
#include "thumbs/ThumbNavigation.h"
#include "thumbs/ThumbnailBase.h"
#include "thumbs/ThumbnailBuilder.h"
#include "thumbs/ThumbnailCache.h"
#include "thumbs/ThumbnailCacheWriter.h"
#include "thumbs/ThumbnailSurface.h"
#include "ui/FileText.h"

const QString ThumbnailGrid::CapacityText =
    QStringLiteral("Please increase the Thumbnailers' size and press F5 to show the thumbnails. ");

ThumbnailGrid::ThumbnailGrid(ThumbnailBase& base, QLabel& countLabel, QProgressBar& progress,
                             const ImageDecoder& decoder, MessageBoxes& messages,
                             QWidget* dialogParent)
    : QObject(&base), m_base(base), m_count(countLabel), m_progress(progress), m_decoder(decoder),
      m_messages(messages), m_dialogParent(dialogParent)
{
}

ThumbnailGrid::~ThumbnailGrid()
{
    // The writer refers to the cache: it goes first.
    m_writer.reset();
}

ThumbnailCache& ThumbnailGrid::cache()
{
    const QString root = ThumbnailCache::defaultRoot();
    if (!m_cache || m_cache->root() != root) {
        m_writer.reset();
        m_cache = std::make_unique<ThumbnailCache>(root);
        m_writer = std::make_unique<ThumbnailCacheWriter>(*m_cache, &m_decoder);
    }
    return *m_cache;
}

void ThumbnailGrid::waitForCacheWrites()
{
    if (m_writer)
        m_writer->waitForIdle();
}

ThumbnailSurface& ThumbnailGrid::surface() const
{
    return *m_base.surface();
}

qint64 ThumbnailGrid::count() const
{
    return surface().count();
}

QString ThumbnailGrid::nameAt(qint64 index) const
{
    return index >= 0 && index < m_names.size() ? m_names[int(index)] : QString();
}

qint64 ThumbnailGrid::indexOf(const QString& name) const
{
    return m_index.value(name, -1);
}

QSize ThumbnailGrid::cellPixels() const
{
    // Drawn at the screen's pixel ratio, so the small pictures stay sharp on high-dpi screens.
    const qreal ratio = surface().devicePixelRatioF();
    const int side = Twips::toPixels(ThumbGridGeometry::Thumb);
    return {qRound(side * ratio), qRound(side * ratio)};
}

void ThumbnailGrid::empty()
{
    m_folder.clear();
    m_names.clear();
    m_index.clear();
    surface().clear();
    m_base.setSurfaceRows(0);
    m_base.scrollBar()->hide();
}

void ThumbnailGrid::build(const FileList& files)
{
    // The pane as the last layout pass left it: the base may be hidden, its own sizes stale.
    const PaneRects& pane = m_base.layoutNumbers();
    const int columns =
        ThumbGridGeometry::columns(pane.thumbSurfaceWidth, pane.thumbScrollBar.width);
    m_lastColumn = columns - 1;
    const int visibleRows = ThumbGridGeometry::visibleRows(pane.thumbBase.height);
    const qint64 n = files.count();

    m_count.hide();
    m_progress.setRange(0, int(std::max<qint64>(0, n - 1)));
    m_progress.setValue(0);
    m_progress.show();
    m_progress.repaint();

    if (!ThumbGridGeometry::fits(n, columns)) {
        m_messages.show(m_dialogParent, QStringLiteral("Vadro"), CapacityText,
                        MessageBoxes::Icon::None);
        empty();
        m_progress.hide();
        m_count.show();
        return;
    }

    m_names = files.names();
    m_index.clear();
    for (int i = 0; i < m_names.size(); ++i)
        m_index.insert(m_names[i], i);
    m_folder = files.path();
    // The previous folder's pictures are not shown while this one's are made.
    surface().clear();
    const qreal ratio = surface().devicePixelRatioF();
    const QSize pixels = cellPixels();

    ThumbnailBuilder::Options options;
    options.cache = &cache();
    options.flavour = ThumbnailBuilder::flavourFor(pixels);
    options.progress = [this](int done) {
        m_progress.setValue(std::min(done, m_progress.maximum()));
    };
    // A long build keeps answering the desktop, which would otherwise offer to end the
    // program; the input it holds back arrives once the build is done.
    ResponsiveWait wait;
    options.waiting = [&wait] { wait.serve(); };
    m_building = true;
    // The previous folder's entries wait: the build has the cores to itself.
    m_writer->hold();
    ThumbnailBuilder::Result result =
        ThumbnailBuilder::run(files.paths(), files.sizes(), pixels,
                              surface().palette().color(QPalette::Window), m_decoder, options);
    m_building = false;
    m_writer->release();
    m_writer->add(std::move(result.toWrite));
    QVector<QImage> thumbs = std::move(result.cells);
    for (QImage& thumb : thumbs)
        thumb.setDevicePixelRatio(ratio);
    surface().setThumbnails(std::move(thumbs), columns);

    const qint64 lastRow = ThumbGridGeometry::lastRow(n, columns);
    const qint64 maximum = ThumbGridGeometry::scrollMaximum(lastRow, visibleRows);
    QScrollBar* bar = m_base.scrollBar();
    // The value is kept where the new range allows it; the bar brings it inside otherwise.
    bar->setRange(0, int(std::clamp<qint64>(maximum, 0, 1 << 24)));
    m_base.setSurfaceRows(lastRow + 1);
    bar->setVisible(ThumbGridGeometry::scrollBarShown(maximum));

    m_progress.hide();
    m_count.show();
}

void ThumbnailGrid::refreshCell(const QString& path, const QImage& picture)
{
    const QString name = QFileInfo(path).fileName();
    const qint64 index = indexOf(name);
    if (m_building || picture.isNull() || index < 0 || index >= count() ||
        FileText::join(m_folder, name) != path)
        return;
    const QSize pixels = cellPixels();
    DecodedImage decoded;
    decoded.image = picture;
    decoded.naturalSize = picture.size();
    QImage cell =
        ThumbnailBuilder::stretch(decoded, pixels, surface().palette().color(QPalette::Window));
    cell.setDevicePixelRatio(surface().devicePixelRatioF());
    surface().setThumbnail(index, cell);

    // The cache tells versions apart by whole seconds and length only, so an old entry can
    // look valid after a quick edit; the new picture replaces it. Small pictures and the
    // cache's own folders are left out, as in a build.
    ThumbnailCache& shared = cache();
    const ThumbnailCache::Flavour flavour = ThumbnailBuilder::flavourFor(pixels);
    const QSize box = ThumbnailCache::thumbnailSize(picture.size(), flavour);
    if (box.isEmpty() || shared.holdsFolder(m_folder))
        return;
    ThumbnailCache::Entry entry;
    entry.source = ThumbnailCache::source(path);
    if (!entry.source.isValid())
        return;
    entry.flavour = flavour;
    entry.natural = picture.size();
    entry.image = picture.scaled(box, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_writer->add({std::move(entry)});
}

void ThumbnailGrid::pageDown()
{
    QScrollBar* bar = m_base.scrollBar();
    bar->setValue(ThumbNavigation::pageDown(bar->value(), bar->minimum(), bar->maximum(),
                                            ThumbGridGeometry::LargeChange, !bar->isHidden()));
}

void ThumbnailGrid::pageUp()
{
    QScrollBar* bar = m_base.scrollBar();
    bar->setValue(ThumbNavigation::pageUp(bar->value(), bar->minimum(),
                                          ThumbGridGeometry::LargeChange, !bar->isHidden()));
}
