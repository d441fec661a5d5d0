// Where the mailslot transport listens and sends. The defaults are the NetBIOS ports of a real
// network; tests and tools move everything to high ports on loopback so nothing leaves the host.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace pelimo::platform {

inline constexpr std::uint16_t kNetbiosDatagramPort = 138;
inline constexpr std::uint16_t kNetbiosNamePort = 137;
inline constexpr int kNameQueryTimeoutMs = 250;
inline constexpr int kRouterRetryIntervalMs = 2000;

struct MailslotTransportConfig {
    // UDP port of the datagram service: the router binds it, datagrams are sent to it.
    std::uint16_t datagramPort = kNetbiosDatagramPort;
    // UDP port of the name service: answered when bound, name queries are sent to it.
    std::uint16_t namePort = kNetbiosNamePort;
    // Address the router and the name service bind ("0.0.0.0" on a network).
    QString bindAddress = QStringLiteral("0.0.0.0");
    // When not empty, these IPv4 addresses replace the broadcast addresses of the interfaces
    // (for name queries and group datagrams); tests give "127.0.0.1".
    QStringList broadcastOverride;
    // Whether unresolved names are looked up with getaddrinfo (hosts file, DNS, mDNS).
    bool useSystemResolver = true;
    // Whether opening the local mailslot also starts the router and the name service.
    bool networkIntake = true;
    // Whether datagrams and name queries are sent on the network at all (local delivery to our
    // own name works either way).
    bool networkSend = true;
    // The workgroup whose datagrams we accept and answer; empty = the configured one.
    QString workgroup;
    // Where nmbd's unexpected-packet socket is, read when the datagram port cannot be bound:
    // unset = from the Samba configuration; empty = never read it.
    std::optional<QString> nmbdUnexpectedSocket;
    int nameQueryTimeoutMs = kNameQueryTimeoutMs;
    int routerRetryIntervalMs = kRouterRetryIntervalMs;
    // How a program gets a router when none runs: it starts the router program, or (tests) runs
    // a router inside its own process.
    enum class RouterStart { Program, InProcess };
    RouterStart routerStart = RouterStart::Program;
    // The router program; empty: the one beside the program, else the installed one.
    QString routerProgram;

    // Everything on 127.0.0.1 at the given ports, no system resolver: nothing leaves the host.
    static MailslotTransportConfig loopback(std::uint16_t datagramPort, std::uint16_t namePort) {
        MailslotTransportConfig config;
        config.datagramPort = datagramPort;
        config.namePort = namePort;
        config.bindAddress = QStringLiteral("127.0.0.1");
        config.broadcastOverride = {QStringLiteral("127.0.0.1")};
        config.useSystemResolver = false;
        config.nmbdUnexpectedSocket = QString();
        config.routerStart = RouterStart::InProcess;
        return config;
    }
    // No intake and nothing sent on the network (only local delivery to our own name): for
    // tests of other subsystems that send but never look at the network.
    static MailslotTransportConfig offline() {
        MailslotTransportConfig config = loopback(0, 0);
        config.networkIntake = false;
        config.networkSend = false;
        return config;
    }
};

}  // namespace pelimo::platform
