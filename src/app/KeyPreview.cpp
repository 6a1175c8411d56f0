#include "app/KeyPreview.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include "app/CommandTable.h"

KeyPreview::KeyPreview(QWidget* window, std::function<void(Command)> run)
    : QObject(window), m_window(window), m_run(std::move(run))
{
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview()
{
    qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    // Only real key presses; ShortcutOverride and releases would run commands twice.
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != m_window)
        return false;

    // A key the receiver ignored travels up to each parent as the same event object.
    auto* key = static_cast<QKeyEvent*>(event);
    const bool travelling = event == m_lastEvent && key->timestamp() == m_lastTimestamp &&
                            key->key() == m_lastKey && m_lastReceiver && widget != m_lastReceiver &&
                            widget->isAncestorOf(m_lastReceiver);
    m_lastEvent = event;
    m_lastTimestamp = key->timestamp();
    m_lastKey = key->key();
    m_lastReceiver = widget;
    if (travelling)
        return false;

    if (const auto command = CommandTable::commandForKey(key->key(), key->modifiers()))
        m_run(*command);
    return false;
}
