#pragma once

#include <QString>

class QWidget;

// Prints a window's inner area, at the size it has on screen.
class PrintService
{
public:
    virtual ~PrintService() = default;

    // True when the page went to the printer; otherwise *why says what went wrong.
    virtual bool printWindow(QWidget* window, QString* why) = 0;
};
