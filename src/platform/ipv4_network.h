// The IPv4 side of the NetBIOS services: UDP sockets, the broadcast addresses of the interfaces,
// the source address towards a destination and the system resolver. Addresses are in host order.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace pelimo::platform {

struct Ipv4Interface {
    std::uint32_t address = 0;
    std::uint32_t broadcast = 0;
};

// Every up, broadcast-capable, non-loopback IPv4 interface.
std::vector<Ipv4Interface> broadcastInterfaces();

std::optional<std::uint32_t> parseIpv4(const QString& text);
QString ipv4Text(std::uint32_t address);

// Whether `address` is one host of a network this host is directly attached to (an up
// interface's subnet, or loopback): a datagram to it never goes through a router, and it is not
// the subnet's broadcast or network address.
bool isOnLinkHost(std::uint32_t address);

// The local address the system would send from to reach `destination`.
std::optional<std::uint32_t> sourceAddressFor(std::uint32_t destination);

struct UdpOpenResult {
    int socket = -1;
    int error = 0;  // errno of the failed step
};

// A non-blocking UDP socket bound to address:port (port 0: any free port), without SO_REUSEADDR
// so only one process holds a port. `broadcast` allows sending to broadcast addresses.
UdpOpenResult openUdpSocket(std::uint32_t address, std::uint16_t port, bool broadcast);

bool sendUdp(int socket, std::uint32_t address, std::uint16_t port, QByteArrayView packet);

// The IPv4 addresses getaddrinfo gives for a host name (hosts file, DNS, mDNS).
std::vector<std::uint32_t> resolveWithSystem(const QString& hostName);

}  // namespace pelimo::platform
