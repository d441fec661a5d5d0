// Parses any bytes as a mount table, the first line also naming a path, and checks that every
// entry is usable and that every network path formed from it is well formed.
#include <cstdint>
#include <cstdlib>

#include "platform/mount_table.h"
#include "platform/universal_name.h"

using namespace pelimo::platform;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void checkName(const UniversalName& name) {
    if (name.code == kNetNoError) {
        check(name.name.startsWith(u"\\\\") && !name.name.contains(u'/'));
        check(name.name.size() > 4);
    } else {
        check(name.name.isEmpty());
        check(name.code == kNetErrorNotConnected || name.code == kNetErrorBadDevice);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    check(decodeMountInfoField(bytes).size() <= bytes.size());

    const std::vector<MountEntry> mounts = parseMountInfo(bytes);
    for (const MountEntry& entry : mounts) {
        check(entry.mountPoint.startsWith(u'/'));
        check(entry.mountPoint == u"/" || !entry.mountPoint.endsWith(u'/'));
        const QString below = entry.mountPoint == u"/" ? QStringLiteral("/a/b")
                                                       : entry.mountPoint + QStringLiteral("/a/b");
        check(mountHolding(mounts, below) != nullptr);
        checkName(universalNameOf(entry.mountPoint, mounts));
        checkName(universalNameOf(below, mounts));
    }
    const qsizetype lineEnd = bytes.indexOf('\n');
    const QString path = u'/' + QString::fromLocal8Bit(bytes.first(lineEnd < 0 ? 0 : lineEnd));
    checkName(universalNameOf(path, mounts));
    return 0;
}
