#include "platform/netbios/netbios_name_cache.h"

#include <algorithm>

#include "platform/netbios/netbios_name.h"

namespace pelimo::platform {
namespace {

std::string keyOf(QByteArrayView name) {
    return paddedNetbiosName(name).toStdString();
}

}  // namespace

bool NetbiosNameCache::makeRoom(Clock::time_point now, bool forAnswer) {
    if (entries_.size() < kMaxNames)
        return true;
    std::erase_if(entries_, [now](const auto& item) { return item.second.expiry <= now; });
    if (entries_.size() < kMaxNames)
        return true;
    // A flood of invented names fills the table with datagram entries; they never push out what
    // an answer told, but an answer pushes out the entry closest to its end.
    if (!forAnswer)
        return false;
    const auto soonest =
        std::min_element(entries_.begin(), entries_.end(), [](const auto& left, const auto& right) {
            return left.second.expiry < right.second.expiry;
        });
    entries_.erase(soonest);
    return true;
}

void NetbiosNameCache::learnFromAnswer(QByteArrayView name, std::uint32_t address,
                                       Clock::time_point now) {
    if (name.isEmpty())
        return;
    const std::lock_guard lock(mutex_);
    const std::string key = keyOf(name);
    if (entries_.count(key) == 0 && !makeRoom(now, true))
        return;
    entries_[key] = {address, now + kAnswerLifetime};
}

void NetbiosNameCache::learnFromDatagram(QByteArrayView name, std::uint32_t address,
                                         Clock::time_point now) {
    if (name.isEmpty())
        return;
    const std::lock_guard lock(mutex_);
    const std::string key = keyOf(name);
    const Entry* live = liveEntry(key, now);
    if (live != nullptr && live->address)
        return;
    if (entries_.count(key) == 0 && !makeRoom(now, false))
        return;
    entries_[key] = {address, now + kDatagramLifetime};
}

void NetbiosNameCache::learnUnresolved(QByteArrayView name, Clock::time_point now) {
    if (name.isEmpty())
        return;
    const std::lock_guard lock(mutex_);
    const std::string key = keyOf(name);
    if (liveEntry(key, now) != nullptr)
        return;
    if (entries_.count(key) == 0 && !makeRoom(now, false))
        return;
    entries_[key] = {std::nullopt, now + kUnresolvedLifetime};
}

const NetbiosNameCache::Entry* NetbiosNameCache::liveEntry(const std::string& key,
                                                           Clock::time_point now) const {
    const auto found = entries_.find(key);
    if (found == entries_.end() || found->second.expiry <= now)
        return nullptr;
    return &found->second;
}

std::optional<std::uint32_t> NetbiosNameCache::lookup(QByteArrayView name,
                                                      Clock::time_point now) const {
    const std::lock_guard lock(mutex_);
    const Entry* live = liveEntry(keyOf(name), now);
    return live != nullptr ? live->address : std::nullopt;
}

bool NetbiosNameCache::isUnresolved(QByteArrayView name, Clock::time_point now) const {
    const std::lock_guard lock(mutex_);
    const Entry* live = liveEntry(keyOf(name), now);
    return live != nullptr && !live->address;
}

void NetbiosNameCache::clear() {
    const std::lock_guard lock(mutex_);
    entries_.clear();
}

}  // namespace pelimo::platform
