// Reads any bytes as an nft JSON ruleset and checks that what comes out stays within the limits
// the reader promises: a bounded number of drops, each naming only the NetBIOS ports.
#include <cstdint>
#include <cstdlib>

#include "diagnosis/firewall_rules.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto drops = FirewallRules::netbiosDropsInNftRuleset(bytes)) {
        check(static_cast<int>(drops->size()) <= kFirewallMaxDrops);
        for (const FirewallDrop& drop : *drops) {
            check(!drop.ports.isEmpty() && drop.ports.size() <= 2);
            for (const int port : drop.ports)
                check(port == 137 || port == 138);
            check(drop.verdict == QLatin1String("drop") || drop.verdict == QLatin1String("reject"));
        }
    }
    return 0;
}
