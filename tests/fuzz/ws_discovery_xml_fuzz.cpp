// Parses any bytes as a WS-Discovery answer and as device metadata, and checks that what comes
// out stays within the limits the readers promise.
#include <cstdint>
#include <cstdlib>

#include "addressbook/ws_discovery_xml.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto reply = WsDiscoveryXml::parseReply(bytes)) {
        check(static_cast<int>(reply->matches.size()) <= kWsdMaxMatches);
        check(reply->relatesTo.size() <= kWsdMaxField);
        for (const WsdMatch& match : reply->matches) {
            check(match.endpoint.size() <= kWsdMaxField);
            check(match.xaddrs.size() <= kWsdMaxMatches && match.types.size() <= kWsdMaxMatches);
        }
    }
    if (const auto computer = WsDiscoveryXml::parseMetadata(bytes)) {
        check(!computer->name.isEmpty() && computer->name.size() <= kWsdMaxField);
        check(!computer->name.contains(u'/') && computer->group.size() <= kWsdMaxField);
    }
    return 0;
}
