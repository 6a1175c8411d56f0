#pragma once

#include "platform/PrintService.h"

class QPrinter;

// QPrinter on the system's default printer, or on a PDF file when one is named.
class PrinterPrintService : public PrintService
{
public:
    // Widgets are laid out in logical pixels of 1/96 inch.
    static constexpr double ScreenDpi = 96.0;
    // True on the window while it renders for the page: a window that shows something at its
    // size in the world draws it for an inch of ScreenDpi pixels then, not the screen's inch.
    static constexpr char PrintingProperty[] = "printing";

    explicit PrinterPrintService(const QString& pdfFile = QString());

    bool printWindow(QWidget* window, QString* why) override;

    // Renders the window onto an open printer, scaled from screen pixels to printer dots.
    static bool render(QWidget* window, QPrinter& printer, QString* why);

private:
    QString m_pdfFile;
};
