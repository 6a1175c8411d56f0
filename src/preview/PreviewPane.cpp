#include "preview/PreviewPane.h"

#include <QMouseEvent>
#include <QPainter>

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
    setGeometry(PreviewFit::fit(frame, picWidth, picHeight).toPixels());
    setVisible(frameVisible && hasPicture());
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
        p.setRenderHint(QPainter::SmoothPixmapTransform, inner.size() != m_picture.size());
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
