#include "platform/duplicate_datagram_filter.h"

#include <algorithm>

namespace pelimo::platform {

bool DuplicateDatagramFilter::isDuplicate(std::uint32_t sourceIp, std::uint16_t datagramId,
                                          QByteArrayView datagram, Clock::time_point now) {
    while (!seen_.empty() && (now - seen_.front().time > kWindow || seen_.size() >= kMaxRemembered))
        seen_.pop_front();
    const bool repeated = std::any_of(seen_.begin(), seen_.end(), [&](const Seen& seen) {
        return seen.sourceIp == sourceIp && seen.datagramId == datagramId && seen.bytes == datagram;
    });
    if (!repeated)
        seen_.push_back({now, sourceIp, datagramId, datagram.toByteArray()});
    return repeated;
}

}  // namespace pelimo::platform
