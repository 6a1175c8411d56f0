#include "preview/TiledView.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

#include "app/WindowGeometry.h"
#include "layout/Twips.h"
#include "preview/CurrentImage.h"
#include "preview/TiledViewRect.h"

TiledView::TiledView(const CurrentImage& image, TiledViewRect& rect, QWidget* owner)
    : QWidget(owner, Qt::Window), m_image(image), m_rect(rect)
{
    setObjectName(QStringLiteral("TiledView"));
    setWindowTitle(QStringLiteral("Preview"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    const int side = Twips::toPixels(MinSide);
    setMinimumSize(side, side);
}

QSize TiledView::frameExtra() const
{
    return frameGeometry().size() - size();
}

void TiledView::open()
{
    if (!isVisible()) {
        const WindowGeometry held(m_rect.left, m_rect.top, m_rect.width, m_rect.height);
        const QRect outer = held.toPixels();
        move(outer.topLeft());
        resize(outer.size() - frameExtra());
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

void TiledView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The window manager adds the frame after the first show; the held size is the outer
    // one, so the frame's share is given back once.
    QTimer::singleShot(0, this, [this] {
        if (m_frameKnown || !isVisible())
            return;
        m_frameKnown = true;
        const QSize extra = frameExtra();
        if (extra.width() > 0 || extra.height() > 0) {
            const WindowGeometry held(m_rect.left, m_rect.top, m_rect.width, m_rect.height);
            resize(held.toPixels().size() - extra);
        }
    });
}

void TiledView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!isVisible() || !m_frameKnown)
        return;
    WindowGeometry held(m_rect.left, m_rect.top, m_rect.width, m_rect.height);
    const QRect outer = frameGeometry();
    held.sync(QRect(outer.topLeft(), size() + frameExtra()));
    m_rect.width = int(Twips::roundHalfEven(held.width()));
    m_rect.height = int(Twips::roundHalfEven(held.height()));
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
    WindowGeometry held(m_rect.left, m_rect.top, m_rect.width, m_rect.height);
    held.sync(QRect(frameGeometry().topLeft(), held.toPixels().size()));
    m_rect.left = int(Twips::roundHalfEven(held.left()));
    m_rect.top = int(Twips::roundHalfEven(held.top()));
    Q_EMIT closed();
}
