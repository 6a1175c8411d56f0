#pragma once

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QEvent;

// Keeps the windows answering the window system during a long piece of work that takes no
// input: serve() repaints and handles expose, resize and the desktop's pings, while key,
// mouse and other user input waits, queued in order, until the object is gone. Input posted
// inside the program is held here as well and posted again at the end.
class ResponsiveWait : public QObject
{
    Q_OBJECT
public:
    ResponsiveWait();
    ~ResponsiveWait() override;

    void serve();
    static bool isUserInput(const QEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Held
    {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    std::vector<Held> m_held;
};
