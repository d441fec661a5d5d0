// The receive loop: one datagram per tick of the receive timer, shown in the read panel and kept
// in the history; identification datagrams mark their sender present.
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTimer>

#include "errorreport/error_trap.h"
#include "mainwindow/artwork.h"
#include "mainwindow/display_text.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/main_window_texts.h"
#include "mainwindow/message_dates.h"
#include "mainwindow/panel_state.h"
#include "mainwindow/presence.h"
#include "sound/wave_player.h"
#include "stores/contacts.h"
#include "stores/data_file_search.h"
#include "stores/history_file.h"
#include "stores/language_file.h"
#include "stores/settings.h"
#include "transport/mailslot_channel.h"
#include "transport/message_codec.h"
#include "ui/label_button.h"

namespace {

constexpr int kReceiveMessageHeight = 3405;
constexpr int kReceiveMessageHeightWithFile = 3090;

}  // namespace

void frmPelimo::TimerMailSlot_Timer() {
    // A report window opened by this tick runs its own event loop, in which the timer fires
    // again: the next datagram waits until this one has been handled.
    if (receiving_ || unloaded_)
        return;
    const QScopedValueRollback<bool> busy(receiving_, true);

    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("TimerMailSlot_Timer"));
    qint32 scan = 0;
    trap.step([&scan] { scan = gFctScanMailSlot(); });
    if (scan < 1)
        return;

    const qint32 newest = gStructureMailslotControl.MessageCount;
    // The decoder fills only the fields of the kind it reads: start from an empty message so an
    // attachment path of the previous message never sticks to a plain one.
    trap.step([] { gClearCurrentMessage(); });
    trap.step(
        [newest] { DecodedMessage.Sender = gStructureMailslotControl.SenderList.value(newest); });
    trap.step([newest] {
        DecodedMessage.Addressee = gStructureMailslotControl.AddresseeList.value(newest);
    });
    trap.step([newest] { gDecodeMessage(gStructureMailslotControl.TextList.value(newest)); });

    switch (DecodedMessage.Kind) {
        case kKindPlain:
        case kKindAttachment: {
            trap.step([this] { TimerTestRead->stop(); });
            trap.step([] {
                const QDateTime now = QDateTime::currentDateTime();
                DecodedMessage.ReceivedDate = gArrivalDateText(now.date());
                DecodedMessage.ReceivedTime = gArrivalTimeText(now.time());
            });
            trap.step([this] { mDisplayMessage(); });
            trap.step([this] {
                gCurrentPanel = kPanelRead;
                mDisplayWindows();
            });
            trap.step([this] {
                if (Settings.OpenWindows == 1)
                    mOpenWindowsTray();
            });
            trap.step([this] { mAddMessageToHistoric(); });
            trap.step([this] { TimerTestRead->start(); });
            break;
        }
        case kKindIdentificationRequest:
        case kKindIdentificationAnswer: {
            const bool request = DecodedMessage.Kind == kKindIdentificationRequest;
            trap.step([] { gRecordPresence(DecodedMessage.Sender); });
            trap.step([request] {
                if (request)
                    gSendIdentificationAnswer(DecodedMessage.Sender);
            });
            trap.step([] { gClearCurrentMessage(); });
            break;
        }
        default:
            break;
    }
}

void frmPelimo::mDisplayMessage() {
    const qint16 index = gSearchContactWithComputerName(DecodedMessage.Sender);
    const QString blank = QStringLiteral(" ");
    if (index != 0) {
        const Contact& contact = ContactList[index];
        lblLabReceiveFrom->setText(gSingleLineText(gFctGetMessage(MainWindowText::ReceivedFrom) +
                                                   blank + contact.UserName));
        QPixmap photo;
        if (!contact.UserPicturePath.isEmpty())
            photo.load(
                gFctFindDataFile(contact.UserPicturePath, QString::fromLatin1(kPictureFolderName)));
        if (photo.isNull()) {
            showDefaultPhoto();
        } else {
            picReceivePhoto->setPixmap(photo.scaled(picReceivePhoto->size(), Qt::KeepAspectRatio,
                                                    Qt::SmoothTransformation));
        }
        if (!contact.UserSoundPath.isEmpty() && Settings.PlaySound == 1) {
            const QString found =
                gFctFindDataFile(contact.UserSoundPath, QString::fromLatin1(kSoundFolderName));
            gFctPlayWave(found.isEmpty() ? contact.UserSoundPath : found);
        }
    } else {
        lblLabReceiveFrom->setText(gSingleLineText(gFctGetMessage(MainWindowText::ReceivedFrom) +
                                                   blank + DecodedMessage.Sender));
        showDefaultPhoto();
    }
    lblLabReceiveSendTo->setText(gSingleLineText(gFctGetMessage(MainWindowText::AddressedTo) +
                                                 blank + DecodedMessage.Addressee));
    txtReceiveMessage->setPlainText(gMultiLineText(DecodedMessage.Text));
    lblLabReceiveDate->setText(gSingleLineText(
        gArrivalDateLine(DecodedMessage.ReceivedDate, DecodedMessage.ReceivedTime)));
    if (!DecodedMessage.AttachmentPath.isEmpty()) {
        setReceiveMessageHeight(kReceiveMessageHeightWithFile);
        txtReceiveFiles->setText(gSingleLineText(DecodedMessage.AttachmentPath));
    } else {
        setReceiveMessageHeight(kReceiveMessageHeight);
        txtReceiveFiles->clear();
    }
}

void frmPelimo::showDefaultPhoto() {
    picReceivePhoto->setPixmap(Artwork::defaultContactPhoto());
}

void frmPelimo::mAddMessageToHistoric() {
    HistoryList.add(DecodedMessage);
    gAppendHistoric();
}

void frmPelimo::TimerTestRead_Timer() {
    // Failures here are ignored: the marking is only a convenience.
    try {
        const bool seen = isVisible() && !(windowState() & Qt::WindowMinimized);
        if (seen && HistoryList.Count > 0)
            gMarkNewestHistoryEntryRead();
    } catch (...) {
    }
    TimerTestRead->stop();
}

void frmPelimo::lblLabReceiveFrom_Click() {
    for (LabelButton* label : {lblLabReceiveAnswer, lblLabReceivePrint, lblLabReceiveSaveFile}) {
        label->setHighlighted(false);
    }
    mColorLabelMenuStop();
}

bool frmPelimo::eventFilter(QObject* watched, QEvent* event) {
    // The sender line is a plain label: its click (press, then release over it) is taken here.
    if (watched == lblLabReceiveFrom) {
        if (event->type() == QEvent::MouseButtonPress)
            return true;
        if (event->type() == QEvent::MouseButtonRelease) {
            lblLabReceiveFrom_Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
