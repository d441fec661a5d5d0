// The attachment of the send panel (choosing the file, the row under the message box) and saving
// the attached file of the message shown on the read panel.
#include <QEvent>
#include <QLineEdit>

#include "attachments/file_name_from_path.h"
#include "attachments/network_copy.h"
#include "errorreport/error_trap.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/main_window_texts.h"
#include "stores/application.h"
#include "stores/file_operations.h"
#include "stores/language_file.h"
#include "transport/decoded_message.h"
#include "ui/dialog_seam.h"
#include "ui/label_button.h"

namespace {

constexpr int kMessageHeightWithoutAttachment = 3420;
constexpr int kMessageHeightWithAttachment = 3075;
constexpr int kChooseTitle = 31;
constexpr int kFilesFilter = 43;
constexpr int kNoAttachedFile = 83;
constexpr char kSaveTitle[] = "Enregistrer votre fichier";
constexpr char kCopyFailedTitle[] = "Information";
constexpr char kCopyFailedText[] =
    "Error during copy. Please make sure the sender hard disk is share and there isn't password.";

QString allFilesFilter() {
    return gFctGetMessage(kFilesFilter) + QStringLiteral("|*.*");
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
    gInstallNetworkFileCopy();
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
        chosen = DialogSeam::openFileName(gFctGetMessage(kChooseTitle), gApplicationFolder,
                                          allFilesFilter());
    });
    trap.step([this] {
        if (txtSendFiles->text().isEmpty())
            setSendMessageHeight(kMessageHeightWithoutAttachment);
    });
    if (chosen.isEmpty())
        return;
    trap.step([this, &chosen] {
        setSendMessageHeight(kMessageHeightWithAttachment);
        txtSendFiles->setText(chosen);
    });
}

void frmPelimo::txtSendFiles_LostFocus() {
    if (txtSendFiles->text().isEmpty())
        setSendMessageHeight(kMessageHeightWithoutAttachment);
}

void frmPelimo::lblLabReceiveSaveFile_Click() {
    if (gSaving)
        return;
    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("lblLabReceiveSaveFile_Click"));
    // Messages may arrive during the copy: the path of the one shown now is kept.
    const QString attachment = gShownMessage.AttachmentPath;
    auto sayNoFile = [] {
        DialogSeam::messageBox(gFctGetMessage(kNoAttachedFile), MsgBoxButtons::Ok,
                               MsgBoxIcon::Information, gFctGetMessage(MainWindowText::BoxTitle));
    };
    if (attachment.isEmpty()) {
        sayNoFile();
        return;
    }
    QString name;
    trap.step([&] { name = gFctGetFileNameFromPathFileName(attachment); });
    if (name.isEmpty()) {
        sayNoFile();
        return;
    }
    QString chosen;
    trap.step([&] {
        chosen = DialogSeam::saveFileName(QString::fromLatin1(kSaveTitle),
                                          gApplicationFolder + name, allFilesFilter());
    });
    if (chosen.isEmpty())
        return;
    qint16 copied = -1;
    gSaving = true;
    trap.step([&] { copied = ShFileCopy(attachment, chosen); });
    gSaving = false;
    if (copied == -1) {
        DialogSeam::messageBox(QString::fromLatin1(kCopyFailedText), MsgBoxButtons::Ok,
                               MsgBoxIcon::Information, QString::fromLatin1(kCopyFailedTitle));
    }
}
