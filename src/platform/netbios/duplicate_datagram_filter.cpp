#include "platform/netbios/duplicate_datagram_filter.h"

#include <QCryptographicHash>

#include <algorithm>

namespace pelimo::platform {

bool DuplicateDatagramFilter::isDuplicate(std::uint32_t sourceIp, std::uint16_t datagramId,
                                          QByteArrayView datagram, Clock::time_point now) {
    while (!seen_.empty() && (now - seen_.front().time > kWindow || seen_.size() >= kMaxRemembered))
        seen_.pop_front();
    // A digest stands for the bytes: remembering a thousand datagrams of 64 KB whole would hold
    // 64 MB. A cryptographic one, so that no host can make another's datagram look like a copy.
    const QByteArray digest = QCryptographicHash::hash(datagram, QCryptographicHash::Sha256);
    const bool repeated = std::any_of(seen_.begin(), seen_.end(), [&](const Seen& seen) {
        return seen.sourceIp == sourceIp && seen.datagramId == datagramId && seen.digest == digest;
    });
    if (!repeated)
        seen_.push_back({now, sourceIp, datagramId, digest});
    return repeated;
}

}  // namespace pelimo::platform
