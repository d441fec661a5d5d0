// The current message: one record shared by sending, receiving, the read panel, the history and
// printing.
#pragma once

#include <QString>
#include <QtGlobal>

enum MessageKind : qint16 {
    kKindPlain = 1,
    kKindAttachment = 2,
    kKindIdentificationRequest = 3,
    kKindIdentificationAnswer = 4,
};

enum MessageState : qint16 {
    kStateRead = 1,
    kStateUnread = 2,
    kStateReadWithAttachment = 3,
    kStateUnreadWithAttachment = 4,
};

struct DecodedMessageData {
    qint16 Kind = 0;
    QString Sender;
    QString Addressee;
    QString Text;          // after decoding: the message text; after building: the whole payload
    QString ReceivedDate;  // "dd/mm/yyyy"
    QString ReceivedTime;  // "hh:mm:ss"
    QString AttachmentPath;
    qint16 State = 0;
};

extern DecodedMessageData DecodedMessage;

// The message the read panel shows, which its Reply, Print and Save act on. The current message
// is reused by every send and every identification datagram; this copy changes only when the read
// panel shows another message (one that arrives, or one opened from the history).
extern DecodedMessageData ShownMessage;
