// What a local mailslot holds per message: the message itself and where it came from. The router
// writes the address and port a datagram arrived from, so that an answer can go back to that very
// address instead of to whatever name the datagram's sender field claims; a message written on
// this computer says so. The envelope is read from a socket other processes can write to: it is
// decoded with bounds checks, and anything that is not one whole envelope is refused.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>

namespace pelimo::platform {

struct MailslotOrigin {
    bool network = false;       // false: written on this computer
    std::uint32_t address = 0;  // IPv4, host order; 0 for a local message
    std::uint16_t port = 0;     // UDP port it came from
    bool operator==(const MailslotOrigin&) const = default;

    static MailslotOrigin local() { return {}; }
    static MailslotOrigin fromNetwork(std::uint32_t address, std::uint16_t port) {
        return {true, address, port};
    }
};

struct EnvelopedMessage {
    MailslotOrigin origin;
    QByteArray message;  // the three NUL-terminated fields, as they came
    bool operator==(const EnvelopedMessage&) const = default;
};

inline constexpr int kMailslotEnvelopeHeaderSize = 12;

QByteArray encodeMailslotEnvelope(const MailslotOrigin& origin, QByteArrayView message);
// Nothing unless `bytes` starts with a well-formed envelope header.
std::optional<EnvelopedMessage> decodeMailslotEnvelope(QByteArrayView bytes);

}  // namespace pelimo::platform
