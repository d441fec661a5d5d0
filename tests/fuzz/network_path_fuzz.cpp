// Parses any bytes (as Windows-1252, the datagrams' code page) as a received network path and
// checks that an accepted path can never name anything outside its share.
#include <cstdint>
#include <cstdlib>

#include "platform/ansi_codec.h"
#include "platform/network_path.h"

using namespace pelimo::platform;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = ansiToUnicode(bytes);
    const auto path = parseNetworkPath(text);
    if (!path)
        return 0;
    check(text.startsWith(QStringLiteral("\\\\")));
    check(!path->server.isEmpty() && !path->share.isEmpty() && !path->components.isEmpty());
    for (const QString& component : path->components) {
        check(!component.isEmpty() && component != u"." && component != u"..");
        check(!component.contains(u'/') && !component.contains(u'\\'));
    }
    const QByteArray url = smbUrlOf(*path);
    check(url.startsWith("smb://"));
    // Every part is escaped: the address has exactly the separators of its parts.
    check(url.count('/') == 2 + 1 + path->components.size());
    check(!url.contains("/../") && !url.contains('@') && !url.contains('?') && !url.contains('#'));
    return 0;
}
