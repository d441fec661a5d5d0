// The standard buttons of the program's dialogs (Cancel, Yes, No) in the words of the language
// file; a language file without them, and OK, keep the toolkit's own words.
#pragma once

#include <QDialogButtonBox>
#include <QString>

class QMessageBox;
class QProgressDialog;

namespace ButtonText {
inline constexpr int Cancel = 216;
inline constexpr int Yes = 217;
inline constexpr int No = 218;

// The language's text for `button`; empty when the language file has none.
QString text(QDialogButtonBox::StandardButton button);

void apply(QDialogButtonBox* buttons);
void apply(QMessageBox* box);
void apply(QProgressDialog* dialog);

}  // namespace ButtonText
