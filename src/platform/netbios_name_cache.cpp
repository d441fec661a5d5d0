#include "platform/netbios_name_cache.h"

#include "platform/netbios_name.h"

namespace pelimo::platform {
namespace {

constexpr std::size_t kMaxLearntNames = 4096;

std::string keyOf(QByteArrayView name) {
    return paddedNetbiosName(name).toStdString();
}

}  // namespace

void NetbiosNameCache::learn(QByteArrayView name, std::uint32_t address) {
    if (name.isEmpty())
        return;
    const std::lock_guard lock(mutex_);
    // A flood of invented names must not grow the table without end.
    if (addresses_.size() >= kMaxLearntNames && addresses_.count(keyOf(name)) == 0) {
        addresses_.clear();
    }
    addresses_[keyOf(name)] = address;
}

std::optional<std::uint32_t> NetbiosNameCache::lookup(QByteArrayView name) const {
    const std::lock_guard lock(mutex_);
    const auto found = addresses_.find(keyOf(name));
    if (found == addresses_.end())
        return std::nullopt;
    return found->second;
}

void NetbiosNameCache::clear() {
    const std::lock_guard lock(mutex_);
    addresses_.clear();
}

}  // namespace pelimo::platform
