#pragma once

#include <QObject>

#include <deque>
#include <functional>

// Lets one listing run at a time. A listing builds thumbnails, and while it does the window
// keeps answering the desktop, so the tree's reports, timers and queued calls still arrive:
// a listing asked for meanwhile waits, and runs after the current one ends, in order.
class ListingGate : public QObject
{
    Q_OBJECT
public:
    explicit ListingGate(QObject* parent = nullptr) : QObject(parent) {}

    // True when the request was queued for later: the caller returns at once. The request
    // calls the same function again, which then goes ahead.
    bool deferred(std::function<void()> request);
    bool isBusy() const { return m_depth > 0; }
    int waiting() const { return int(m_waiting.size()); }

    // Marks a listing as running for as long as it lives.
    class Hold
    {
    public:
        explicit Hold(ListingGate& gate);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        ListingGate& m_gate;
    };

private:
    void scheduleNext();
    void runNext();

    int m_depth = 0;
    bool m_admitNext = false;
    bool m_scheduled = false;
    std::deque<std::function<void()>> m_waiting;
};
