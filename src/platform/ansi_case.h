// Letter case of the ANSI code page (Windows-1252), as the system's lower-casing shows it.
#pragma once

#include <QByteArray>
#include <QStringView>

namespace pelimo::platform {

// The Windows-1252 bytes of `text` in lower case: A-Z, the accented capitals 0xC0-0xDE (not the
// multiplication sign 0xD7) and the capitals S, OE, Z with caron and Y with diaeresis
// (0x8A 0x8C 0x8E 0x9F). A character outside the code page becomes "?", as it would in the file.
QByteArray ansiLowerCase(QStringView text);

}  // namespace pelimo::platform
