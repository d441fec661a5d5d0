// The NetBIOS datagram (RFC 1002 4.4.2) that carries a remote mailslot write: an NBDS header and
// an SMB_COM_TRANSACTION whose setup words say "mailslot write". Encoding is exact; decoding is
// bounds-checked and refuses anything that is not one whole, well-formed mailslot write.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>

#include "platform/netbios/netbios_name.h"

namespace pelimo::platform {

namespace nbds {
inline constexpr std::uint8_t kDirectUnique = 0x10;
inline constexpr std::uint8_t kDirectGroup = 0x11;
inline constexpr std::uint8_t kBroadcast = 0x12;
inline constexpr std::uint8_t kFlagMore = 0x01;          // M: more fragments follow
inline constexpr std::uint8_t kFlagFirst = 0x02;         // F: first fragment
inline constexpr std::uint8_t kFlagsBNode = kFlagFirst;  // SNT bits 00: B node
inline constexpr int kHeaderSize = 14;
inline constexpr std::size_t kMaxPacketSize = 65507;  // the largest UDP payload over IPv4
}  // namespace nbds

namespace smb {
inline constexpr std::uint8_t kCommandTransaction = 0x25;
inline constexpr int kHeaderSize = 32;
inline constexpr std::uint8_t kTransactionWordCount = 17;
inline constexpr std::uint8_t kMailslotSetupCount = 3;
inline constexpr std::uint16_t kMailslotWriteOpcode = 1;
inline constexpr std::uint16_t kMailslotPriority = 0;
inline constexpr std::uint16_t kMailslotClassUnreliable = 2;
inline constexpr std::uint16_t kTransactionNoResponse = 0x0002;
// Header, WordCount byte, 17 parameter words, ByteCount: where the mailslot name starts.
inline constexpr int kMailslotNameOffset = kHeaderSize + 1 + 2 * kTransactionWordCount + 2;
inline constexpr int kDataAlignment = 4;
// A Windows receiver drops a mailslot SMB message longer than this.
inline constexpr std::size_t kWindowsMaxMailslotMessage = 512;
}  // namespace smb

inline constexpr char kMailslotPrefix[] = "\\MAILSLOT\\";

struct MailslotDatagram {
    std::uint8_t messageType = nbds::kDirectUnique;
    std::uint16_t datagramId = 0;
    std::uint32_t sourceIp = 0;  // host order
    std::uint16_t sourcePort = 138;
    NetbiosName source;
    NetbiosName destination;
    QByteArray mailslotName;  // "\MAILSLOT\pelimo"
    QByteArray data;          // the mailslot message
    bool operator==(const MailslotDatagram&) const = default;
};

enum class DatagramError {
    None,
    Truncated,
    NotDirectDatagram,
    Fragment,
    BadName,
    NotSmb,
    NotTransaction,
    NotMailslotWrite,
    BadMailslotName,
    DataOutOfBounds,
    EmptyData,
};

struct DatagramDecodeResult {
    std::optional<MailslotDatagram> datagram;
    DatagramError error = DatagramError::None;
};

// The whole UDP payload; empty when it would not fit in one UDP datagram. The names are cut and
// padded to 15 bytes; the mailslot name should start with "\MAILSLOT\".
QByteArray encodeMailslotDatagram(const MailslotDatagram& datagram);

DatagramDecodeResult decodeMailslotDatagram(QByteArrayView packet);

struct MailslotDatagramSize {
    std::size_t packet = 0;      // the UDP payload
    std::size_t smbMessage = 0;  // its SMB part, from the SMB signature to the end
};

// The sizes encodeMailslotDatagram gives for a mailslot name and data of these lengths.
MailslotDatagramSize mailslotDatagramSize(std::size_t mailslotNameSize, std::size_t dataSize);

// "pelimo" for "\MAILSLOT\pelimo" (prefix in any case); empty when the prefix is missing.
QByteArray mailslotChannelOf(QByteArrayView mailslotName);

}  // namespace pelimo::platform
