#include "thumbs/ThumbnailGrid.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include "layout/Twips.h"
#include "listing/FileList.h"
#include "platform/ImageDecoder.h"
#include "platform/MessageBoxes.h"
#include "thumbs/ThumbGridGeometry.h"
#include "thumbs/ThumbNavigation.h"
#include "thumbs/ThumbnailBase.h"
#include "thumbs/ThumbnailBuilder.h"
#include "thumbs/ThumbnailCache.h"
#include "thumbs/ThumbnailCacheWriter.h"
#include "thumbs/ThumbnailQueue.h"
#include "thumbs/ThumbnailSurface.h"
#include "ui/FileText.h"

const QString ThumbnailGrid::CapacityText = QCoreApplication::translate(
    "ThumbnailGrid",
    "Please increase the Thumbnailers' size and press F5 to show the thumbnails. ");

ThumbnailGrid::ThumbnailGrid(ThumbnailBase& base, QLabel& countLabel, QProgressBar& progress,
                             const ImageDecoder& decoder, MessageBoxes& messages,
                             QWidget* dialogParent)
    : QObject(&base), m_base(base), m_count(countLabel), m_progress(progress), m_decoder(decoder),
      m_messages(messages), m_dialogParent(dialogParent),
      m_queue(std::make_unique<ThumbnailQueue>(decoder))
{
    // Posted from the pool; served as any other event, between the user's.
    m_queue->setReady([this] {
        QMetaObject::invokeMethod(this, &ThumbnailGrid::takeResults, Qt::QueuedConnection);
    });
    connect(&m_base, &ThumbnailBase::placed, this, &ThumbnailGrid::paneChanged);
    connect(m_base.scrollBar(), &QScrollBar::valueChanged, this,
            &ThumbnailGrid::schedulePriorities);
    connect(&surface(), &ThumbnailSurface::markerChanged, this, &ThumbnailGrid::schedulePriorities);
    surface().installEventFilter(this);
}

ThumbnailGrid::~ThumbnailGrid()
{
    // The pool's threads hand entries to the writer: they stop before it goes.
    m_queue.reset();
    m_writer.reset();
}

