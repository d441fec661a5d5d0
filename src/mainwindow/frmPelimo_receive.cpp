// The receive loop: each tick takes the datagrams waiting in the mailslot, within a time budget;
// ordinary messages are kept in the history and the newest is shown in the read panel;
// identification datagrams mark their sender present. At shutdown the mailslot is drained into
// the history.
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "diagnosis/reachability_diagnosis.h"
#include "errorreport/error_trap.h"
#include "mainwindow/display_text.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/main_window_layout.h"
#include "mainwindow/message_dates.h"
#include "mainwindow/panel_state.h"
#include "mainwindow/presence.h"
#include "sound/wave_player.h"
#include "stores/contacts.h"
#include "stores/data_file_search.h"
#include "stores/history_file.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "stores/settings.h"
#include "transport/mailslot_channel.h"
#include "transport/message_codec.h"
#include "ui/artwork.h"
#include "ui/label_button.h"

namespace {

// Time one tick may spend taking datagrams, so the window stays responsive; what is left waits
// for the next tick.
constexpr qint64 kTickBudgetNs = 20'000'000;
// At shutdown: how long the intake must stay quiet before the mailslot is taken as drained, and
// the longest the drain may take while datagrams keep coming.
constexpr int kDrainQuietChecks = 3;
constexpr int kDrainQuietIntervalMs = 5;
constexpr qint64 kDrainLimitMs = 3000;

}  // namespace

void frmPelimo::TimerMailSlot_Timer() {
    // A report window opened by this tick runs its own event loop, in which the timer fires
    // again: the datagrams still waiting are taken once this tick has ended.
    if (receiving_ || unloaded_)
        return;
    const QScopedValueRollback<bool> busy(receiving_, true);
    QElapsedTimer clock;
    clock.start();

    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("TimerMailSlot_Timer"));
    const qint32 firstStored = HistoryList.Count + 1;
    std::optional<DecodedMessageData> newest;
    do {
        qint32 scan = 0;
        trap.step([&scan] { scan = gFctScanMailSlot(); });
        if (scan < 1)
            break;
        takeNewestDatagram(trap, true, newest);
    } while (clock.nsecsElapsed() < kTickBudgetNs);

    // Every message of the tick is stored; only the newest is shown, once.
    if (HistoryList.Count >= firstStored)
        trap.step([firstStored] { HistoryStore::appendFrom(firstStored); });
    if (newest) {
        // Whether the user had the window in front before this tick brought it forward.
        const bool inFront = windowInFront();
        const qint32 messagesInTick = HistoryList.Count - firstStored + 1;
        trap.step([this] { TimerTestRead->stop(); });
        trap.step([this, &newest] {
            DecodedMessage = *newest;
            mDisplayMessage();
        });
        trap.step([this] {
            gCurrentPanel = kPanelRead;
            mDisplayWindows();
        });
        trap.step([this] {
            if (Settings.OpenWindows == 1)
                mOpenWindowsTray();
        });
        trap.step([this] { TimerTestRead->start(); });
        if (!inFront)
            trap.step([&] { notifyArrivals(*newest, messagesInTick); });
    }
    const quint64 lost = MailslotIntake::lostDatagrams();
    if (newest || lost != lostShown_)
        trap.step([this] { mDisplayInfoNbHistoric(); });
    longestTickNs_ = std::max(longestTickNs_, clock.nsecsElapsed());
}

void frmPelimo::takeNewestDatagram(ErrorTrap& trap, bool live,
                                   std::optional<DecodedMessageData>& newest) {
    const qint32 index = gStructureMailslotControl.MessageCount;
    pelimo::platform::MailslotOrigin origin;
    // The decoder fills only the fields of the kind it reads: start from an empty message so an
    // attachment path of the previous message never sticks to a plain one.
    trap.step([] { gClearCurrentMessage(); });
    trap.step([index, &origin] {
        DecodedMessage.Sender = gStructureMailslotControl.SenderList.value(index);
        DecodedMessage.Addressee = gStructureMailslotControl.AddresseeList.value(index);
        origin = gStructureMailslotControl.OriginList.value(index);
        gDecodeMessage(gStructureMailslotControl.TextList.value(index));
    });
    // Everything needed is copied: the entry leaves the received-message table.
    trap.step([index] { MailslotChannel::releaseEntries(index); });

    switch (DecodedMessage.Kind) {
        case kKindPlain:
        case kKindAttachment: {
            trap.step([] {
                const QDateTime now = QDateTime::currentDateTime();
                DecodedMessage.ReceivedDate = MessageDates::arrivalDate(now.date());
                DecodedMessage.ReceivedTime = MessageDates::arrivalTime(now.time());
            });
            trap.step([this, &newest] {
                newest = DecodedMessage;
                mAddMessageToHistoric();
            });
            break;
        }
        case kKindIdentificationRequest:
        case kKindIdentificationAnswer: {
            // At shutdown they are dropped: nobody is marked or answered any more. A sender that
            // cannot be a computer's NetBIOS name (an address, a DNS name) is nobody either.
            if (!live || !MailslotChannel::isNetworkComputerName(DecodedMessage.Sender)) {
                trap.step([] { gClearCurrentMessage(); });
                break;
            }
            const bool request = DecodedMessage.Kind == kKindIdentificationRequest;
            trap.step([] { Presence::record(DecodedMessage.Sender); });
            trap.step([] { Reachability::identificationArrived(DecodedMessage.Sender); });
            trap.step([request, &origin] {
                if (request)
                    gSendIdentificationAnswer(DecodedMessage.Sender, origin);
            });
            trap.step([] { gClearCurrentMessage(); });
            break;
        }
        default:
            break;
    }
}

