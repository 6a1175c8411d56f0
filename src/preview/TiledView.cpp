#include "preview/TiledView.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>

#include "layout/Twips.h"
#include "preview/CurrentImage.h"
#include "preview/SampleTextBox.h"
#include "preview/TiledViewRect.h"
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

} // namespace

TiledView::TiledView(const CurrentImage& image, TiledViewRect& rect, const SampleSettings& sample,
                     QWidget* owner)
    : QWidget(owner, Qt::Window), m_image(image), m_rect(rect), m_frame(new OuterFrame(this)),
      m_sample(new SampleTextBox(sample, this))
{
    setObjectName(QStringLiteral("TiledView"));
    setWindowTitle(QStringLiteral("Preview"));
    // Every pixel is painted below, the background included, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    m_frame->setMinimumOuterSize(MinSide, MinSide);
    connect(&image, &CurrentImage::changed, this, qOverload<>(&QWidget::update));
    connect(&image, &CurrentImage::cleared, this, &QWidget::close);
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

void TiledView::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    // The background first: transparent pixels show it, and never what an earlier picture
    // left in the window's buffer.
    p.fillRect(event->rect(), palette().color(QPalette::Window));
    const QPixmap& tile = m_image.pixmap();
    if (tile.isNull() || tile.width() < 1 || tile.height() < 1)
        return;
    // One tiled fill from the window's origin: smooth even for a 16 x 16 tile on a wide window.
    p.drawTiledPixmap(rect(), tile, QPoint(0, 0));
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
    QWidget::keyPressEvent(event);
}

void TiledView::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    close();
}

void TiledView::closeEvent(QCloseEvent* event)
{
    event->accept();
    // Closing a window that is not showing changes nothing, the held position included.
    if (!isVisible())
        return;
    recordGeometry();
    Q_EMIT closed();
}
