#include "mainwindow/print_job.h"

#include "errorreport/runtime_error.h"
#include "mainwindow/print_surface.h"
#include "ui/modal_dialogs.h"

namespace {

PrinterPreparation& preparation() {
    static PrinterPreparation prepare;
    return prepare;
}

QString printerDescription(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return printer.outputFileName();
    return printer.printerName();
}

}  // namespace

void PrintJob::setPrinterPreparation(PrinterPreparation prepare) {
    preparation() = std::move(prepare);
}

bool PrintJob::printThroughDialog(QWidget* parent,
                                  const std::function<void(PrintSurface&)>& layout) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setCopyCount(1);
    if (preparation())
        preparation()(printer);
    if (!DialogSeam::execPrintDialog(&printer, parent))
        return false;
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty()) {
        RunTimeError::raise(RunTimeErrorNumber::PrinterError,
                            QStringLiteral("Printer error: no printer is available and no file was "
                                           "chosen to print into."));
    }
    if (printer.outputFormat() == QPrinter::NativeFormat && printer.printerName().isEmpty())
        RunTimeError::raise(RunTimeErrorNumber::PrinterError,
                            QStringLiteral("Printer error: no printer is available."));
    {
        PrintSurface surface(printer, printerDescription(printer));
        try {
            layout(surface);
        } catch (...) {
            printer.abort();
            throw;
        }
    }
    if (printer.printerState() == QPrinter::Error) {
        RunTimeError::raise(RunTimeErrorNumber::PrinterError,
                            QStringLiteral("Printer error: the job was refused by \"%1\".")
                                .arg(printerDescription(printer)));
    }
    return true;
}
