#include "platform/mailslot_envelope.h"

#include "platform/byte_reader.h"

namespace pelimo::platform {
namespace {

constexpr char kMagic[] = "PLM";
constexpr std::uint8_t kVersion = 1;
constexpr std::uint8_t kLocalOrigin = 0;
constexpr std::uint8_t kNetworkOrigin = 1;

}  // namespace

QByteArray encodeMailslotEnvelope(const MailslotOrigin& origin, QByteArrayView message) {
    QByteArray bytes;
    bytes.reserve(kMailslotEnvelopeHeaderSize + message.size());
    ByteWriter out(bytes);
    out.bytes(QByteArrayView(kMagic));
    out.u8(kVersion);
    out.u8(origin.network ? kNetworkOrigin : kLocalOrigin);
    out.u8(0);
    out.u16be(origin.network ? origin.port : 0);
    out.u32be(origin.network ? origin.address : 0);
    out.bytes(message);
    return bytes;
}

std::optional<EnvelopedMessage> decodeMailslotEnvelope(QByteArrayView bytes) {
    ByteReader in(bytes);
    const QByteArrayView magic = in.bytes(sizeof kMagic - 1);
    const std::uint8_t version = in.u8();
    const std::uint8_t kind = in.u8();
    const std::uint8_t reserved = in.u8();
    const std::uint16_t port = in.u16be();
    const std::uint32_t address = in.u32be();
    if (!in.ok() || magic != QByteArrayView(kMagic) || version != kVersion || reserved != 0 ||
        (kind != kLocalOrigin && kind != kNetworkOrigin)) {
        return std::nullopt;
    }
    EnvelopedMessage result;
    if (kind == kNetworkOrigin) {
        result.origin = MailslotOrigin::fromNetwork(address, port);
    } else if (port != 0 || address != 0) {
        return std::nullopt;
    }
    result.message = bytes.sliced(static_cast<qsizetype>(in.position())).toByteArray();
    return result;
}

}  // namespace pelimo::platform
