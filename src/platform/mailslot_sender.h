// Writes mailslot datagrams in the order they were queued, on a thread of its own, so the caller
// never waits for the network. A computer name resolves through the names learnt from received
// datagrams, one NetBIOS name query (250 ms), then the system resolver; an unresolved name, our
// workgroup and "*" go to the broadcast address of every up, broadcast-capable IPv4 interface.
// A datagram to our own computer name is delivered to the local mailslot directly.
#pragma once

#include <QByteArray>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/mailslot_transport_config.h"
#include "platform/netbios_name_cache.h"

namespace pelimo::platform {

struct OutgoingMailslotMessage {
    QByteArray sender;           // ANSI: source name and first field
    QByteArray addressee;        // ANSI: computer, workgroup or "*"
    QByteArray channel;          // ANSI: the mailslot name after \MAILSLOT\ .
    QByteArray message;          // the whole mailslot message (the three NUL-terminated fields)
    QByteArray ownComputerName;  // writing to this name delivers locally
};

// The workgroup, asked for only when first needed (reading the network configuration may take a
// moment, which the sender thread can afford and the window thread cannot).
using WorkgroupSource = std::function<QByteArray()>;

class MailslotSender {
public:
    MailslotSender(MailslotTransportConfig config, WorkgroupSource workgroup,
                   std::shared_ptr<NetbiosNameCache> names);
    ~MailslotSender();  // gives queued datagrams a short time to go out, then stops
    MailslotSender(const MailslotSender&) = delete;
    MailslotSender& operator=(const MailslotSender&) = delete;

    void enqueue(OutgoingMailslotMessage message);
    // Waits until everything queued has been written; false on timeout.
    bool flush(int timeoutMs);

private:
    struct Worker;
    void run();

    MailslotTransportConfig config_;
    WorkgroupSource workgroupSource_;
    std::shared_ptr<NetbiosNameCache> names_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<OutgoingMailslotMessage> queue_;
    bool busy_ = false;
    bool localPending_ = false;  // messages held back for a full local mailslot
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace pelimo::platform
