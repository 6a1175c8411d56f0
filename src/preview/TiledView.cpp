#include "preview/TiledView.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>

#include "layout/Twips.h"
#include "preview/CurrentImage.h"
#include "preview/TiledViewRect.h"
#include "ui/OuterFrame.h"

TiledView::TiledView(const CurrentImage& image, TiledViewRect& rect, QWidget* owner)
    : QWidget(owner, Qt::Window), m_image(image), m_rect(rect), m_frame(new OuterFrame(this))
{
    setObjectName(QStringLiteral("TiledView"));
    setWindowTitle(QStringLiteral("Preview"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    m_frame->setMinimumOuterSize(MinSide, MinSide);
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

void TiledView::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QPixmap& tile = m_image.pixmap();
    if (tile.isNull() || tile.width() < 1 || tile.height() < 1) {
        p.fillRect(event->rect(), palette().color(QPalette::Window));
        return;
    }
    // One tiled fill from the window's origin: smooth even for a 16 x 16 tile on a wide window.
    p.drawTiledPixmap(rect(), tile, QPoint(0, 0));
}

void TiledView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Before the frame is known the size is still the one given, not one the user chose.
    if (!isVisible() || !m_frame->isFrameKnown())
        return;
    const WindowGeometry& outer = m_frame->current();
    m_rect.width = int(Twips::roundHalfEven(outer.width()));
    m_rect.height = int(Twips::roundHalfEven(outer.height()));
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
    const WindowGeometry& outer = m_frame->current();
    m_rect.left = int(Twips::roundHalfEven(outer.left()));
    m_rect.top = int(Twips::roundHalfEven(outer.top()));
    Q_EMIT closed();
}
