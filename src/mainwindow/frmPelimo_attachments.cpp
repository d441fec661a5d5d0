// The attachment of the send panel (choosing the file, the row under the message box) and saving
// the attached file of the message shown on the read panel.
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>

#include "attachments/attachment_save_target.h"
#include "attachments/file_name_from_path.h"
#include "attachments/network_copy.h"
#include "errorreport/error_trap.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/main_window_layout.h"
#include "platform/network_path.h"
#include "seam/dialog_seam.h"
#include "stores/application.h"
#include "stores/decoded_message.h"
#include "stores/file_operations.h"
#include "stores/language_box.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "ui/label_button.h"

namespace {

QString allFilesFilter() {
    return gFctGetMessage(Msg::AllFiles) + QStringLiteral("|*.*");
}

void sayCopyFailed(CopyFailure failure) {
    DialogSeam::messageBox(
        gFctGetMessage(Msg::CopyFailed) + u'\n' + gFctGetMessage(CopyFailures::message(failure)),
        MsgBoxButtons::Ok, MsgBoxIcon::Information, gFctGetMessage(Msg::Information));
}

// Asks where to save the attached file `name` until the user picks a place outside the program's
// folders and agrees to replace what is there; empty when the user cancels.
QString chooseDestination(const QString& name) {
    QString proposed = AttachmentSaveTarget::folder() + name;
    for (;;) {
        QString chosen = DialogSeam::saveFileName(gFctGetMessage(Msg::SaveAttachmentTitle),
                                                  proposed, allFilesFilter());
        if (chosen.isEmpty())
            return {};
        // A folder receives the file under the name proposed, never under a name from the network.
        if (QFileInfo(chosen).isDir())
            chosen = QDir(chosen).filePath(name);
        proposed = chosen;
        if (AttachmentSaveTarget::isInProgramFolders(chosen)) {
            LanguageBox::show(Msg::ProgramFolderRefused, MsgBoxButtons::Ok,
                              MsgBoxIcon::Exclamation);
            proposed = AttachmentSaveTarget::folder() + name;
            continue;
        }
        const QFileInfo existing(chosen);
        if ((existing.exists() || existing.isSymLink()) &&
            LanguageBox::show(Msg::ReplaceFile, MsgBoxButtons::YesNo, MsgBoxIcon::Question) !=
                MsgBoxResult::Yes) {
            continue;
        }
        return chosen;
    }
}

// Calls `handler` when the watched widget loses the keyboard focus.
class FocusLossWatcher final : public QObject {
public:
    FocusLossWatcher(QObject* parent, std::function<void()> handler)
        : QObject(parent), handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusOut)
            handler_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> handler_;
};

// A copy runs while the window keeps handling events: a second click waits for it to end.
bool gSaving = false;

}  // namespace

void frmPelimo::connectAttachmentHandlers() {
    NetworkCopy::install();
    connect(lblCmdSendJoin, &LabelButton::clicked, this, &frmPelimo::lblCmdSendJoin_Click);
    connect(lblLabReceiveSaveFile, &LabelButton::clicked, this,
            &frmPelimo::lblLabReceiveSaveFile_Click);
    txtSendFiles->installEventFilter(
        new FocusLossWatcher(txtSendFiles, [this] { txtSendFiles_LostFocus(); }));
}

void frmPelimo::lblCmdSendJoin_Click() {
    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("lblCmdSendJoin_Click"));
    QString chosen;
    trap.step([&chosen] {
        chosen = DialogSeam::openFileName(gFctGetMessage(Msg::ChooseAttachment), gApplicationFolder,
                                          allFilesFilter());
    });
    trap.step([this] {
        if (txtSendFiles->text().isEmpty())
            setSendMessageHeight(MainWindowLayout::SendPanel::kMessageHeight);
    });
    if (chosen.isEmpty())
        return;
    trap.step([this, &chosen] {
        setSendMessageHeight(MainWindowLayout::SendPanel::kMessageHeightWithAttachment);
        txtSendFiles->setText(chosen);
    });
}

void frmPelimo::txtSendFiles_LostFocus() {
    if (txtSendFiles->text().isEmpty())
        setSendMessageHeight(MainWindowLayout::SendPanel::kMessageHeight);
}

void frmPelimo::lblLabReceiveSaveFile_Click() {
    if (gSaving)
        return;
    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("lblLabReceiveSaveFile_Click"));
    // Messages may arrive during the copy: the path of the one shown now is kept.
    const QString attachment = ShownMessage.AttachmentPath;
    auto sayNoFile = [] {
        LanguageBox::show(Msg::NoAttachedFile, MsgBoxButtons::Ok, MsgBoxIcon::Information);
    };
    if (attachment.isEmpty()) {
        sayNoFile();
        return;
    }
    QString name;
    trap.step([&] {
        name = AttachmentSaveTarget::safeFileName(gFctGetFileNameFromPathFileName(attachment));
    });
    if (name.isEmpty()) {
        sayNoFile();
        return;
    }
    // Only a path into a share is ever read; anything else is refused before a dialog opens.
    if (!pelimo::platform::parseNetworkPath(attachment)) {
        sayCopyFailed(CopyFailure::InvalidPath);
        return;
    }
    QString chosen;
    trap.step([&] { chosen = chooseDestination(name); });
    if (chosen.isEmpty())
        return;
    qint16 copied = -1;
    gSaving = true;
    trap.step([&] { copied = ShFileCopy(attachment, chosen); });
    gSaving = false;
    // A copy stopped by the shutdown needs no message: the program is ending.
    if (copied == -1 && !unloaded_)
        sayCopyFailed(NetworkCopy::lastFailure());
}
