#include "layout/SplitterBar.h"

#include <QMouseEvent>
#include <QPainter>

#include "layout/Twips.h"

SplitterBar::SplitterBar(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::SplitHCursor);
}

void SplitterBar::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    Q_EMIT pressed();
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event)
{
    // The press grabs the mouse, so moves keep coming even outside the bar.
    if (event->buttons() != Qt::NoButton)
        Q_EMIT dragged(Twips::fromPixels(qRound(event->position().x())));
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    Q_EMIT released();
}

void SplitterBar::paintEvent(QPaintEvent*)
{
    // A faint groove in the middle shows that the bar can be taken.
    QPainter p(this);
    p.setPen(palette().color(QPalette::Mid));
    const int x = width() / 2;
    for (int y = height() / 2 - 8; y <= height() / 2 + 8; y += 4)
        p.drawPoint(x, y);
}
