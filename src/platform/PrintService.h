#pragma once

#include <QString>

class QWidget;

// Prints a window's inner area, at the size it has on screen.
class PrintService
{
public:
    enum class Outcome
    {
        Printed,
        Cancelled, // the user closed the print dialog
        Failed
    };

    virtual ~PrintService() = default;

    // On failure *why says what went wrong, in words for the user ("no default printer is
    // set. Choose one in the system's printer settings.").
    virtual Outcome printWindow(QWidget* window, QString* why) = 0;
};
