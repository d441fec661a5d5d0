// The ANSI code page of files and datagrams: Windows-1252, as Windows maps it.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace pelimo::platform {

// Decodes Windows-1252 bytes. The five bytes the code page leaves undefined
// (0x81 0x8D 0x8F 0x90 0x9D) map to the control characters of the same value, as Windows does.
QString ansiToUnicode(QByteArrayView bytes);

// Encodes to Windows-1252. Each character outside the code page (a surrogate pair counts as one
// character) becomes one "?".
QByteArray unicodeToAnsi(QStringView text);

// The byte of one character, or '?' when the code page has none.
char ansiByteOf(char32_t codePoint);

}  // namespace pelimo::platform
