#pragma once

#include <QObject>
#include <QRect>
#include <QTimer>

#include <functional>

class CursorSource;
class StatusBar;

// The usage hint shown while the pointer is over a list with nothing selected, taken
// away by a 100 ms tick once the pointer has left the list.
class HoverHint : public QObject
{
    Q_OBJECT
public:
    static constexpr int TickMs = 100;
    static QString text();

    // What the hint needs to know of the list, asked afresh at every start and tick.
    struct Probe
    {
        std::function<bool()> hasCurrentImage;
        std::function<int()> itemCount;
        std::function<QRect()> listRect; // pixels, in the main window's inner coordinates
        std::function<QPoint(const QPoint&)> mapFromGlobal;
    };

    HoverHint(StatusBar& bar, const CursorSource& cursor, Probe probe, QObject* parent);

    bool isShown() const { return m_shown; }
    bool isTicking() const { return m_timer.isActive(); }

    // The pointer moved over the list.
    void start();
    // A press on empty space showed the hint itself: the next movement arms the timer again.
    void reset() { m_shown = false; }
    // One tick of the timer, public so that tests can run it without waiting.
    void tick();

private:
    StatusBar& m_bar;
    const CursorSource& m_cursor;
    Probe m_probe;
    QTimer m_timer;
    bool m_shown = false;
};