std::shared_ptr<ThumbnailCache> ThumbnailGrid::cache()
{
    const QString root = ThumbnailCache::defaultRoot();
    if (!m_cache || m_cache->root() != root) {
        auto cache = std::make_shared<ThumbnailCache>(root);
        auto writer = std::make_unique<ThumbnailCacheWriter>(*cache);
        m_queue->setWriter(writer.get());
        if (m_holdingWrites)
            writer->hold();
        m_writer = std::move(writer);
        m_cache = std::move(cache);
    }
    return m_cache;
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

QString ThumbnailGrid::toolTipAt(qint64 index) const
{
    if (index < 0 || index >= m_names.size())
        return {};
    QStringList lines{m_names[int(index)]};
    const QSize size = m_sizes.value(int(index));
    if (!size.isEmpty())
        lines << tr("%1 x %2 pixels").arg(size.width()).arg(size.height());
    const qint64 length = m_lengths.value(int(index), -1);
    if (length >= 0)
        lines << tr("%1 bytes").arg(FileText::formatSize(length));
    return lines.join(QLatin1Char('\n'));
}

QSize ThumbnailGrid::cellPixels() const
{
    // Drawn at the screen's pixel ratio, so the small pictures stay sharp on high-dpi screens.
    const qreal ratio = surface().devicePixelRatioF();
    const int side = Twips::toPixels(ThumbGridGeometry::Thumb);
    return {qRound(side * ratio), qRound(side * ratio)};
}

int ThumbnailGrid::paneColumns() const
{
    // The pane as the last layout pass left it: the base may be hidden, its own sizes stale.
    const PaneRects& pane = m_base.layoutNumbers();
    return ThumbGridGeometry::columns(pane.thumbSurfaceWidth, pane.thumbScrollBar.width);
}

void ThumbnailGrid::empty()
{
    m_queue->cancel();
    m_folder.clear();
    m_names.clear();
    m_lengths.clear();
    m_sizes.clear();
    m_refreshed.clear();
    m_index.clear();
    surface().clear();
    m_base.setSurfaceRows(0);
    m_base.scrollBar()->hide();
    if (m_building)
        finish();
}

void ThumbnailGrid::build(const FileList& files)
{
    const int columns = paneColumns();
    const qint64 n = files.count();
    m_names = files.names();
    m_lengths = files.sizes();
    m_sizes = QVector<QSize>(int(n));
    m_refreshed = QVector<bool>(int(n), false);
    m_index.clear();
    for (int i = 0; i < m_names.size(); ++i)
        m_index.insert(m_names[i], i);
    m_folder = files.path();
    m_done = 0;

    // The previous folder's pictures are not shown while this one's are made.
    surface().setPlaceholders(n, columns);
    layOut(columns);
    if (n > 0 && columns == 0)
        m_messages.show(m_dialogParent, QStringLiteral("Vadro"), CapacityText,
                        MessageBoxes::Icon::None);
    if (n == 0) {
        m_queue->cancel();
        if (m_building)
            finish();
        return;
    }

    m_count.hide();
    m_progress.setRange(0, int(std::max<qint64>(0, n - 1)));
    m_progress.setValue(0);
    m_progress.show();

    ThumbnailBuilder::Setup setup;
    setup.cell = cellPixels();
    setup.background = surface().palette().color(QPalette::Window);
    setup.cache = cache();
    setup.flavour = ThumbnailBuilder::flavourFor(setup.cell);
    if (!m_holdingWrites) {
        // The entries wait while the cores make cells, as far as memory allows.
        m_writer->hold();
        m_holdingWrites = true;
    }
    m_building = true;
    const QScrollBar* bar = m_base.scrollBar();
    const auto [first, end] =
        ThumbGridGeometry::visibleRange(bar->value() * Twips::PerCentimetre,
                                        int(m_base.layoutNumbers().thumbBase.height), columns, n);
    m_queue->start(files.paths(), setup, DecodeBudget::DefaultLimit,
                   ThumbGridGeometry::fillOrder(-1, first, end, n));
}

void ThumbnailGrid::takeResults()
{
    const qreal ratio = surface().devicePixelRatioF();
    for (ThumbnailQueue::Result& result : m_queue->take()) {
        if (result.index < 0 || result.index >= count())
            continue;
        m_sizes[result.index] = result.natural;
        ++m_done;
        // A picture read again after a change on disk is newer than the build's.
        if (m_refreshed[result.index])
            continue;
        result.cell.setDevicePixelRatio(ratio);
        surface().setThumbnail(result.index, result.cell);
    }
    if (!m_building)
        return;
    m_progress.setValue(std::min(m_done, m_progress.maximum()));
    if (m_done >= count())
        finish();
}

void ThumbnailGrid::finish()
{
    m_building = false;
    if (m_holdingWrites && m_writer)
        m_writer->release();
    m_holdingWrites = false;
    m_progress.hide();
    m_count.show();
    Q_EMIT built();
}

void ThumbnailGrid::layOut(int columns)
{
    surface().setColumns(columns);
    m_lastColumn = std::max(0, columns - 1);
    const qint64 n = count();
    const qint64 lastRow = ThumbGridGeometry::lastRow(n, columns);
    const int visibleRows = ThumbGridGeometry::visibleRows(m_base.layoutNumbers().thumbBase.height);
    const qint64 maximum = ThumbGridGeometry::scrollMaximum(lastRow, visibleRows);
    QScrollBar* bar = m_base.scrollBar();
    // The value is kept where the new range allows it; the bar brings it inside otherwise.
    bar->setRange(0, int(std::clamp<qint64>(maximum, 0, 1 << 24)));
    m_base.setSurfaceRows(n > 0 && columns > 0 ? lastRow + 1 : 0);
    bar->setVisible(n > 0 && ThumbGridGeometry::scrollBarShown(maximum));
}

void ThumbnailGrid::paneChanged()
{
    if (count() == 0)
        return;
    const int before = surface().columns();
    const int columns = paneColumns();
    QScrollBar* bar = m_base.scrollBar();
    const int height = int(m_base.layoutNumbers().thumbBase.height);
    // What the user was looking at stays in view: the selection, or the first cell shown.
    const qint64 anchor = surface().isMarkerVisible()
                              ? surface().marker()
                              : ThumbGridGeometry::visibleRange(bar->value() * Twips::PerCentimetre,
                                                                height, before, count())
                                    .first;
    layOut(columns);
    if (columns != before && columns > 0) {
        const qint64 row = anchor / columns;
        bar->setValue(surface().isMarkerVisible()
                          ? ThumbGridGeometry::scrollToShow(row, bar->value(), height)
                          : int(row * ThumbGridGeometry::Cell / Twips::PerCentimetre));
    }
    schedulePriorities();
}

void ThumbnailGrid::schedulePriorities()
{
    if (!m_building || m_prioritiesDue)
        return;
    // A drag of the scroll bar moves many times an event; the order is worked out once.
    m_prioritiesDue = true;
    QTimer::singleShot(0, this, &ThumbnailGrid::prioritise);
}

void ThumbnailGrid::prioritise()
{
    m_prioritiesDue = false;
    if (!m_building)
        return;
    const auto [first, end] = ThumbGridGeometry::visibleRange(
        m_base.scrollBar()->value() * Twips::PerCentimetre,
        int(m_base.layoutNumbers().thumbBase.height), surface().columns(), count());
    m_queue->prioritise(ThumbGridGeometry::fillOrder(surface().marker(), first, end, count()));
}

bool ThumbnailGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &surface() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const qint64 index = surface().thumbnailAt(help->pos());
        if (index >= 0)
            QToolTip::showText(help->globalPos(), toolTipAt(index), &surface(),
                               surface().thumbnailRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ThumbnailGrid::refreshCell(const QString& path, const QImage& picture)
{
    const QString name = QFileInfo(path).fileName();
    const qint64 index = indexOf(name);
    if (picture.isNull() || index < 0 || index >= count() || FileText::join(m_folder, name) != path)
        return;
    const QSize pixels = cellPixels();
    DecodedImage decoded;
    decoded.image = picture;
    decoded.naturalSize = picture.size();
    QImage cell =
        ThumbnailBuilder::stretch(decoded, pixels, surface().palette().color(QPalette::Window));
    cell.setDevicePixelRatio(surface().devicePixelRatioF());
    surface().setThumbnail(index, cell);
    m_refreshed[int(index)] = true;
    m_sizes[int(index)] = picture.size();

    // The cache tells versions apart by whole seconds and length only, so an old entry can
    // look valid after a quick edit; the new picture replaces it. Small pictures and the
    // cache's own folders are left out, as in a build.
    if (cache()->holdsFolder(m_folder))
        return;
    const ThumbnailCache::Source source = ThumbnailCache::source(path);
    if (!source.isValid())
        return;
    if (std::optional<ThumbnailCache::Entry> entry = ThumbnailCache::entryOf(
            source, ThumbnailBuilder::flavourFor(pixels), picture, picture.size()))
        m_queue->write(std::move(*entry));
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
