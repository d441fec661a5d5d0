// Decodes any bytes as a NetBIOS mailslot datagram, as name service packets and as a local
// mailslot envelope; whatever decodes must encode again into bytes that decode to the same value.
#include <cstdint>
#include <cstdlib>

#include "platform/mailslot_envelope.h"
#include "platform/netbios/nbds_datagram.h"
#include "platform/netbios/netbios_name_query.h"

using namespace pelimo::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView packet(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const DatagramDecodeResult decoded = decodeMailslotDatagram(packet);
    if (decoded.datagram.has_value() != (decoded.error == DatagramError::None))
        std::abort();
    if (decoded.datagram) {
        const MailslotDatagram& datagram = *decoded.datagram;
        if (datagram.data.isEmpty() || mailslotChannelOf(datagram.mailslotName).isNull()) {
            std::abort();
        }
        const QByteArray again = encodeMailslotDatagram(datagram);
        const DatagramDecodeResult redecoded = decodeMailslotDatagram(again);
        if (!redecoded.datagram || !(*redecoded.datagram == datagram))
            std::abort();
    }

    if (const auto request = decodeNameQueryRequest(packet)) {
        if (decodeNameQueryRequest(encodeNameQueryRequest(*request)) != request)
            std::abort();
    }
    if (const auto response = decodePositiveNameQueryResponse(packet)) {
        if (response->addresses.empty())
            std::abort();
        if (decodePositiveNameQueryResponse(encodePositiveNameQueryResponse(*response)) !=
            response) {
            std::abort();
        }
    }
    if (const auto envelope = decodeMailslotEnvelope(packet)) {
        const QByteArray again = encodeMailslotEnvelope(envelope->origin, envelope->message);
        if (again != packet.toByteArray() || decodeMailslotEnvelope(again) != envelope)
            std::abort();
    }
    return 0;
}
