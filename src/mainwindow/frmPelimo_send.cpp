// The send panel: sending to the addressee list, clearing, replying, and picking addressees.
#include <QLineEdit>
#include <QPlainTextEdit>

#include "addressbook/frmAddressBook.h"
#include "errorreport/error_trap.h"
#include "mainwindow/addressee_list.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/frmSearchComputer.h"
#include "mainwindow/main_window_layout.h"
#include "mainwindow/panel_state.h"
#include "mainwindow/send_rules.h"
#include "seam/dialog_seam.h"
#include "stores/application.h"
#include "stores/contacts.h"
#include "stores/language_box.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "stores/settings.h"
#include "transport/mailslot_channel.h"
#include "transport/message_codec.h"
#include "ui/limited_text_box.h"

namespace {

constexpr qint32 kFlashDurationMs = 800;

}  // namespace

void frmPelimo::lblCmdSendNow_Click() {
    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("lblCmdSendNow_Click"));
    trap.step([] { gClearCurrentMessage(); });
    const QString text = txtSendMessage->text();
    const QString addresseeList = txtSendUserList->toPlainText();
    int refusal = 0;
    trap.step([&] { refusal = SendRules::refusal(text, addresseeList); });
    if (refusal != 0) {
        LanguageBox::show(refusal, MsgBoxButtons::Ok);
        return;
    }
    // The outgoing message is held here, not in the shared current message: a box shown below
    // runs an event loop in which the receive timer may decode a datagram into that one.
    qint16 kind = kKindPlain;
    QString attachmentPath;
    const QString sender = gComputerName;
    const QString typedAttachment = txtSendFiles->text();
    if (!typedAttachment.isEmpty()) {
        AttachmentConversion conversion{
            .path = {},
            .warning = gFctGetMessage(Msg::AttachmentNotReachable) + u'\n' + typedAttachment};
        trap.step([&] { conversion = SendRules::convertAttachment(typedAttachment); });
        if (conversion.path.isEmpty()) {
            // Nothing goes: the addressee could not fetch the file.
            DialogSeam::messageBox(conversion.warning, MsgBoxButtons::Ok, MsgBoxIcon::Exclamation,
                                   QString::fromLatin1(kApplicationName));
            trap.step([] { gClearCurrentMessage(); });
            return;
        }
        kind = kKindAttachment;
        attachmentPath = conversion.path;
    }
    QString payload;
    trap.step([&] { payload = MessageCodec::payload(kind, attachmentPath, text); });
    trap.step([this, &addresseeList] { mSendMessageGetMultiUserComputerName(addresseeList); });
    for (qint32 i = 1; i <= mNbComputerName; ++i) {
        // One datagram per addressee; a failure for one does not stop the others.
        trap.step([this, i, &sender, &payload] {
            SendToPelimo(sender, mComputerNames.value(i - 1), payload);
        });
    }
    // The current message ends as a send leaves it: the payload kept, the rest emptied.
    trap.step([&] {
        DecodedMessage.Kind = kind;
        DecodedMessage.Text = payload;
        gClearCurrentMessage();
    });
    trap.step([this] { emptySendPanel(); });
    trap.step([] { gDisplayFlashMessage(gFctGetMessage(Msg::MessageSent), kFlashDurationMs); });
    trap.step([this] {
        if (Settings.MinimizedWindows == 1)
            setWindowState(windowState() | Qt::WindowMinimized);
    });
}

void frmPelimo::mSendMessageGetMultiUserComputerName(const QString& ListMultiUser) {
    Addressees::resolve(ListMultiUser, mNbComputerName, mComputerNames);
}

void frmPelimo::emptySendPanel() {
    txtSendUserList->clear();
    txtSendMessage->clear();
    setSendMessageHeight(MainWindowLayout::SendPanel::kMessageHeight);
    txtSendFiles->clear();
}

void frmPelimo::lblCmdSendDel_Click() {
    if (LanguageBox::show(Msg::ConfirmClear, MsgBoxButtons::OkCancel) == MsgBoxResult::Ok)
        emptySendPanel();
}

void frmPelimo::lblLabReceiveAnswer_Click() {
    // The message shown in the read panel is answered, also after a send or an identification
    // datagram emptied the current one.
    const QString sender = ShownMessage.Sender;
    if (sender.isEmpty())
        return;
    if (!txtSendMessage->toPlainText().isEmpty() || !txtSendUserList->toPlainText().isEmpty()) {
        if (LanguageBox::show(Msg::ConfirmClear, MsgBoxButtons::YesNo) == MsgBoxResult::No)
            return;
    }
    txtSendUserList->setPlainText(sender);
    setSendMessageHeight(MainWindowLayout::SendPanel::kMessageHeightForReply);
    txtSendFiles->clear();
    txtSendMessage->clear();
    gCurrentPanel = kPanelSend;
    mDisplayWindows();
    // The answer is typed next: the caret waits in the message box, at its end.
    txtSendMessage->setFocus();
    txtSendMessage->moveCursor(QTextCursor::End);
}

void frmPelimo::mAddUserToSendUserList(qint16 Index) {
    if (Index == 0) {
        LanguageBox::show(Msg::NoContactPicked, MsgBoxButtons::Ok, MsgBoxIcon::Exclamation);
        return;
    }
    try {
        const QString name = ContactList[Index].UserName;
        txtSendUserList->setPlainText(Addressees::append(txtSendUserList->toPlainText(), name));
    } catch (...) {
        // A position outside the table adds nothing.
    }
}

void frmPelimo::lblCmdSendSelectUser_Click() {
    const qint16 picked = AddressBookWindow::pickContact(this);
    if (picked != 0)
        mAddUserToSendUserList(picked);
}
