#pragma once

#include <QCoreApplication>
#include <QStringList>

#include <functional>

#include "platform/PrintService.h"

class QPrinter;

// QPrinter on the system's default printer at once; where printers exist but none is the
// default, the standard print dialog asks which. On a PDF file instead when one is named.
class PrinterPrintService : public PrintService
{
    Q_DECLARE_TR_FUNCTIONS(PrinterPrintService)
public:
    // Widgets are laid out in logical pixels of 1/96 inch.
    static constexpr double ScreenDpi = 96.0;
    // True on the window while it renders for the page: a window that shows something at its
    // size in the world draws it for an inch of ScreenDpi pixels then, not the screen's inch.
    static constexpr char PrintingProperty[] = "printing";

    struct Printers
    {
        QString defaultName; // empty: none is the default
        QStringList names;
    };
    // What the print system offers, and the dialog that lets the user pick a printer (true:
    // print on the printer it leaves set).
    using PrinterSource = std::function<Printers()>;
    using PrinterChooser = std::function<bool(QPrinter& printer, QWidget* parent)>;

    explicit PrinterPrintService(const QString& pdfFile = QString(), PrinterSource printers = {},
                                 PrinterChooser choose = {});

    Outcome printWindow(QWidget* window, QString* why) override;

    // Renders the window onto an open printer, scaled from screen pixels to printer dots.
    static bool render(QWidget* window, QPrinter& printer, QString* why);

private:
    QString m_pdfFile;
    PrinterSource m_printers;
    PrinterChooser m_choose;
};
