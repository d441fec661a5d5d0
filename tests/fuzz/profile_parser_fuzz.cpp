// Parses any bytes as a profile file, reads and writes a few keys, and checks that a written value
// reads back and that untouched content survives a rewrite.
#include <cstdint>
#include <cstdlib>

#include "platform/ansi_codec.h"
#include "platform/profile_file.h"

using pelimo::platform::ProfileDocument;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ProfileDocument document(bytes);
    if (document.contents() != bytes)
        std::abort();  // parsing alone changes nothing

    (void)document.find(u"Setting", u"OpenWindows");
    (void)document.find(u"UserSetting", u"UserNumber");

    // Names taken from the input itself, so the writes hit existing sections and keys.
    const QString section =
        pelimo::platform::ansiToUnicode(bytes.first(std::min<qsizetype>(4, size)))
            .remove(u'\r')
            .remove(u'\n')
            .remove(u'[')
            .remove(u']')
            .remove(u'=')
            .remove(QChar(0))
            .trimmed();
    const QString key = section.isEmpty() ? QStringLiteral("k") : section + u'k';
    document.set(section.isEmpty() ? QStringLiteral("s") : section, key, u"value");
    const ProfileDocument reparsed(document.contents());
    const auto value = reparsed.find(section.isEmpty() ? QStringLiteral("s") : section, key);
    if (!value || *value != "value")
        std::abort();
    return 0;
}
