// Computer names learnt from received datagrams and name query answers, with the address they came
// from; the sender looks here first. Shared by the router and the sender threads.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace pelimo::platform {

class NetbiosNameCache {
public:
    void learn(QByteArrayView name, std::uint32_t address);
    std::optional<std::uint32_t> lookup(QByteArrayView name) const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::uint32_t> addresses_;  // by padded upper-case name
};

}  // namespace pelimo::platform
