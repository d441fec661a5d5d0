// Computer names and the IPv4 address each was found at; the sender looks here first. Shared by
// the router and the sender threads.
//
// Who may tell an address decides how far it is trusted. An answer to our own name query (its
// transaction id checked) is the computer's own claim: it fills or replaces an entry. Any host can
// send a datagram under any source name, so a datagram's source only fills a name not yet known
// and never replaces one: a host cannot take another computer's messages by claiming its name.
// Every entry expires, so a computer that moved is found again, and the table has a fixed size.
// A name nobody answered for is remembered for a while too, so that a stream of datagrams to an
// unknown name costs one name query, not one per datagram.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace pelimo::platform {

class NetbiosNameCache {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::minutes kAnswerLifetime{10};
    static constexpr std::chrono::minutes kDatagramLifetime{5};
    static constexpr std::chrono::seconds kUnresolvedLifetime{30};
    static constexpr std::size_t kMaxNames = 1024;

    // An answer to our name query: fills or replaces the entry.
    void learnFromAnswer(QByteArrayView name, std::uint32_t address,
                         Clock::time_point now = Clock::now());
    // The source of a received datagram: fills the entry only when the name has none.
    void learnFromDatagram(QByteArrayView name, std::uint32_t address,
                           Clock::time_point now = Clock::now());
    // No computer answered our query for the name: it is not queried again for a while. A
    // datagram or an answer may still fill it.
    void learnUnresolved(QByteArrayView name, Clock::time_point now = Clock::now());
    std::optional<std::uint32_t> lookup(QByteArrayView name,
                                        Clock::time_point now = Clock::now()) const;
    bool isUnresolved(QByteArrayView name, Clock::time_point now = Clock::now()) const;
    void clear();

private:
    struct Entry {
        std::optional<std::uint32_t> address;  // nothing: known to be unresolved
        Clock::time_point expiry;
    };
    // The live entry of a name, or nothing; the caller holds mutex_.
    const Entry* liveEntry(const std::string& key, Clock::time_point now) const;
    // Room for one more name: expired entries go first, then (for an answer only) the entry that
    // would expire soonest. False when the table stays full.
    bool makeRoom(Clock::time_point now, bool forAnswer);

    mutable std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;  // by padded upper-case name
};

}  // namespace pelimo::platform