void frmPelimo::drainMailSlot() {
    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("drainMailSlot"));
    const qint32 firstStored = HistoryList.Count + 1;
    std::optional<DecodedMessageData> newest;
    QElapsedTimer clock;
    clock.start();
    // The intake of this process may still hold datagrams it read from the network: the mailslot
    // counts as drained once it and the intake have stayed empty for a few checks.
    int quietChecks = 0;
    while (quietChecks < kDrainQuietChecks && clock.elapsed() < kDrainLimitMs) {
        qint32 scan = 0;
        trap.step([&scan] { scan = gFctScanMailSlot(); });
        if (scan < 0)
            break;
        if (scan == 1) {
            quietChecks = 0;
            takeNewestDatagram(trap, false, newest);
            continue;
        }
        if (MailslotIntake::holdsDatagrams()) {
            quietChecks = 0;
        } else {
            ++quietChecks;
        }
        QThread::msleep(kDrainQuietIntervalMs);
    }
    if (HistoryList.Count >= firstStored)
        trap.step([firstStored] { HistoryStore::appendFrom(firstStored); });
    if (newest)
        DecodedMessage = *newest;
}

void frmPelimo::mDisplayMessage() {
    // The read panel's commands act on this copy, which later sends and identification datagrams
    // leave alone.
    ShownMessage = DecodedMessage;
    const DecodedMessageData& shown = ShownMessage;
    const qint16 index = gSearchContactWithComputerName(shown.Sender);
    const QString blank = QStringLiteral(" ");
    if (index != 0) {
        const Contact& contact = ContactList[index];
        lblLabReceiveFrom->setText(
            DisplayText::singleLine(gFctGetMessage(Msg::ReceivedFrom) + blank + contact.UserName));
        QPixmap photo;
        if (!contact.UserPicturePath.isEmpty())
            photo.load(
                DataFiles::find(contact.UserPicturePath, QString::fromLatin1(kPictureFolderName)));
        if (photo.isNull()) {
            showDefaultPhoto();
        } else {
            picReceivePhoto->setPixmap(photo.scaled(picReceivePhoto->size(), Qt::KeepAspectRatio,
                                                    Qt::SmoothTransformation));
        }
        if (!contact.UserSoundPath.isEmpty() && Settings.PlaySound == 1) {
            const QString found =
                DataFiles::find(contact.UserSoundPath, QString::fromLatin1(kSoundFolderName));
            gFctPlayWave(found.isEmpty() ? contact.UserSoundPath : found);
        }
    } else {
        lblLabReceiveFrom->setText(
            DisplayText::singleLine(gFctGetMessage(Msg::ReceivedFrom) + blank + shown.Sender));
        showDefaultPhoto();
    }
    lblLabReceiveSendTo->setText(
        DisplayText::singleLine(gFctGetMessage(Msg::SendTo) + blank + shown.Addressee));
    txtReceiveMessage->setPlainText(DisplayText::multiLine(shown.Text));
    lblLabReceiveDate->setText(DisplayText::singleLine(
        MessageDates::arrivalDateLine(shown.ReceivedDate, shown.ReceivedTime)));
    if (!shown.AttachmentPath.isEmpty()) {
        setReceiveMessageHeight(MainWindowLayout::ReadPanel::kMessageHeightWithAttachment);
        txtReceiveFiles->setText(DisplayText::singleLine(shown.AttachmentPath));
    } else {
        setReceiveMessageHeight(MainWindowLayout::ReadPanel::kMessageHeight);
        txtReceiveFiles->clear();
    }
}

void frmPelimo::showDefaultPhoto() {
    picReceivePhoto->setPixmap(Artwork::defaultContactPhoto());
}

// The entry goes to the file with the others of its tick (HistoryStore::appendFrom).
void frmPelimo::mAddMessageToHistoric() {
    HistoryList.add(DecodedMessage);
}

void frmPelimo::TimerTestRead_Timer() {
    // Failures here are ignored: the marking is only a convenience.
    try {
        const bool seen = isVisible() && !(windowState() & Qt::WindowMinimized);
        if (seen && HistoryList.Count > 0) {
            Presence::markNewestHistoryEntryRead();
            mDisplayInfoNbHistoric();
        }
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
