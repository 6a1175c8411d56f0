#include "app/MainSurface.h"

#include <QMouseEvent>
#include <QPainter>

MainSurface::MainSurface(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MainSurface"));
}

void MainSurface::setPreviewFrame(const QRect& pixels, bool visible)
{
    if (m_frame == pixels && m_frameVisible == visible)
        return;
    update(m_frame.adjusted(-1, -1, 1, 1));
    m_frame = pixels;
    m_frameVisible = visible;
    update(m_frame.adjusted(-1, -1, 1, 1));
}

void MainSurface::paintEvent(QPaintEvent*)
{
    if (!m_frameVisible || m_frame.isEmpty())
        return;
    QPainter p(this);
    // The light edge of a sunken panel, as the system draws a highlighted border.
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(m_frame.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(m_frame.adjusted(1, 1, -2, -2));
}

void MainSurface::mousePressEvent(QMouseEvent* event)
{
    if (event->buttons().testFlag(Qt::RightButton))
        Q_EMIT rightPressed(event->globalPosition().toPoint());
    QWidget::mousePressEvent(event);
}

void MainSurface::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Q_EMIT resized();
}
