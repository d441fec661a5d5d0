// The address book's "Reachable?" command: opens the diagnosis of the selected contact's computer.
// It stands in the gap of the command row between Delete and Quit.
#include "addressbook/frmAddressBook.h"
#include "diagnosis/frmDiagnosis.h"
#include "seam/dialog_seam.h"
#include "stores/contacts.h"
#include "stores/language_file.h"
#include "ui/label_button.h"
#include "ui/window_parts.h"

namespace {

constexpr int kCommandText = 264;
constexpr int kSelectContactText = 74;
constexpr int kBoxTitle = 56;

}  // namespace

void frmAddressBook::mAddDiagnosisCommand() {
    lblCmdDiagnose = gCommandLabel(this, "lblCmdDiagnose", 5820, 450, 990, 570);
    lblCmdDiagnose->setFocusPolicy(lblCmdQuit->focusPolicy());
    lblCmdDiagnose->setText(gFctGetMessage(kCommandText));
    lblCmdDiagnose->raise();
    connect(lblCmdDiagnose, &LabelButton::clicked, this, &frmAddressBook::lblCmdDiagnose_Click);
}

void frmAddressBook::lblCmdDiagnose_Click() {
    if (isDetecting())
        return;
    if (mSelectedUser == 0) {
        DialogSeam::messageBox(gFctGetMessage(kSelectContactText), MsgBoxButtons::Ok,
                               MsgBoxIcon::Information, gFctGetMessage(kBoxTitle));
        return;
    }
    gShowDiagnosis(this, ContactList[mSelectedUser].UserComputerName);
}
