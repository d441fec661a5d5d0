// Empties the local mailslot on a thread of its own as fast as datagrams come, into a queue in
// memory, and hands them out in arrival order. The socket behind the mailslot holds only a few
// datagrams (net.unix.max_dgram_qlen, 10 by default), so without this its writers would be held
// up between two scans of the receive loop.
#pragma once

#include <QByteArray>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace pelimo::platform {

class MailslotReader {
public:
    // Reads `handle` (a mailslot from createLocalMailslot) until stopped; the handle stays ours
    // to close, after the reader.
    explicit MailslotReader(int handle, std::size_t maxQueuedBytes = kDefaultMaxQueuedBytes);
    ~MailslotReader();
    MailslotReader(const MailslotReader&) = delete;
    MailslotReader& operator=(const MailslotReader&) = delete;

    // The oldest datagram read (a zero-length one is a datagram too), else the next one still in
    // the socket; nothing when neither holds one.
    std::optional<QByteArray> take();
    // Datagrams dropped because the queue was full.
    std::uint64_t dropped() const { return dropped_.load(); }

    static constexpr std::size_t kDefaultMaxQueuedBytes = 64 * 1024 * 1024;

private:
    void run();
    // Moves what the socket holds (up to a few hundred datagrams) into the queue; the caller
    // holds mutex_.
    void readAvailable();

    int handle_;
    std::size_t maxQueuedBytes_;
    int wakeFd_ = -1;
    std::mutex mutex_;
    std::deque<QByteArray> queue_;
    std::size_t queuedBytes_ = 0;
    std::atomic<std::uint64_t> dropped_{0};
    std::thread thread_;
};

}  // namespace pelimo::platform
