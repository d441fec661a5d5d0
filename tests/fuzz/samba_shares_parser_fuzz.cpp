// Parses any bytes as a Samba configuration and as a usershare listing, and checks that every
// share read is one a client could be sent to.
#include <cstdint>
#include <cstdlib>

#include "platform/samba_shares.h"

using namespace pelimo::platform;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const SambaShare& share : parseSambaShares(bytes)) {
        check(!share.name.isEmpty() && share.pathReadable);
        check(share.name.compare(u"global", Qt::CaseInsensitive) != 0);
        check((share.type & ~kShareTypeSpecial) <= kShareTypeIpc);
        if ((share.type & ~kShareTypeSpecial) == kShareTypeDiskTree) {
            check(!share.path.isEmpty());
        }
        check(share.maxUses == kShareUsesUnlimited || share.maxUses > 0);
    }
    const UsershareListing listing{bytes.toByteArray(), bytes.toByteArray()};
    for (const SambaShare& share : parseUsershareListing(listing)) {
        check(!share.name.isEmpty() && share.type == kShareTypeDiskTree);
        check(share.pathReadable != share.path.isEmpty());
    }
    return 0;
}
