// Keyboard glue shared by the windows. Escape in a secondary window presses its Quit or Cancel
// command, so it closes exactly as that command closes it; a short entry box moves on with Tab
// and Enter instead of taking them as text.
#pragma once

class QDialog;
class QPlainTextEdit;

// Lets Escape press the first visible Quit or Cancel command of `window` (known by the window's
// name); a window without one is rejected. Every modal window gets it from the dialog seam.
void gInstallCancelKey(QDialog* window);

// Tab and Shift+Tab leave `box` for the next or previous control; Enter moves to the next one
// instead of breaking the line.
void gMakeEntryBox(QPlainTextEdit* box);
