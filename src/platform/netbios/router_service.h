// The router of this computer for one datagram port: the hub towards the local programs, the
// network intake (the NetBIOS ports, or nmbd's socket beside Samba) and the sender, sharing one
// name cache. The pelimo-router program runs one; tests run one inside their own process. One
// router serves a datagram port and network namespace: a router that finds another to be
// trusted listening does not start.
#pragma once

#include <QByteArray>
#include <chrono>
#include <memory>

#include "platform/mailslot_sender.h"
#include "platform/mailslot_transport_config.h"
#include "platform/netbios/mailslot_router.h"
#include "platform/netbios/netbios_name_cache.h"
#include "platform/netbios/router_hub.h"

namespace pelimo::platform {

class RouterService {
public:
    // `program` is the router's executable, named in the hint a program shows when the ports
    // need a privilege.
    RouterService(MailslotTransportConfig config, NetbiosIdentity identity, QByteArray program);
    ~RouterService();
    RouterService(const RouterService&) = delete;
    RouterService& operator=(const RouterService&) = delete;

    // Listens on a router socket, then starts the intake and the sender: 0, or the errno of the
    // socket (EADDRINUSE: another router serves), and then nothing is started.
    int start();
    // Returns once no program has been connected for `idle`.
    void waitUntilIdle(std::chrono::milliseconds idle) const;
    const RouterHub& hub() const { return *hub_; }
    const MailslotRouter& intake() const { return *intake_; }

private:
    router::IntakeReport intakeReport() const;

    MailslotTransportConfig config_;
    NetbiosIdentity identity_;
    QByteArray program_;
    std::shared_ptr<NetbiosNameCache> names_ = std::make_shared<NetbiosNameCache>();
    std::shared_ptr<RouterHub> hub_;
    std::unique_ptr<MailslotRouter> intake_;
    std::unique_ptr<MailslotSender> sender_;
    RouterStartResult started_;
    QByteArray portHolder_;
};

}  // namespace pelimo::platform
