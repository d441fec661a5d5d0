// The window layer's side of the dialog seam: modal windows, print dialogs and the real
// message boxes and file dialogs.
#pragma once

#include "seam/dialog_seam.h"

class QDialog;
class QPrinter;
class QWidget;

namespace DialogSeam {

// Shows a window modally and returns its result; it opens with the focus in its first box and
// Escape presses its Quit or Cancel command (gInstallWindowKeys). In scripted mode the window is
// shown without blocking, the scripted answer acts on it, and it is closed.
int execModal(QDialog* window);

// The print dialog for `printer`; true when the user chose to print.
bool execPrintDialog(QPrinter* printer, QWidget* parent);

// Makes message boxes and file dialogs real Qt dialogs.
void installWidgetBackend();

}  // namespace DialogSeam
