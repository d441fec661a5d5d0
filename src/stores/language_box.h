// The message box of a language message: its text in a box titled with the program's name
// (message 56), through the dialog seam.
#pragma once

#include <QString>

#include "seam/dialog_seam.h"
#include "stores/language_messages.h"

namespace LanguageBox {

// Shows language message `message`, followed on a line of its own by `detail` when one is
// given, and returns the button pressed.
MsgBoxResult show(int message, MsgBoxButtons buttons = MsgBoxButtons::Ok,
                  MsgBoxIcon icon = MsgBoxIcon::None, const QString& detail = {});

// Shows a text that is no language message (a reason from the system, a path) in the same box.
MsgBoxResult showText(const QString& text, MsgBoxButtons buttons = MsgBoxButtons::Ok,
                      MsgBoxIcon icon = MsgBoxIcon::None);

}  // namespace LanguageBox
