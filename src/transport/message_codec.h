// The payload codec of ModGlobal: the kind digit and its content, built into and decoded from
// the current message (DecodedMessage), and the two identification datagrams.
#pragma once

#include <QString>

#include "platform/mailslot_envelope.h"
#include "stores/decoded_message.h"

inline constexpr char kIdentificationRequestText[] = "Pelimo : Identification Request";
inline constexpr char kIdentificationAnswerText[] = "Pelimo : Identification Answer";

// DecodedMessage.Text = the payload for DecodedMessage.Kind (and AttachmentPath for kind 2) and
// `body`. A Kind outside 1 to 4 leaves everything unchanged.
void gEncodeMessage(const QString& body);

namespace MessageCodec {

// The payload of a message of `kind` (1 to 4; else empty): the kind digit, for kind 2 the
// four-digit length and the attachment path, then the body.
QString payload(qint16 kind, const QString& attachmentPath, const QString& body);

}  // namespace MessageCodec

// Sets Kind, Text and, by kind, AttachmentPath and State from a received payload. Sender,
// Addressee, ReceivedDate and ReceivedTime are left alone.
void gDecodeMessage(const QString& payload);

// A kind-3 datagram from gComputerName to `computerName`, found by its NetBIOS name only;
// nothing when the name is empty.
void gSendIdentificationRequest(const QString& computerName);
// A kind-4 datagram from gComputerName to `computerName`, the sender of the request, which came
// from `origin`: sent to the address the request came from (MailslotChannel::answerOrigin); nothing
// when the name is empty.
void gSendIdentificationAnswer(
    const QString& computerName,
    const pelimo::platform::MailslotOrigin& origin = pelimo::platform::MailslotOrigin::local());

// Empties Sender, Addressee, ReceivedDate, ReceivedTime and AttachmentPath.
void gClearCurrentMessage();

namespace MessageCodec {

// Every field of DecodedMessage and ShownMessage back to its initial value. Tests call it between
// cases.
void reset();

}  // namespace MessageCodec
