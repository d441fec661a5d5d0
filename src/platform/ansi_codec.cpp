#include "platform/ansi_codec.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace pelimo::platform {
namespace {

// Code points of the bytes 0x80..0x9F; the undefined bytes map to themselves.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

constexpr char kSubstitute = '?';

}  // namespace

QString ansiToUnicode(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return QString(0, Qt::Uninitialized);
    // Windows-1252 differs from Latin-1 only in the bytes 0x80-0x9F: Qt's vectorised Latin-1
    // decoder does the rest, and those bytes are found eight at a time.
    QString text = QString::fromLatin1(bytes);
    constexpr quint64 kHighBits = 0x8080808080808080ULL;
    QChar* out = nullptr;
    for (qsizetype at = 0; at < bytes.size(); at += 8) {
        const qsizetype count = std::min<qsizetype>(8, bytes.size() - at);
        if (count == 8) {
            quint64 word;
            std::memcpy(&word, bytes.data() + at, sizeof word);
            // A byte 0x80-0x9F has bit 7 set and bits 6 and 5 clear.
            if ((word & ~(word << 1) & ~(word << 2) & kHighBits) == 0)
                continue;
        }
        if (out == nullptr)
            out = text.data();
        for (qsizetype i = at; i < at + count; ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if ((byte & 0xE0) == 0x80)
                out[i] = QChar(kHighControls[byte - 0x80]);
        }
    }
    return text;
}

char ansiByteOf(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return static_cast<char>(codePoint);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == codePoint) {
            return static_cast<char>(0x80 + i);
        }
    }
    return kSubstitute;
}

QByteArray unicodeToAnsi(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;  // one substitute for the whole pair
            bytes.append(kSubstitute);
            continue;
        }
        bytes.append(ansiByteOf(ch.unicode()));
    }
    return bytes;
}

}  // namespace pelimo::platform
