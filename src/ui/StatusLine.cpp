#include "ui/StatusLine.h"

#include <QHelpEvent>
#include <QPainter>
#include <QSizeGrip>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>

StatusLine::StatusLine(QWidget* parent) : QWidget(parent), m_grip(new QSizeGrip(this))
{
    setObjectName(QStringLiteral("StatusBarWnd"));
    setMinimumHeight(MinHeight);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(true);
}

void StatusLine::setSimple(bool on)
{
    if (m_simple == on)
        return;
    m_simple = on;
    update();
}

void StatusLine::setSimpleText(const QString& text)
{
    m_simpleText = text;
    if (m_simple)
        update();
}

void StatusLine::setParts(const QVector<int>& rightEdges)
{
    m_edges = rightEdges;
    m_parts.resize(rightEdges.size());
    update();
}

void StatusLine::setPartText(int part, const QString& text)
{
    if (part < 0 || part >= m_parts.size())
        return;
    m_parts[part] = text;
    if (!m_simple)
        update();
}

QString StatusLine::partText(int part) const
{
    return part >= 0 && part < m_parts.size() ? m_parts[part] : QString();
}

QString StatusLine::displayedText() const
{
    if (m_simple)
        return m_simpleText;
    return QStringList(m_parts.begin(), m_parts.end()).join(QStringLiteral(" | "));
}

QSize StatusLine::sizeHint() const
{
    return QSize(200, std::max(MinHeight, fontMetrics().height() + 4));
}

void StatusLine::resizeEvent(QResizeEvent*)
{
    const QSize grip = m_grip->sizeHint();
    m_grip->setGeometry(width() - grip.width(), height() - grip.height(), grip.width(),
                        grip.height());
}

QRect StatusLine::partTextRect(int part) const
{
    const int textRight = width() - m_grip->width();
    int left = 0;
    for (int i = 0; i < m_edges.size(); ++i) {
        const int right = m_edges[i] < 0 ? textRight : std::min(m_edges[i], textRight);
        if (i == part)
            return right > left ? QRect(left + 4, 1, right - left - 8, height() - 1) : QRect();
        left = right;
    }
    return {};
}

QString StatusLine::shownPartText(int part) const
{
    if (part < 0 || part >= m_parts.size())
        return {};
    return fontMetrics().elidedText(m_parts[part], Qt::ElideMiddle,
                                    std::max(0, partTextRect(part).width()));
}

bool StatusLine::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && !m_simple) {
        const QPoint at = static_cast<QHelpEvent*>(event)->pos();
        for (int i = 0; i < m_parts.size(); ++i) {
            const QRect area = partTextRect(i);
            if (area.left() - 4 <= at.x() && at.x() < area.right() + 4 &&
                shownPartText(i) != m_parts[i]) {
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), m_parts[i], this);
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

void StatusLine::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor line = palette().color(QPalette::Mid);
    p.setPen(line);
    p.drawLine(0, 0, width(), 0);
    p.setPen(palette().color(QPalette::WindowText));
    const int textRight = width() - m_grip->width();
    if (m_simple) {
        const QRect area(4, 1, textRight - 8, height() - 1);
        p.drawText(area, Qt::AlignVCenter | Qt::AlignLeft,
                   fontMetrics().elidedText(m_simpleText, Qt::ElideRight, area.width()));
        return;
    }
    for (int i = 0; i < m_edges.size(); ++i) {
        const int right = m_edges[i] < 0 ? textRight : std::min(m_edges[i], textRight);
        const QRect area = partTextRect(i);
        if (!area.isEmpty())
            p.drawText(area, Qt::AlignVCenter | Qt::AlignLeft, shownPartText(i));
        if (m_edges[i] >= 0 && i + 1 < m_edges.size()) {
            p.setPen(line);
            p.drawLine(right, 3, right, height() - 3);
            p.setPen(palette().color(QPalette::WindowText));
        }
    }
}
