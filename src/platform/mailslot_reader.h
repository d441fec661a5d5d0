// Empties the local mailslot on a thread of its own as fast as datagrams come, into a queue in
// memory, and hands them out in arrival order. The socket behind the mailslot holds only a few
// datagrams (net.unix.max_dgram_qlen, 10 by default), so without this its writers would be held
// up between two scans of the receive loop. A message without a well-formed envelope is dropped.
#pragma once

#include <QByteArray>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/mailslot_envelope.h"

namespace pelimo::platform {

class MailslotReader {
public:
    // Reads `handle` (a mailslot from createLocalMailslot) until stopped; the handle stays ours
    // to close, after the reader.
    explicit MailslotReader(int handle, std::size_t maxQueuedBytes = kDefaultMaxQueuedBytes);
    ~MailslotReader();
    MailslotReader(const MailslotReader&) = delete;
    MailslotReader& operator=(const MailslotReader&) = delete;

    // The oldest message read (a zero-length one is a message too), else the next one still in
    // the socket; nothing when neither holds one.
    std::optional<EnvelopedMessage> take();
    // Messages dropped because the queue was full.
    std::uint64_t dropped() const { return dropped_.load(); }
    // Messages dropped because they had no well-formed envelope.
    std::uint64_t malformed() const { return malformed_.load(); }

    // Room for some twenty thousand short messages, or some sixty of the largest.
    static constexpr std::size_t kDefaultMaxQueuedBytes = 4 * 1024 * 1024;

private:
    void run();
    // Moves what the socket holds (up to a few hundred datagrams) into the queue; the caller
    // holds mutex_.
    void readAvailable();

    int handle_;
    std::size_t maxQueuedBytes_;
    int wakeFd_ = -1;
    std::mutex mutex_;
    std::deque<EnvelopedMessage> queue_;
    std::size_t queuedBytes_ = 0;
    std::atomic<std::uint64_t> dropped_{0};
    std::atomic<std::uint64_t> malformed_{0};
    std::thread thread_;
};

}  // namespace pelimo::platform
