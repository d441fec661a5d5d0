// The send panel's size line: recounted whenever the addressees, the text or the attachment
// change, and kept at the foot of the message box, whose height changes with the attachment row.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "mainwindow/frmPelimo.h"
#include "mainwindow/main_window_layout.h"
#include "mainwindow/send_size_line.h"
#include "stores/decoded_message.h"
#include "transport/mailslot_channel.h"
#include "ui/limited_text_box.h"
#include "ui/twips.h"

using MainWindowLayout::SendPanel::kSizeLineHeight;

void frmPelimo::buildSendSizeLine() {
    lblLabSendSize = new QLabel(picSendMessage);
    lblLabSendSize->setObjectName(QStringLiteral("lblLabSendSize"));
    lblLabSendSize->setTextFormat(Qt::PlainText);
    lblLabSendSize->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    lblLabSendSize->setWordWrap(true);
    lblLabSendSize->setIndent(Twips::toPixels(MainWindowLayout::kTextPadding));
    lblLabSendSize->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont font = lblLabSendSize->font();
    font.setPointSizeF(font.pointSizeF() - 1);
    lblLabSendSize->setFont(font);
    txtSendMessage->reserveBottomStrip(Twips::toPixels(kSizeLineHeight));
    placeSendSizeLine();
    const auto recount = [this] { displaySendSize(); };
    connect(txtSendMessage, &QPlainTextEdit::textChanged, this, recount);
    connect(txtSendUserList, &QPlainTextEdit::textChanged, this, recount);
    connect(txtSendFiles, &QLineEdit::textChanged, this, recount);
}

void frmPelimo::placeSendSizeLine() {
    // Inside the box's frame, at the foot of the strip its text area leaves free.
    const int height = Twips::toPixels(kSizeLineHeight);
    const int frame = txtSendMessage->frameWidth();
    const QRect inside = txtSendMessage->geometry().adjusted(frame, frame, -frame, -frame);
    lblLabSendSize->setGeometry(inside.left(), inside.bottom() + 1 - height, inside.width(),
                                height);
    lblLabSendSize->raise();
}

void frmPelimo::displaySendSize() {
    // The attachment's network path is formed only when sending; its typed path stands in.
    const QString attachment = txtSendFiles->text();
    // Nothing to count before anything is typed.
    if (attachment.isEmpty() && txtSendMessage->text().isEmpty() &&
        txtSendUserList->toPlainText().isEmpty()) {
        lblLabSendSize->clear();
        return;
    }
    const SendSize size =
        SendSizeLine::size(gComputerName, txtSendUserList->toPlainText(),
                           attachment.isEmpty() ? kKindPlain : kKindAttachment, attachment,
                           txtSendMessage->text(), MailslotChannel::name());
    lblLabSendSize->setText(SendSizeLine::text(size));
}
