#include "preview/TiledView.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>

#include <QScreen>

#include "layout/TwipRect.h"
#include "layout/Twips.h"
#include "platform/Clipboard.h"
#include "platform/PrinterPrintService.h"
#include "preview/ContrastMeter.h"
#include "preview/CurrentImage.h"
#include "preview/PictureDpi.h"
#include "preview/RepeatUnit.h"
#include "preview/SampleTextBox.h"
#include "preview/TileCss.h"
#include "tile/RealSize.h"
#include "tile/TileSettings.h"
#include "ui/OuterFrame.h"

namespace {

// The least outer side in whole pixels: a window of 133 pixels would be under 2000 twips.
constexpr int LeastPixels = (TiledView::MinSide + Twips::PerPixel - 1) / Twips::PerPixel;

// The twips to hold for one outer side now `pixels` wide. A window at its least size holds the
// least twips, unless what it held already stands for that very pixel count (a stored 2005).
int heldSide(int held, double current, int pixels)
{
    if (pixels <= LeastPixels)
        return Twips::toPixels(held) == pixels && held >= TiledView::MinSide ? held
                                                                             : TiledView::MinSide;
    return int(Twips::roundHalfEven(current));
}

// A unit up to this many pixels is encoded for the CSS; a larger one would not fit inline.
constexpr qint64 InlineUnitPixels = 4 * 1024 * 1024;

// One notch of a mouse wheel.
constexpr int WheelStep = 120;

} // namespace

const QString TiledView::Caption = QStringLiteral("Preview");

TiledView::TiledView(const CurrentImage& image, TwipRect& rect, const SampleSettings& sample,
                     TileSettings& tiles, Clipboard& clipboard, QWidget* owner)
    : QWidget(owner, Qt::Window), m_image(image), m_rect(rect), m_tiles(tiles),
      m_clipboard(clipboard), m_frame(new OuterFrame(this)),
      m_sample(new SampleTextBox(sample, this)),
      m_contrast(new ContrastMeter(
          image, sample, tiles, [this] { return size(); }, [this] { return surface(false); }, this))
{
    setObjectName(QStringLiteral("TiledView"));
    setWindowTitle(Caption);
    // Every pixel is painted below, the background included, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    m_frame->setMinimumOuterSize(MinSide, MinSide);
    connect(&image, &CurrentImage::changed, this, &TiledView::readResolution);
    connect(&image, &CurrentImage::cleared, this, &QWidget::close);
    connect(&tiles, &TileSettings::modeChanged, this, &TiledView::modeChanged);
    connect(&tiles, &TileSettings::backgroundChanged, this, qOverload<>(&QWidget::update));
    connect(&tiles, &TileSettings::resolutionChanged, this, &TiledView::modeChanged);
    readResolution();
}

void TiledView::readResolution()
{
    m_fileDpi = m_image.hasPicture() ? PictureDpi::ofFile(m_image.path()) : std::nullopt;
    modeChanged();
}

double TiledView::pictureDpi() const
{
    return m_fileDpi.value_or(m_tiles.pictureDpi());
}

double TiledView::screenDpi() const
{
    if (const std::optional<double> measured = m_tiles.screenDpi())
        return *measured / devicePixelRatioF();
    const QScreen* shown = screen();
    // Qt gives the physical resolution in window pixels already.
    const double reported = shown ? shown->physicalDotsPerInch() : 0;
    return RealSize::sane(reported).value_or(PrinterPrintService::ScreenDpi);
}

TiledView::~TiledView() = default;

void TiledView::modeChanged()
{
    QString modes = m_tiles.mode().captionSuffix();
    if (m_tiles.mode().realSize && m_image.hasPicture()) {
        modes += QStringLiteral(", ") +
                 (m_realSizeRefused ? tr("too many tiles to draw")
                                    : RealSize::describe(m_image.image().size(), pictureDpi()));
    }
    setWindowTitle(modes.isEmpty() ? Caption : Caption + QStringLiteral(" \u2014 ") + modes);
    update();
}

QString TiledView::css() const
{
    const TileMode& mode = m_tiles.mode();
    QByteArray unitPng;
    // A unit too large to inline is not encoded only to be dropped.
    const QSize unit = mode.repeat.unitSize(m_image.image().size());
    if (!mode.repeat.isStraight() && !m_image.image().isNull() &&
        qint64(unit.width()) * unit.height() <= InlineUnitPixels)
        unitPng = RepeatUnit::png(RepeatUnit::of(m_image.image(), mode.repeat));
    return TileCss::declarations(m_image.file(), mode, m_image.image().size(), m_tiles.background(),
                                 unitPng);
}

void TiledView::open()
{
    if (!isVisible()) {
        m_frame->apply(WindowGeometry(m_rect.left, m_rect.top, m_rect.width, m_rect.height));
        show();
    }
    raise();
    activateWindow();
}

