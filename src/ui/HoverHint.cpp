#include "ui/HoverHint.h"

#include "platform/CursorSource.h"
#include "ui/StatusBar.h"

QString HoverHint::text()
{
    return tr("Click an item to preview it or Double click it to show the tiled image");
}

HoverHint::HoverHint(StatusBar& bar, const CursorSource& cursor, Probe probe, QObject* parent)
    : QObject(parent), m_bar(bar), m_cursor(cursor), m_probe(std::move(probe))
{
    m_timer.setInterval(TickMs);
    connect(&m_timer, &QTimer::timeout, this, &HoverHint::tick);
}

void HoverHint::start()
{
    if (m_shown || m_probe.hasCurrentImage() || m_probe.itemCount() < 1)
        return;
    m_shown = true;
    m_bar.showSimple(text());
    m_timer.start();
}

void HoverHint::tick()
{
    if (m_probe.hasCurrentImage() && m_probe.itemCount() >= 1)
        return;
    const QRect list = m_probe.listRect();
    const QPoint p = m_probe.mapFromGlobal(m_cursor.globalPosition());
    // An edge counts as inside, so the far edges are left + width and top + height.
    const bool outside = p.x() < list.left() || p.x() > list.left() + list.width() ||
                         p.y() < list.top() || p.y() > list.top() + list.height();
    if (!outside)
        return;
    m_shown = false;
    m_timer.stop();
    m_bar.showSimple(QString());
}
