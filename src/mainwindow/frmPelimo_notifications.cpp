// Desktop notifications of arriving messages, and their open and reply actions.
#include <QTimer>

#include "desktop/desktop_notifier.h"
#include "errorreport/error_trap.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/panel_state.h"
#include "stores/contacts.h"
#include "stores/history_file.h"
#include "stores/settings.h"

namespace {

constexpr int kNotificationIconSize = 48;

// The sender as the read panel names it: the contact's user name, else the computer name.
QString senderName(const QString& computerName) {
    const qint16 index = gSearchContactWithComputerName(computerName);
    return index != 0 ? ContactList[index].UserName : computerName;
}

bool sameMessage(const HistoryEntry& entry, const DecodedMessageData& message) {
    return entry.Sender == message.Sender && entry.Text == message.Text &&
           entry.ReceivedDate == message.ReceivedDate && entry.ReceivedTime == message.ReceivedTime;
}

}  // namespace

bool frmPelimo::windowInFront() const {
    return isVisible() && !(windowState() & Qt::WindowMinimized) && isActiveWindow();
}

void frmPelimo::notifyArrivals(const DecodedMessageData& newest, int messagesInTick) {
    if (Settings.Notifications != 1)
        return;
    if (notifier_ == nullptr) {
        notifier_ = new DesktopNotifier(this);
        connect(notifier_, &DesktopNotifier::openRequested, this, &frmPelimo::openNotifiedMessage);
        connect(notifier_, &DesktopNotifier::replyRequested, this,
                &frmPelimo::replyToNotifiedMessage);
    }
    notifiedMessage_ = newest;
    notifier_->notifyArrival({senderName(newest.Sender), newest.Text}, messagesInTick,
                             windowIcon().pixmap(kNotificationIconSize).toImage());
}

void frmPelimo::openNotifiedMessage() {
    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("openNotifiedMessage"));
    if (unloaded_ || notifiedMessage_.Sender.isEmpty())
        return;
    trap.step([this] {
        DecodedMessage = notifiedMessage_;
        mDisplayMessage();
    });
    trap.step([this] {
        gCurrentPanel = kPanelRead;
        mDisplayWindows();
    });
    trap.step([this] { mOpenWindowsTray(); });
    // Shown in front like a message that has just arrived: the newest one is marked read after
    // the usual three seconds.
    trap.step([this] {
        if (HistoryList.Count > 0 && sameMessage(HistoryList[HistoryList.Count], notifiedMessage_))
            TimerTestRead->start();
    });
}

void frmPelimo::replyToNotifiedMessage() {
    openNotifiedMessage();
    if (unloaded_ || notifiedMessage_.Sender.isEmpty())
        return;
    lblLabReceiveAnswer_Click();
}
