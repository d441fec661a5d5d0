// The network intake of the host. The first process that binds the datagram port (UDP 138)
// delivers every valid mailslot write addressed to one of our names to the local mailslot of that
// name, whichever process owns it; the others retry on a timer and take over when it exits. The
// same thread answers NetBIOS name queries for our computer name (UDP 137). Where Samba's nmbd
// holds the datagram port, the router reads nmbd's unexpected-packet socket instead and leaves name
// queries to nmbd. One process per host routes (an abstract socket is its lock), second copies of
// a datagram are dropped, and it never blocks on a full local mailslot or sends anything
// unsolicited. Where the datagrams go is its deliverer's business: the local mailslot sockets, or
// the programs connected to the router program (RouterHub), which also name the users whose
// login names count as ours.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "platform/mailslot_deliverer.h"
#include "platform/mailslot_transport_config.h"
#include "platform/netbios/netbios_name.h"
#include "platform/netbios/netbios_name_cache.h"

namespace pelimo::platform {

struct NetbiosIdentity {
    QByteArray computerName;  // ANSI, as on the wire before padding
    QByteArray workgroup;
};

struct RouterStartResult {
    bool datagramPortBound = false;
    bool namePortBound = false;
    // A port could not be bound for lack of privilege (ports below 1024 need
    // CAP_NET_BIND_SERVICE).
    bool permissionDenied = false;
    // The datagram port could not be bound (errno), and nmbd's socket is read instead.
    int datagramPortError = 0;
    bool readingNmbd = false;
    // Why nmbd's socket could not be read (errno; 0 when it was not tried or is read).
    int nmbdError = 0;
    QString nmbdSocketPath;
    // Another process of this host routes already: nothing to report.
    bool anotherRouter = false;
};

struct RouterCounters {
    std::atomic<std::uint64_t> delivered{0};  // written to (or held back for) a local mailslot
    std::atomic<std::uint64_t> dropped{0};    // malformed, not ours, or no such mailslot
    // Ours but lost: the socket buffer overflowed, or the local mailslot could not take them.
    std::atomic<std::uint64_t> lost{0};
    std::atomic<std::uint64_t> nameQueriesAnswered{0};
    std::atomic<std::uint64_t> duplicates{0};  // second copies of a datagram, dropped
};

// What the owner of a router decides for it.
struct MailslotRouterHooks {
    // Where datagrams go; the local mailslot sockets when not set.
    std::shared_ptr<MailslotDeliverer> deliverer;
    // Whether a destination name is the login name of a user of this computer.
    std::function<bool(QByteArrayView name)> isLocalUser;
    // Whether to take the host's router lock (the owner may hold one of its own).
    bool hostLock = true;
};

class MailslotRouter {
public:
    using Hooks = MailslotRouterHooks;

    MailslotRouter(MailslotTransportConfig config, NetbiosIdentity identity,
                   std::shared_ptr<NetbiosNameCache> names, Hooks hooks = {});
    ~MailslotRouter();
    MailslotRouter(const MailslotRouter&) = delete;
    MailslotRouter& operator=(const MailslotRouter&) = delete;

    // Tries both ports once, here, then keeps serving (and retrying) on the router's thread.
    RouterStartResult start();
    void stop();

    bool isRouting() const { return datagramBound_.load(); }
    bool isAnsweringNames() const { return nameBound_.load(); }
    bool isReadingNmbd() const { return readingNmbd_.load(); }
    const RouterCounters& counters() const { return counters_; }
    // Datagrams lost after the host accepted them or on their way in: socket overflows and
    // failed deliveries to the local mailslot.
    std::uint64_t lostDatagrams() const { return counters_.lost.load() + overflowed_.load(); }
    // Datagrams read from the network but not yet written into a local mailslot, plus whether the
    // datagram socket still holds some: zero when the router has nothing more to hand on.
    std::size_t backlog() const { return backlog_.load(); }
    // The datagram socket's receive buffer as the kernel granted it (0 before it is bound).
    int receiveBufferBytes() const { return receiveBuffer_.load(); }

private:
    struct Sockets;
    void run();
    RouterStartResult tryBind();
    void tryNmbd(RouterStartResult& result);
    // Delivers one received NBDS datagram that came from `peer` (host order) and `port`.
    void route(QByteArrayView packet, std::uint32_t peer, std::uint16_t port);
    bool isOurDestination(const NetbiosName& destination) const;

    MailslotTransportConfig config_;
    NetbiosIdentity identity_;
    std::shared_ptr<NetbiosNameCache> names_;
    Hooks hooks_;
    std::unique_ptr<Sockets> sockets_;
    std::atomic<bool> datagramBound_{false};
    std::atomic<bool> nameBound_{false};
    std::atomic<bool> readingNmbd_{false};
    RouterCounters counters_;
    std::atomic<std::uint64_t> overflowed_{0};
    std::atomic<std::size_t> backlog_{0};
    std::atomic<int> receiveBuffer_{0};
    int wakeFd_ = -1;
    std::thread thread_;
};

}  // namespace pelimo::platform
