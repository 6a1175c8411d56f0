#include "ui/StatusBar.h"

#include <QFontMetrics>
#include <QWidget>

#include <algorithm>

#include "ui/StatusLine.h"

StatusBar::StatusBar(QWidget* host) : QObject(host), m_host(host) {}

StatusBar::~StatusBar() = default;

void StatusBar::create()
{
    if (m_line)
        return;
    m_line = std::make_unique<StatusLine>(m_host);
    m_line->setSimple(true);
    m_line->show();
}

void StatusBar::destroy()
{
    if (!m_line)
        return;
    m_line.reset();
}

void StatusBar::showSimple(const QString& text)
{
    if (!m_line)
        return;
    m_line->setSimple(true);
    m_line->setSimpleText(text);
}

void StatusBar::setSimpleText(const QString& text)
{
    if (m_line)
        m_line->setSimpleText(text);
}

void StatusBar::showParts(const QString& file, const QString& dim, const QString& size,
                          const QString& seam)
{
    showParts(m_host->width(), file, dim, size, seam);
}

void StatusBar::showParts(int innerWidth, const QString& file, const QString& dim,
                          const QString& size, const QString& seam)
{
    if (!m_line)
        return;
    // The same room a part's text has inside its edges: four pixels each side.
    const QFontMetrics metrics = m_line->fontMetrics();
    QVector<int> needs;
    for (const QString* text : {&file, &dim, &size, &seam})
        needs.append(text->isEmpty() ? 0 : metrics.horizontalAdvance(*text) + 9);
    m_line->setSimple(false);
    m_line->setParts(partEdges(innerWidth, needs));
    m_line->setPartText(0, file);
    m_line->setPartText(1, dim);
    m_line->setPartText(2, size);
    m_line->setPartText(3, seam);
}

QVector<int> StatusBar::partEdges(int innerWidth, const QVector<int>& needs)
{
    const int q = innerWidth / 4;
    QVector<int> widths{q, q, q, innerWidth - 3 * q};
    auto need = [&needs](int part) { return part < needs.size() ? needs[part] : 0; };
    // The name last: it has its tooltip when cut, the short facts beside it have none.
    for (int short_ = 3; short_ >= 0; --short_) {
        for (int giver = 3; giver >= 0 && widths[short_] < need(short_); --giver) {
            if (giver == short_)
                continue;
            const int spare = widths[giver] - std::max(need(giver), 0);
            const int taken = std::min(spare, need(short_) - widths[short_]);
            if (taken > 0) {
                widths[giver] -= taken;
                widths[short_] += taken;
            }
        }
    }
    QVector<int> edges;
    int right = 0;
    for (int part = 0; part < 3; ++part)
        edges.append(right += widths[part]);
    edges.append(-1);
    return edges;
}
