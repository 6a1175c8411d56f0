#pragma once

#include <QString>

class QWidget;

// Every message box of the program goes through here, so that tests can read and answer them.
class MessageBoxes
{
public:
    enum class Icon
    {
        None,
        Information,
        Warning,
        Error
    };

    virtual ~MessageBoxes() = default;

    // A modal box with an OK button; returns when the user has closed it.
    virtual void show(QWidget* parent, const QString& title, const QString& text, Icon icon) = 0;
};
