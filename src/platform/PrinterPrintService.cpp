#include "platform/PrinterPrintService.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScopeGuard>
#include <QVariant>
#include <QWidget>

namespace {

bool fail(QString* why, const QString& text)
{
    if (why)
        *why = text;
    return false;
}

PrinterPrintService::Printers systemPrinters()
{
    return {QPrinterInfo::defaultPrinterName(), QPrinterInfo::availablePrinterNames()};
}

bool askInDialog(QPrinter& printer, QWidget* parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(PrinterPrintService::tr("Print the tiled view"));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

PrinterPrintService::PrinterPrintService(const QString& pdfFile, PrinterSource printers,
                                         PrinterChooser choose)
    : m_pdfFile(pdfFile), m_printers(printers ? std::move(printers) : systemPrinters),
      m_choose(choose ? std::move(choose) : askInDialog)
{
}

PrintService::Outcome PrinterPrintService::printWindow(QWidget* window, QString* why)
{
    if (!window) {
        fail(why, tr("there is nothing to print."));
        return Outcome::Failed;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(window->windowTitle());
    if (!m_pdfFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_pdfFile);
        return render(window, printer, why) ? Outcome::Printed : Outcome::Failed;
    }
    const Printers printers = m_printers();
    if (printers.names.isEmpty()) {
        fail(why, tr("no default printer is set. Choose one in the system's printer settings."));
        return Outcome::Failed;
    }
    if (!printers.defaultName.isEmpty()) {
        printer.setPrinterName(printers.defaultName);
    } else {
        printer.setPrinterName(printers.names.constFirst());
        if (!m_choose(printer, window))
            return Outcome::Cancelled;
    }
    // Without a print system Qt quietly falls back to a PDF printer with no file.
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty()) {
        fail(why, tr("the print system does not answer."));
        return Outcome::Failed;
    }
    return render(window, printer, why) ? Outcome::Printed : Outcome::Failed;
}

bool PrinterPrintService::render(QWidget* window, QPrinter& printer, QString* why)
{
    if (!printer.isValid())
        return fail(why, tr("the printer is not ready."));
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    QPainter painter;
    if (!painter.begin(&printer))
        return fail(why, tr("the printer could not be opened."));
    const double scale = printer.resolution() / ScreenDpi;
    painter.scale(scale, scale);
    window->setProperty(PrintingProperty, true);
    window->render(&painter, QPoint(), QRegion(),
                   QWidget::DrawWindowBackground | QWidget::DrawChildren);
    window->setProperty(PrintingProperty, QVariant());
    const bool ended = painter.end();
    if (!ended || printer.printerState() == QPrinter::Error ||
        printer.printerState() == QPrinter::Aborted)
        return fail(why, tr("the printer refused the job."));
    return true;
}
