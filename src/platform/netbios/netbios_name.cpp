#include "platform/netbios/netbios_name.h"

namespace pelimo::platform {
namespace {

constexpr char kPadding = ' ';
constexpr char kFirstLevelBase = 'A';
constexpr std::uint8_t kRootLabel = 0x00;

char upperAscii(char byte) {
    return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - 32) : byte;
}

}  // namespace

QByteArray paddedNetbiosName(QByteArrayView name) {
    QByteArray padded(kNetbiosNameLength, kPadding);
    const qsizetype length = std::min<qsizetype>(name.size(), kNetbiosNameLength);
    for (qsizetype i = 0; i < length; ++i)
        padded[i] = upperAscii(name[i]);
    return padded;
}

void writeNetbiosName(ByteWriter& out, QByteArrayView name, std::uint8_t suffix) {
    // Built on the stack and appended at once: this runs for every datagram sent.
    char encoded[kEncodedNameSize];
    encoded[0] = static_cast<char>(kEncodedNameLabelLength);
    const qsizetype length = std::min<qsizetype>(name.size(), kNetbiosNameLength);
    for (qsizetype i = 0; i <= kNetbiosNameLength; ++i) {
        const auto value = static_cast<std::uint8_t>(
            i == kNetbiosNameLength ? static_cast<char>(suffix)
                                    : (i < length ? upperAscii(name[i]) : kPadding));
        encoded[1 + 2 * i] = static_cast<char>(kFirstLevelBase + (value >> 4));
        encoded[2 + 2 * i] = static_cast<char>(kFirstLevelBase + (value & 0x0F));
    }
    encoded[kEncodedNameSize - 1] = static_cast<char>(kRootLabel);
    out.bytes(QByteArrayView(encoded, kEncodedNameSize));
}

QByteArray encodeNetbiosName(QByteArrayView name, std::uint8_t suffix) {
    QByteArray encoded;
    encoded.reserve(kEncodedNameSize);
    ByteWriter out(encoded);
    writeNetbiosName(out, name, suffix);
    return encoded;
}

std::optional<NetbiosName> decodeNetbiosName(ByteReader& reader) {
    if (reader.u8() != kEncodedNameLabelLength) {
        reader.fail();
        return std::nullopt;
    }
    const QByteArrayView label = reader.bytes(kEncodedNameLabelLength);
    if (reader.u8() != kRootLabel || !reader.ok()) {
        reader.fail();
        return std::nullopt;
    }
    QByteArray raw;
    raw.reserve(kNetbiosNameLength + 1);
    for (qsizetype i = 0; i < kEncodedNameLabelLength; i += 2) {
        const int high = label[i] - kFirstLevelBase;
        const int low = label[i + 1] - kFirstLevelBase;
        if (high < 0 || high > 0x0F || low < 0 || low > 0x0F) {
            reader.fail();
            return std::nullopt;
        }
        raw.append(static_cast<char>(high << 4 | low));
    }
    NetbiosName result;
    result.suffix = static_cast<std::uint8_t>(raw.back());
    raw.chop(1);
    // Names are compared without regard to ASCII case; hand them out as they are encoded.
    result.name = paddedNetbiosName(raw);
    while (!result.name.isEmpty() && result.name.back() == kPadding)
        result.name.chop(1);
    return result;
}

bool isNetbiosComputerName(QByteArrayView name) {
    constexpr QByteArrayView kRefused("\\/:*?\"<>|.");
    if (name.isEmpty() || name.size() > kNetbiosNameLength)
        return false;
    for (const char byte : name) {
        if (static_cast<std::uint8_t>(byte) < 0x20 || byte == 0x7F || kRefused.contains(byte))
            return false;
    }
    return true;
}

bool sameNetbiosName(QByteArrayView left, QByteArrayView right) {
    return paddedNetbiosName(left) == paddedNetbiosName(right);
}

}  // namespace pelimo::platform
