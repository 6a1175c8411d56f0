#include "preview/PreviewPane.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include "layout/Twips.h"

PreviewPane::PreviewPane(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Primg"));
    setCursor(Qt::PointingHandCursor);
    hide();
}

void PreviewPane::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    update();
}

void PreviewPane::fit(const PreviewFit::Frame& frame, int picWidth, int picHeight,
                      bool frameVisible)
{
    hide();
    const QRect placed = PreviewFit::fit(frame, picWidth, picHeight).toPixels();
    setGeometry(placed);
    // A picture taller than the frame stays inside it, within the frame's outline: it never
    // covers the bars and strips around the pane.
    const QRect inside = Twips::toPixels(frame.left, frame.top, frame.width, frame.height)
                             .adjusted(FrameLine, FrameLine, -FrameLine, -FrameLine);
    const QRect shown = placed.intersected(inside);
    if (shown == placed)
        clearMask();
    else if (!shown.isEmpty())
        setMask(QRegion(shown.translated(-placed.topLeft())));
    setVisible(frameVisible && hasPicture() && !shown.isEmpty());
}

void PreviewPane::clear()
{
    hide();
    m_picture = QPixmap();
}

void PreviewPane::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect inner = rect().adjusted(2, 2, -2, -2);
    if (!m_picture.isNull() && !inner.isEmpty()) {
        // Smooth only where the picture shrinks: enlarged, a pattern keeps its crisp pixels.
        const qreal ratio = devicePixelRatioF();
        p.setRenderHint(QPainter::SmoothPixmapTransform,
                        inner.width() * ratio < m_picture.width() ||
                            inner.height() * ratio < m_picture.height());
        p.drawPixmap(inner, m_picture);
    }
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PreviewPane::mousePressEvent(QMouseEvent* event)
{
    // The right button offers the wallpaper first; then the left opens the tiled view.
    if (event->buttons().testFlag(Qt::RightButton))
        Q_EMIT rightPressed(event->globalPosition().toPoint());
    if (event->buttons().testFlag(Qt::LeftButton))
        Q_EMIT leftPressed();
    event->accept();
}
