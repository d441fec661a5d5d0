// Feeds any bytes as nmbd's unexpected-packet stream, cut into two pieces at a point the input
// chooses, and as the kernel's UDP socket table: nothing may crash, every packet must fit one
// datagram, and the cut must not change what is parsed.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/netbios/nbds_datagram.h"
#include "platform/netbios/nmbd_unexpected_reader.h"
#include "platform/udp_port_holder.h"

using namespace pelimo::platform;

namespace {

std::vector<NmbdPacket> parse(QByteArrayView stream, qsizetype cut, bool& failed) {
    NmbdStreamParser parser;
    std::vector<NmbdPacket> packets;
    for (const QByteArrayView piece : {stream.first(cut), stream.sliced(cut)}) {
        parser.feed(piece);
        while (auto packet = parser.next())
            packets.push_back(std::move(*packet));
    }
    failed = parser.failed();
    return packets;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QByteArrayView stream(reinterpret_cast<const char*>(data) + 1,
                                static_cast<qsizetype>(size - 1));
    const qsizetype cut = stream.isEmpty() ? 0 : data[0] % (stream.size() + 1);
    bool failedWhole = false;
    bool failedCut = false;
    const auto whole = parse(stream, 0, failedWhole);
    const auto pieces = parse(stream, cut, failedCut);
    if (whole.size() != pieces.size() || failedWhole != failedCut)
        std::abort();
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (whole[i].datagram != pieces[i].datagram ||
            static_cast<std::size_t>(whole[i].datagram.size()) > nbds::kMaxPacketSize) {
            std::abort();
        }
        decodeMailslotDatagram(whole[i].datagram);
    }
    udpSocketInodes(stream, 138);
    return 0;
}
