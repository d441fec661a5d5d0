#include "platform/netbios/netbios_name_query.h"

#include "platform/byte_reader.h"

namespace pelimo::platform {
namespace {

constexpr std::uint16_t kOpcodeQuery = 0x0000;
constexpr std::uint16_t kResponseFlags =
    nbns::kFlagResponse | kOpcodeQuery | nbns::kFlagAuthoritative | nbns::kFlagRecursionDesired;

struct Header {
    std::uint16_t transactionId = 0;
    std::uint16_t flags = 0;
    std::uint16_t questions = 0;
    std::uint16_t answers = 0;
    std::uint16_t authorities = 0;
    std::uint16_t additionals = 0;
};

void writeHeader(ByteWriter& out, const Header& header) {
    out.u16be(header.transactionId);
    out.u16be(header.flags);
    out.u16be(header.questions);
    out.u16be(header.answers);
    out.u16be(header.authorities);
    out.u16be(header.additionals);
}

Header readHeader(ByteReader& in) {
    Header header;
    header.transactionId = in.u16be();
    header.flags = in.u16be();
    header.questions = in.u16be();
    header.answers = in.u16be();
    header.authorities = in.u16be();
    header.additionals = in.u16be();
    return header;
}

}  // namespace

QByteArray encodeNameQueryRequest(const NameQueryRequest& request) {
    QByteArray packet;
    ByteWriter out(packet);
    writeHeader(
        out, {.transactionId = request.transactionId,
              .flags = static_cast<std::uint16_t>(kOpcodeQuery | nbns::kFlagRecursionDesired |
                                                  (request.broadcast ? nbns::kFlagBroadcast : 0)),
              .questions = 1});
    out.bytes(encodeNetbiosName(request.name.name, request.name.suffix));
    out.u16be(nbns::kTypeNb);
    out.u16be(nbns::kClassIn);
    return packet;
}

std::optional<NameQueryRequest> decodeNameQueryRequest(QByteArrayView packet) {
    ByteReader in(packet);
    const Header header = readHeader(in);
    if (!in.ok() || (header.flags & nbns::kFlagResponse) != 0 ||
        (header.flags & nbns::kOpcodeMask) != kOpcodeQuery || header.questions != 1) {
        return std::nullopt;
    }
    const auto name = decodeNetbiosName(in);
    const std::uint16_t type = in.u16be();
    const std::uint16_t klass = in.u16be();
    if (!name || !in.ok() || type != nbns::kTypeNb || klass != nbns::kClassIn)
        return std::nullopt;
    return NameQueryRequest{header.transactionId, *name,
                            (header.flags & nbns::kFlagBroadcast) != 0};
}

QByteArray encodePositiveNameQueryResponse(const NameQueryResponse& response) {
    QByteArray packet;
    ByteWriter out(packet);
    writeHeader(out,
                {.transactionId = response.transactionId, .flags = kResponseFlags, .answers = 1});
    out.bytes(encodeNetbiosName(response.name.name, response.name.suffix));
    out.u16be(nbns::kTypeNb);
    out.u16be(nbns::kClassIn);
    out.u32be(response.ttlSeconds);
    out.u16be(static_cast<std::uint16_t>(response.addresses.size() * nbns::kAddressEntrySize));
    for (const NameQueryAddress& entry : response.addresses) {
        out.u16be(entry.group ? nbns::kNbFlagGroup : 0);  // ONT bits 00: B node
        out.u32be(entry.address);
    }
    return packet;
}

std::optional<NameQueryResponse> decodePositiveNameQueryResponse(QByteArrayView packet) {
    ByteReader in(packet);
    const Header header = readHeader(in);
    if (!in.ok() || (header.flags & nbns::kFlagResponse) == 0 ||
        (header.flags & nbns::kOpcodeMask) != kOpcodeQuery ||
        (header.flags & nbns::kRcodeMask) != 0 || header.answers < 1) {
        return std::nullopt;
    }
    NameQueryResponse response;
    response.transactionId = header.transactionId;
    const auto name = decodeNetbiosName(in);
    const std::uint16_t type = in.u16be();
    const std::uint16_t klass = in.u16be();
    response.ttlSeconds = in.u32be();
    const std::uint16_t dataLength = in.u16be();
    if (!name || !in.ok() || type != nbns::kTypeNb || klass != nbns::kClassIn ||
        dataLength < nbns::kAddressEntrySize || dataLength % nbns::kAddressEntrySize != 0) {
        return std::nullopt;
    }
    response.name = *name;
    for (int i = 0; i < dataLength / nbns::kAddressEntrySize; ++i) {
        NameQueryAddress entry;
        entry.group = (in.u16be() & nbns::kNbFlagGroup) != 0;
        entry.address = in.u32be();
        response.addresses.push_back(entry);
    }
    if (!in.ok())
        return std::nullopt;
    return response;
}

}  // namespace pelimo::platform
