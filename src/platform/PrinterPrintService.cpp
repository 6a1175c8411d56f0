#include "platform/PrinterPrintService.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QVariant>
#include <QWidget>

namespace {

bool fail(QString* why, const QString& text)
{
    if (why)
        *why = text;
    return false;
}

} // namespace

PrinterPrintService::PrinterPrintService(const QString& pdfFile) : m_pdfFile(pdfFile) {}

bool PrinterPrintService::printWindow(QWidget* window, QString* why)
{
    if (!window)
        return fail(why, QStringLiteral("nothing to print"));
    QPrinter printer(QPrinter::HighResolution);
    if (m_pdfFile.isEmpty()) {
        const QPrinterInfo chosen = QPrinterInfo::defaultPrinter();
        if (chosen.isNull() || chosen.printerName().isEmpty())
            return fail(why, QStringLiteral("there is no default printer"));
        printer.setPrinterName(chosen.printerName());
        // Without a print system Qt quietly falls back to a PDF printer with no file.
        if (printer.outputFormat() != QPrinter::NativeFormat)
            return fail(why, QStringLiteral("there is no print system"));
    } else {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_pdfFile);
    }
    printer.setDocName(window->windowTitle());
    return render(window, printer, why);
}

bool PrinterPrintService::render(QWidget* window, QPrinter& printer, QString* why)
{
    if (!printer.isValid())
        return fail(why, QStringLiteral("the printer is not valid"));
    QPainter painter;
    if (!painter.begin(&printer))
        return fail(why, QStringLiteral("the printer could not be opened"));
    const double scale = printer.resolution() / ScreenDpi;
    painter.scale(scale, scale);
    window->setProperty(PrintingProperty, true);
    window->render(&painter, QPoint(), QRegion(),
                   QWidget::DrawWindowBackground | QWidget::DrawChildren);
    window->setProperty(PrintingProperty, QVariant());
    const bool ended = painter.end();
    if (!ended || printer.printerState() == QPrinter::Error ||
        printer.printerState() == QPrinter::Aborted)
        return fail(why, QStringLiteral("the printer refused the job"));
    return true;
}