void TiledView::recordGeometry()
{
    if (!isVisible())
        return;
    const WindowGeometry& outer = m_frame->current();
    m_rect.left = int(Twips::roundHalfEven(outer.left()));
    m_rect.top = int(Twips::roundHalfEven(outer.top()));
    recordSize();
}

void TiledView::recordSize()
{
    const QRect pixels = m_frame->outerPixels();
    const WindowGeometry& outer = m_frame->current();
    m_rect.width = heldSide(m_rect.width, outer.width(), pixels.width());
    m_rect.height = heldSide(m_rect.height, outer.height(), pixels.height());
}

TileSurface TiledView::surface(bool paper) const
{
    TileSurface surface;
    surface.ratio = paper ? 1.0 : devicePixelRatioF();
    surface.paper = paper;
    if (m_tiles.mode().realSize && m_image.hasPicture()) {
        const double surfaceDpi = paper ? PrinterPrintService::ScreenDpi : screenDpi();
        surface.realScale = RealSize::scale(surfaceDpi, pictureDpi());
    }
    return surface;
}

void TiledView::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    // On paper a window pixel is printed as 1/96 inch, the printer's own dots whatever they are.
    const bool paper = property(PrinterPrintService::PrintingProperty).toBool();
    // Every pixel of the area, the page colour included: transparent pixels show it, and never
    // what an earlier picture left in the window's buffer.
    const bool drawn = m_painter.paint(p, event->rect(), size(), m_image.image(), m_tiles.mode(),
                                       m_tiles.background(), surface(paper));
    if (!paper && drawn == m_realSizeRefused) {
        m_realSizeRefused = !drawn;
        modeChanged();
    }
}

void TiledView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Sizes given before the window shows are placements, not the user's choice.
    if (!isVisible())
        return;
    keepMinimum();
    // Without a known frame the window is taken as its own outer rectangle: a frame of zero.
    recordSize();
}

void TiledView::keepMinimum()
{
    const QRect outer = m_frame->outerPixels();
    const QSize grow(std::max(0, LeastPixels - outer.width()),
                     std::max(0, LeastPixels - outer.height()));
    if (!grow.isNull())
        resize(size() + grow);
}

void TiledView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->key() == Qt::Key_F2) {
        Q_EMIT toolboxRequested();
        activateWindow();
        return;
    }
    if (tileKey(event))
        return;
    QWidget::keyPressEvent(event);
}

bool TiledView::tileKey(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        m_clipboard.setText(css());
        return true;
    }
    if (event->matches(QKeySequence::Save)) {
        Q_EMIT saveRepeatRequested();
        return true;
    }
    // Shift may be needed for + on the keyboard; other modifiers leave the key alone.
    const Qt::KeyboardModifiers others =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (others != Qt::NoModifier)
        return false;
    const TileMode& mode = m_tiles.mode();
    switch (event->key()) {
    case Qt::Key_O:
        m_tiles.setOffset(!mode.offset);
        return true;
    case Qt::Key_G:
        m_tiles.setGrid(!mode.grid);
        return true;
    case Qt::Key_H:
        m_tiles.setSeamMap(!mode.seamMap);
        return true;
    case Qt::Key_D:
        m_tiles.setRepeat(mode.repeat.nextDrop());
        return true;
    case Qt::Key_B:
        m_tiles.setRepeat(mode.repeat.nextBrick());
        return true;
    case Qt::Key_M:
        m_tiles.setRepeat(mode.repeat.nextMirror());
        return true;
    case Qt::Key_X:
        m_tiles.toggleAxis(TileMode::Axis::Across);
        return true;
    case Qt::Key_Y:
        m_tiles.toggleAxis(TileMode::Axis::Down);
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        m_tiles.setZoom(mode.zoom + 1);
        return true;
    case Qt::Key_Minus:
        m_tiles.setZoom(mode.zoom - 1);
        return true;
    case Qt::Key_R:
        m_tiles.setRealSize(!mode.realSize);
        return true;
    case Qt::Key_0:
        m_tiles.setZoom(TileMode::MinZoom);
        return true;
    default:
        return false;
    }
}

void TiledView::wheelEvent(QWheelEvent* event)
{
    if (!event->modifiers().testFlag(Qt::ControlModifier)) {
        QWidget::wheelEvent(event);
        return;
    }
    event->accept();
    // Fine-stepping wheels and touchpads send parts of a notch: a zoom step per whole notch.
    m_wheel += event->angleDelta().y();
    const int steps = m_wheel / WheelStep;
    m_wheel -= steps * WheelStep;
    if (steps != 0)
        m_tiles.setZoom(m_tiles.mode().zoom + steps);
}

void TiledView::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    close();
}

void TiledView::closeEvent(QCloseEvent* event)
{
    event->accept();
    // Each opening starts from the plain view; the repeat and the page colour stay.
    m_tiles.resetMode();
    m_wheel = 0;
    m_painter.release();
    // Closing a window that is not showing changes nothing, the held position included.
    if (!isVisible())
        return;
    recordGeometry();
    Q_EMIT closed();
}
