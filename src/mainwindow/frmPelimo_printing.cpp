// The three print commands: the read panel's message, the message being composed, the history.
#include <QDateTime>
#include <QLabel>
#include <QPlainTextEdit>

#include "errorreport/error_trap.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/message_dates.h"
#include "mainwindow/print_job.h"
#include "mainwindow/print_layouts.h"
#include "seam/dialog_seam.h"
#include "stores/history_file.h"
#include "stores/language_box.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "transport/mailslot_channel.h"
#include "ui/limited_text_box.h"
#include "ui/twips.h"

namespace {}  // namespace

Letterhead frmPelimo::letterheadForPrinting() const {
    return {picPrint->pixmap(),
            QSize(picPrint->width() * kTwipsPerPixel, picPrint->height() * kTwipsPerPixel)};
}

void frmPelimo::lblLabReceivePrint_Click() {
    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("lblLabReceivePrint_Click"));
    if (txtReceiveMessage->toPlainText().isEmpty()) {
        trap.step([] {
            LanguageBox::show(Msg::NothingToPrint, MsgBoxButtons::Ok, MsgBoxIcon::Information);
        });
        return;
    }
    trap.step([this] {
        const Letterhead head = letterheadForPrinting();
        PrintJob::printThroughDialog(this, [&head](PrintSurface& printer) {
            gFctMessagePrint(printer, head, ShownMessage);
        });
    });
}

void frmPelimo::lblCmdSendPrint_Click() {
    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("lblCmdSendPrint_Click"));
    if (txtSendMessage->text().isEmpty()) {
        trap.step([] {
            LanguageBox::show(Msg::NothingToPrint, MsgBoxButtons::Ok, MsgBoxIcon::Information);
        });
        return;
    }
    // The message being composed, from this computer, stamped now.
    trap.step([this] {
        DecodedMessageData composed;
        composed.Kind = kKindPlain;
        composed.Sender = gComputerName;
        composed.Addressee = txtSendUserList->toPlainText();
        composed.Text = txtSendMessage->text();
        const QDateTime now = QDateTime::currentDateTime();
        composed.ReceivedDate = MessageDates::arrivalDate(now.date());
        composed.ReceivedTime = MessageDates::arrivalTime(now.time());
        const Letterhead head = letterheadForPrinting();
        PrintJob::printThroughDialog(this, [&head, &composed](PrintSurface& printer) {
            gFctMessagePrint(printer, head, composed);
        });
    });
}

void frmPelimo::CmdHistoricPrint_Click() {
    ErrorTrap trap(QStringLiteral("frmPelimo"), QStringLiteral("CmdHistoricPrint_Click"));
    if (HistoryList.Count == 0) {
        trap.step([] {
            LanguageBox::show(Msg::NoHistoryToPrint, MsgBoxButtons::Ok, MsgBoxIcon::Information);
        });
        return;
    }
    trap.step([this] {
        const Letterhead head = letterheadForPrinting();
        PrintJob::printThroughDialog(this, [&head](PrintSurface& printer) {
            gFctHistoriquePrint(printer, head, HistoryList);
        });
    });
}
