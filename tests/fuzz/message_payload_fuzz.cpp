// Decodes any bytes, as they arrive in the third field of a datagram, as a message payload, then
// builds the decoded message again: the decoder never takes more than the payload holds, and a
// message built from decoded parts decodes back to them.
#include <cstdint>
#include <cstdlib>

#include "platform/ansi_codec.h"
#include "transport/message_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString payload = pelimo::platform::ansiToUnicode(bytes);

    // Values no decoded payload can hold (the code page has no snowman).
    const QString previousPath = QString::fromUtf8("\u2603 path");
    const QString previousText = QString::fromUtf8("\u2603 text");
    MessageCodec::reset();
    DecodedMessage.AttachmentPath = previousPath;
    DecodedMessage.Text = previousText;
    gDecodeMessage(payload);
    const qint16 kind = DecodedMessage.Kind;
    if (kind < kKindPlain || kind > kKindIdentificationAnswer)
        std::abort();
    if (DecodedMessage.Text.size() > payload.size())
        std::abort();
    if (kind == kKindAttachment) {
        if (DecodedMessage.State != kStateUnreadWithAttachment)
            std::abort();
        if (DecodedMessage.AttachmentPath == previousPath || DecodedMessage.Text == previousText) {
            std::abort();  // a field from the previous message survived
        }
        if (!payload.endsWith(DecodedMessage.Text))
            std::abort();
    }

    // Build from the decoded parts and decode again.
    const QString path = DecodedMessage.AttachmentPath;
    const QString text = DecodedMessage.Text;
    gEncodeMessage(text);
    gDecodeMessage(DecodedMessage.Text);
    if (DecodedMessage.Kind != kind || DecodedMessage.Text != text)
        std::abort();
    if (kind == kKindAttachment && DecodedMessage.AttachmentPath != path && path.size() <= 9999) {
        std::abort();
    }
    return 0;
}
