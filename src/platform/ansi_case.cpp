#include "platform/ansi_case.h"

#include <array>

#include "platform/ansi_codec.h"

namespace pelimo::platform {
namespace {

constexpr std::array<unsigned char, 256> makeLowerTable() {
    std::array<unsigned char, 256> table{};
    for (int byte = 0; byte < 256; ++byte)
        table[byte] = static_cast<unsigned char>(byte);
    for (int byte = 'A'; byte <= 'Z'; ++byte)
        table[byte] = static_cast<unsigned char>(byte + 32);
    for (int byte = 0xC0; byte <= 0xDE; ++byte) {
        if (byte != 0xD7)
            table[byte] = static_cast<unsigned char>(byte + 32);
    }
    table[0x8A] = 0x9A;  // S caron
    table[0x8C] = 0x9C;  // OE
    table[0x8E] = 0x9E;  // Z caron
    table[0x9F] = 0xFF;  // Y diaeresis
    return table;
}

constexpr std::array<unsigned char, 256> kLower = makeLowerTable();

}  // namespace

QByteArray ansiLowerCase(QStringView text) {
    QByteArray bytes = unicodeToAnsi(text);
    for (char& byte : bytes)
        byte = static_cast<char>(kLower[static_cast<unsigned char>(byte)]);
    return bytes;
}

}  // namespace pelimo::platform
