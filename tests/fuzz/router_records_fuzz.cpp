// Decodes any bytes as a record a program sends the router and as one the router sends a program;
// whatever decodes must encode again into bytes that decode to the same record.
#include <cstdint>
#include <cstdlib>

#include "platform/netbios/router_protocol.h"

using namespace pelimo::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto record = router::decodeProgramRecord(bytes)) {
        if (router::decodeProgramRecord(router::encodeProgramRecord(*record)) != record)
            std::abort();
    }
    if (const auto record = router::decodeRouterRecord(bytes)) {
        if (router::decodeRouterRecord(router::encodeRouterRecord(*record)) != record)
            std::abort();
    }
    return 0;
}
