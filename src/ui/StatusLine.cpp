#include "ui/StatusLine.h"

#include <QPainter>
#include <QSizeGrip>
#include <QStyle>
#include <QStyleOption>

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

void StatusLine::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor line = palette().color(QPalette::Mid);
    p.setPen(line);
    p.drawLine(0, 0, width(), 0);
    p.setPen(palette().color(QPalette::WindowText));
    const int textRight = width() - m_grip->width();
    if (m_simple) {
        p.drawText(QRect(4, 1, textRight - 8, height() - 1), Qt::AlignVCenter | Qt::AlignLeft,
                   m_simpleText);
        return;
    }
    int left = 0;
    for (int i = 0; i < m_edges.size(); ++i) {
        const int right = m_edges[i] < 0 ? textRight : std::min(m_edges[i], textRight);
        if (right > left) {
            p.drawText(QRect(left + 4, 1, right - left - 8, height() - 1),
                       Qt::AlignVCenter | Qt::AlignLeft, m_parts[i]);
        }
        if (m_edges[i] >= 0 && i + 1 < m_edges.size()) {
            p.setPen(line);
            p.drawLine(right, 3, right, height() - 3);
            p.setPen(palette().color(QPalette::WindowText));
        }
        left = right;
    }
}
