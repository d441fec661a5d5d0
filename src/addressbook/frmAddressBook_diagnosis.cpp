// The address book's "Reachable?" command: opens the diagnosis of the selected contact's computer.
// It stands in the gap of the command row between Delete and Quit.
#include "addressbook/frmAddressBook.h"
#include "diagnosis/diagnosis_dialog.h"
#include "seam/dialog_seam.h"
#include "stores/contacts.h"
#include "stores/language_box.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "ui/label_button.h"
#include "ui/window_parts.h"

namespace {}  // namespace

void frmAddressBook::addDiagnosisCommand() {
    lblCmdDiagnose = WindowParts::commandLabel(this, "lblCmdDiagnose", 5820, 450, 990, 570);
    lblCmdDiagnose->setFocusPolicy(lblCmdQuit->focusPolicy());
    lblCmdDiagnose->setText(gFctGetMessage(Msg::ReachableCommand));
    lblCmdDiagnose->raise();
    connect(lblCmdDiagnose, &LabelButton::clicked, this, &frmAddressBook::diagnoseSelectedContact);
}

void frmAddressBook::diagnoseSelectedContact() {
    if (isDetecting())
        return;
    if (mSelectedUser == 0) {
        LanguageBox::show(Msg::NoContactSelected, MsgBoxButtons::Ok, MsgBoxIcon::Information);
        return;
    }
    DiagnosisDialog::open(this, ContactList[mSelectedUser].UserComputerName);
}
