// Writes mailslot datagrams in the order they were queued, on a thread of its own, so the caller
// never waits for the network. A computer name resolves as computer_name_resolver.h says (a name
// from the network by NetBIOS only); an unresolved name, our workgroup and "*" go to the
// broadcast address of every up, broadcast-capable IPv4 interface. An answer to a datagram goes
// to the address that datagram came from, and only when that is a host of a network we are
// attached to. A datagram to our own computer name is delivered to the local mailslot directly.
// The queue is bounded in messages and bytes: what does not fit is dropped and counted.
#pragma once

#include <QByteArray>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/computer_name_resolver.h"
#include "platform/mailslot_deliverer.h"
#include "platform/mailslot_transport_config.h"
#include "platform/netbios/netbios_name_cache.h"

namespace pelimo::platform {

struct OutgoingMailslotMessage {
    QByteArray sender;           // ANSI: source name and first field
    QByteArray addressee;        // ANSI: computer, workgroup or "*"
    QByteArray channel;          // ANSI: the mailslot name after \MAILSLOT\ .
    QByteArray message;          // the whole mailslot message (the three NUL-terminated fields)
    QByteArray ownComputerName;  // writing to this name delivers locally
    NameSource addresseeSource = NameSource::Typed;
    // Set for an answer: the address the datagram answered came from; no name is looked up.
    std::optional<std::uint32_t> destinationAddress;
    bool operator==(const OutgoingMailslotMessage&) const = default;
};

// The workgroup, asked for only when first needed (reading the network configuration may take a
// moment, which the sender thread can afford and the window thread cannot).
using WorkgroupSource = std::function<QByteArray()>;

class MailslotSender {
public:
    // `local` takes the datagrams to our own computer name; the local mailslot sockets when not
    // set.
    MailslotSender(MailslotTransportConfig config, WorkgroupSource workgroup,
                   std::shared_ptr<NetbiosNameCache> names,
                   std::shared_ptr<MailslotDeliverer> local = nullptr);
    ~MailslotSender();  // gives queued datagrams a short time to go out, then stops
    MailslotSender(const MailslotSender&) = delete;
    MailslotSender& operator=(const MailslotSender&) = delete;

    // False when the queue is full and the message was dropped.
    bool enqueue(OutgoingMailslotMessage message);
    // Waits until everything queued has been written; false on timeout.
    bool flush(int timeoutMs);
    // Whether everything queued has been written.
    bool isIdle();
    // Messages dropped because the queue was full, and answers not sent because the address
    // they were for is not on a network we are attached to.
    std::uint64_t dropped() const { return dropped_.load(); }
    std::uint64_t refused() const { return refused_.load(); }

    static constexpr std::size_t kMaxQueuedMessages = 4096;
    static constexpr std::size_t kMaxQueuedBytes = 8 * 1024 * 1024;

private:
    struct Worker;
    void run();

    MailslotTransportConfig config_;
    WorkgroupSource workgroupSource_;
    std::shared_ptr<NetbiosNameCache> names_;
    std::shared_ptr<MailslotDeliverer> local_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<OutgoingMailslotMessage> queue_;
    std::size_t queuedBytes_ = 0;
    std::atomic<std::uint64_t> dropped_{0};
    std::atomic<std::uint64_t> refused_{0};
    bool busy_ = false;
    bool localPending_ = false;  // messages held back for a full local mailslot
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace pelimo::platform
