// NetBIOS names on the wire (RFC 1001/1002): 15 bytes upper-cased and blank-padded plus a suffix
// byte, first-level encoded as one 32-letter label ('A' + each half byte) and a zero label.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>

#include "platform/byte_reader.h"

namespace pelimo::platform {

inline constexpr int kNetbiosNameLength = 15;  // without the suffix byte
inline constexpr int kEncodedNameLabelLength = 32;
inline constexpr int kEncodedNameSize = 1 + kEncodedNameLabelLength + 1;  // 34
inline constexpr std::uint8_t kSuffixWorkstation = 0x00;
inline constexpr std::uint8_t kSuffixMessenger = 0x03;

struct NetbiosName {
    QByteArray name;  // ANSI bytes, ASCII letters upper-cased, trailing blanks removed
    std::uint8_t suffix = kSuffixWorkstation;
    bool operator==(const NetbiosName&) const = default;
};

// The 15 name bytes as they are padded on the wire: ASCII letters upper-cased, cut to 15 bytes,
// blank-padded.
QByteArray paddedNetbiosName(QByteArrayView name);

// The 34-byte encoded name: 0x20, 32 letters, 0x00.
QByteArray encodeNetbiosName(QByteArrayView name, std::uint8_t suffix);
void writeNetbiosName(ByteWriter& out, QByteArrayView name, std::uint8_t suffix);

// Reads one encoded name; nothing (and the reader's error set) when it is not a plain 32-letter
// label followed by the zero label. Names with a scope are refused: they belong to another scope.
std::optional<NetbiosName> decodeNetbiosName(ByteReader& reader);

// Whether a name that came from the network (a datagram's sender, a browse list) can be a
// computer's NetBIOS name: 1 to 15 bytes, no control character, none of the characters Windows
// refuses in computer names, and no dot, so neither an address literal nor a DNS name passes.
bool isNetbiosComputerName(QByteArrayView name);

// Whether two names are the same NetBIOS name (compared as padded, upper-cased bytes).
bool sameNetbiosName(QByteArrayView left, QByteArrayView right);

}  // namespace pelimo::platform
