#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

#include "app/Command.h"

class QWidget;

// Sees every key pressed in the main window or one of its children before the focused
// widget does, runs at most one command for it, and lets the key go on. Keys aimed at
// other windows (dialogs, the toolbox, the tiled view) are not its business.
class KeyPreview : public QObject
{
    Q_OBJECT
public:
    KeyPreview(QWidget* window, std::function<void(Command)> run);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    std::function<void(Command)> m_run;
    // The last key press seen and where, so that its trip up the parent chain runs
    // nothing again.
    const QEvent* m_lastEvent = nullptr;
    quint64 m_lastTimestamp = 0;
    int m_lastKey = 0;
    QPointer<QWidget> m_lastReceiver;
};
