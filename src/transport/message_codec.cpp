#include "transport/message_codec.h"

#include "errorreport/error_trap.h"
#include "stores/number_text.h"
#include "transport/mailslot_channel.h"

namespace {

constexpr int kLengthFieldStart = 1;  // 0-based position of the four length digits
constexpr int kLengthFieldSize = 4;
constexpr int kKindAndLengthSize = 1 + kLengthFieldSize;

// Characters as they go onto the wire: one ANSI byte per code point, so a surrogate pair is one.
qsizetype wireLength(const QString& text) {
    qsizetype length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
            text.at(i + 1).isLowSurrogate()) {
            ++i;
        }
        ++length;
    }
    return length;
}

qint16 kindDigitOf(const QString& payload) {
    if (payload.isEmpty())
        return 0;
    const QChar first = payload.front();
    return first >= u'0' && first <= u'9' ? static_cast<qint16>(first.unicode() - u'0') : 0;
}

void decodeAttachmentMessage(const QString& payload) {
    const double length = NumberText::leadingNumber(
        QStringView(payload).mid(kLengthFieldStart, kLengthFieldSize), NumberForm::WholeDigits);
    // The length comes from the network: one that does not fit empties the field it would have
    // cut instead of leaving the previous message's value there.
    if (length < 0) {
        DecodedMessage.AttachmentPath.clear();
    } else {
        DecodedMessage.AttachmentPath = payload.mid(
            kKindAndLengthSize,
            static_cast<qsizetype>(std::min<double>(length, static_cast<double>(payload.size()))));
    }
    const double textLength = static_cast<double>(payload.size()) - kKindAndLengthSize - length;
    if (textLength < 0) {
        DecodedMessage.Text.clear();
    } else {
        DecodedMessage.Text = payload.right(static_cast<qsizetype>(textLength));
    }
    DecodedMessage.State = kStateUnreadWithAttachment;
}

// Builds the identification datagram in DecodedMessage; false when there is nobody to send to.
bool buildIdentification(const QString& computerName, qint16 kind, const char* body) {
    if (computerName.isEmpty())
        return false;
    DecodedMessage.Addressee = computerName;
    DecodedMessage.Sender = gComputerName;
    DecodedMessage.Kind = kind;
    DecodedMessage.AttachmentPath.clear();
    gEncodeMessage(QString::fromLatin1(body));
    return true;
}

}  // namespace

QString MessageCodec::payload(qint16 kind, const QString& attachmentPath, const QString& body) {
    if (kind < kKindPlain || kind > kKindIdentificationAnswer)
        return {};
    QString payload = QString::number(kind);
    if (kind == kKindAttachment) {
        // Format "0000": at least four digits; a longer path simply gives more.
        payload +=
            QStringLiteral("%1").arg(wireLength(attachmentPath), kLengthFieldSize, 10, QChar(u'0'));
        payload += attachmentPath;
    }
    payload += body;
    return payload;
}

void gEncodeMessage(const QString& body) {
    const qint16 kind = DecodedMessage.Kind;
    if (kind < kKindPlain || kind > kKindIdentificationAnswer)
        return;
    DecodedMessage.Text = MessageCodec::payload(kind, DecodedMessage.AttachmentPath, body);
}

void gDecodeMessage(const QString& payload) {
    ErrorTrap trap(QStringLiteral("ModGlobal"), QStringLiteral("gDecodeMessage"));
    trap.step([&] {
        DecodedMessage.Kind = kindDigitOf(payload);
        switch (DecodedMessage.Kind) {
            case kKindPlain:
                DecodedMessage.Text = payload.mid(1);
                DecodedMessage.State = kStateUnread;
                break;
            case kKindAttachment:
                decodeAttachmentMessage(payload);
                break;
            case kKindIdentificationRequest:
            case kKindIdentificationAnswer:
                DecodedMessage.Text = payload.mid(1);
                break;
            default:
                // No kind digit: a plain three-field message from another program, shown whole.
                DecodedMessage.Text = payload;
                DecodedMessage.State = kStateUnread;
                DecodedMessage.Kind = kKindPlain;
                break;
        }
    });
}

void gSendIdentificationRequest(const QString& computerName) {
    // Presence is asked on the network only: the computer is found by its NetBIOS name.
    if (buildIdentification(computerName, kKindIdentificationRequest, kIdentificationRequestText)) {
        SendToPelimo(gComputerName, DecodedMessage.Addressee, DecodedMessage.Text,
                     pelimo::platform::NameSource::Network);
    }
}

void gSendIdentificationAnswer(const QString& computerName,
                               const pelimo::platform::MailslotOrigin& origin) {
    if (buildIdentification(computerName, kKindIdentificationAnswer, kIdentificationAnswerText))
        MailslotChannel::answerOrigin(gComputerName, DecodedMessage.Addressee, DecodedMessage.Text,
                                      origin);
}

void gClearCurrentMessage() {
    DecodedMessage.Sender.clear();
    DecodedMessage.Addressee.clear();
    DecodedMessage.ReceivedDate.clear();
    DecodedMessage.ReceivedTime.clear();
    DecodedMessage.AttachmentPath.clear();
}

void MessageCodec::reset() {
    DecodedMessage = DecodedMessageData{};
    ShownMessage = DecodedMessageData{};
}
