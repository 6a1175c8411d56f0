#include "listing/ListingGate.h"

#include <QMetaObject>

#include <utility>

bool ListingGate::deferred(std::function<void()> request)
{
    // The queued request itself, called from runNext().
    if (std::exchange(m_admitNext, false))
        return false;
    if (m_depth == 0 && m_waiting.empty())
        return false;
    m_waiting.push_back(std::move(request));
    scheduleNext();
    return true;
}

ListingGate::Hold::Hold(ListingGate& gate) : m_gate(gate)
{
    ++m_gate.m_depth;
}

ListingGate::Hold::~Hold()
{
    if (--m_gate.m_depth == 0)
        m_gate.scheduleNext();
}

void ListingGate::scheduleNext()
{
    if (m_depth > 0 || m_waiting.empty() || m_scheduled)
        return;
    m_scheduled = true;
    // Queued, so the waiting request runs as an event handler of its own, after the one
    // that ended the listing has returned.
    QMetaObject::invokeMethod(this, &ListingGate::runNext, Qt::QueuedConnection);
}

void ListingGate::runNext()
{
    m_scheduled = false;
    if (m_depth > 0 || m_waiting.empty())
        return;
    std::function<void()> request = std::move(m_waiting.front());
    m_waiting.pop_front();
    m_admitNext = true;
    request();
    m_admitNext = false;
    scheduleNext();
}
