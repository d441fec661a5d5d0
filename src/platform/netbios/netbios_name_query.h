// NetBIOS name service packets (RFC 1002 4.2.12 and 4.2.13): the broadcast NAME QUERY REQUEST a
// sender uses to find a computer, and the POSITIVE NAME QUERY RESPONSE that answers it.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/netbios/netbios_name.h"

namespace pelimo::platform {

namespace nbns {
inline constexpr std::uint16_t kFlagResponse = 0x8000;
inline constexpr std::uint16_t kOpcodeMask = 0x7800;
inline constexpr std::uint16_t kFlagAuthoritative = 0x0400;
inline constexpr std::uint16_t kFlagRecursionDesired = 0x0100;
inline constexpr std::uint16_t kFlagBroadcast = 0x0010;
inline constexpr std::uint16_t kRcodeMask = 0x000F;
inline constexpr std::uint16_t kTypeNb = 0x0020;
inline constexpr std::uint16_t kClassIn = 0x0001;
inline constexpr std::uint16_t kNbFlagGroup = 0x8000;
inline constexpr std::uint32_t kDefaultTtlSeconds = 300000;
inline constexpr int kAddressEntrySize = 6;  // NB_FLAGS + NB_ADDRESS
}  // namespace nbns

struct NameQueryRequest {
    std::uint16_t transactionId = 0;
    NetbiosName name;
    bool broadcast = true;
    bool operator==(const NameQueryRequest&) const = default;
};

struct NameQueryAddress {
    bool group = false;
    std::uint32_t address = 0;  // host order
    bool operator==(const NameQueryAddress&) const = default;
};

struct NameQueryResponse {
    std::uint16_t transactionId = 0;
    NetbiosName name;
    std::uint32_t ttlSeconds = nbns::kDefaultTtlSeconds;
    std::vector<NameQueryAddress> addresses;
    bool operator==(const NameQueryResponse&) const = default;
};

QByteArray encodeNameQueryRequest(const NameQueryRequest& request);
// Nothing unless the packet is a well-formed name query request with one NB question.
std::optional<NameQueryRequest> decodeNameQueryRequest(QByteArrayView packet);

QByteArray encodePositiveNameQueryResponse(const NameQueryResponse& response);
// Nothing unless the packet is a positive name query response with at least one NB address.
std::optional<NameQueryResponse> decodePositiveNameQueryResponse(QByteArrayView packet);

}  // namespace pelimo::platform
