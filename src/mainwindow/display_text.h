// Texts that came from the network or from files, made safe to show: nothing in them is taken as
// markup, and control characters cannot disturb a line.
#pragma once

#include <QString>

namespace DisplayText {

// For one-line captions: line breaks and tabs become blanks, other control characters the
// replacement character.
QString singleLine(const QString& text);

// For the message box: CR LF, CR and LF become line breaks, tabs stay, other control characters
// become the replacement character.
QString multiLine(const QString& text);

}  // namespace DisplayText
