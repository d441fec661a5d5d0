// One print job: the printer dialog through the dialog seam, then a layout on the chosen printer
// (any printer of the desktop, or a PDF file).
#pragma once

#include <QPrinter>
#include <functional>

class PrintSurface;
class QWidget;

// Called on each new printer before its dialog is shown (tests choose a PDF file here).
using PrinterPreparation = std::function<void(QPrinter&)>;
namespace PrintJob {

void setPrinterPreparation(PrinterPreparation preparation);

// Shows the printer dialog; when it is accepted, prints `layout` on the chosen printer and returns
// true. Cancelling prints nothing and returns false. A missing printer, a page or a job that
// fails raise run-time error 482 with a text that names what failed.
bool printThroughDialog(QWidget* parent, const std::function<void(PrintSurface&)>& layout);

}  // namespace PrintJob
