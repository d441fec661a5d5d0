// Keyboard glue shared by the windows. A secondary window opens with the focus in its first box
// (not on a command, which Enter would press), and Escape presses its Quit or Cancel command, so
// it closes exactly as that command closes it; a short entry box moves on with Tab and Enter
// instead of taking them as text.
#pragma once

class QDialog;
class QPlainTextEdit;

namespace WindowKeys {

// Gives `window` its first focus (unless it chose one itself) and lets Escape press its first
// visible Quit or Cancel command (known by the window's name); a window without one is rejected.
// Every modal window gets it from the dialog seam.
void install(QDialog* window);

// Tab and Shift+Tab leave `box` for the next or previous control; Enter moves to the next one
// instead of breaking the line.
void makeEntryBox(QPlainTextEdit* box);

}  // namespace WindowKeys
