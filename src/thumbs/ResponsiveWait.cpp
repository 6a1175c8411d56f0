#include "thumbs/ResponsiveWait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>

ResponsiveWait::ResponsiveWait()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

ResponsiveWait::~ResponsiveWait()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
    for (Held& held : m_held)
        if (held.receiver)
            QCoreApplication::postEvent(held.receiver, held.event.release());
}

void ResponsiveWait::serve()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool ResponsiveWait::isUserInput(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

bool ResponsiveWait::eventFilter(QObject* watched, QEvent* event)
{
    if (!isUserInput(event))
        return false;
    m_held.push_back({QPointer<QObject>(watched), std::unique_ptr<QEvent>(event->clone())});
    return true;
}
