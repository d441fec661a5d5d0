// Recognises the second copy of a datagram: nmbd passes a group datagram on twice (it reads it on
// its broadcast and on its wildcard socket), and a broadcast that the sender wrote on each of its
// interfaces arrives once per interface. A copy has the same source address, datagram id and
// bytes as one seen within the last two seconds.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>

namespace pelimo::platform {

class DuplicateDatagramFilter {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kWindow{2000};
    // Remembered datagrams at most; the oldest are forgotten first.
    static constexpr std::size_t kMaxRemembered = 1024;

    // True when the datagram repeats one seen within the window; otherwise it is remembered.
    bool isDuplicate(std::uint32_t sourceIp, std::uint16_t datagramId, QByteArrayView datagram,
                     Clock::time_point now);

private:
    struct Seen {
        Clock::time_point time;
        std::uint32_t sourceIp;
        std::uint16_t datagramId;
        QByteArray digest;  // of the whole datagram
    };
    std::deque<Seen> seen_;
};

}  // namespace pelimo::platform
