#include "platform/ipv4_network.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pelimo::platform {
namespace {

constexpr int kSendBufferWaitMs = 1000;
constexpr std::uint32_t kLoopbackNetwork = 0x7F000000;
constexpr std::uint32_t kLoopbackMask = 0xFF000000;

std::uint32_t hostOrder(const sockaddr* address) {
    return ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

sockaddr_in socketAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in result;
    std::memset(&result, 0, sizeof result);
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = htonl(address);
    result.sin_port = htons(port);
    return result;
}

}  // namespace

std::vector<Ipv4Interface> broadcastInterfaces() {
    std::vector<Ipv4Interface> result;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return result;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        const unsigned flags = entry->ifa_flags;
        if ((flags & IFF_UP) == 0 || (flags & IFF_BROADCAST) == 0 || (flags & IFF_LOOPBACK) != 0 ||
            entry->ifa_broadaddr == nullptr) {
            continue;
        }
        Ipv4Interface item;
        item.address = hostOrder(entry->ifa_addr);
        item.broadcast = hostOrder(entry->ifa_broadaddr);
        bool known = false;
        for (const Ipv4Interface& other : result)
            known = known || other.broadcast == item.broadcast;
        if (!known)
            result.push_back(item);
    }
    freeifaddrs(list);
    return result;
}

bool isOnLinkHost(std::uint32_t address) {
    if ((address & kLoopbackMask) == kLoopbackNetwork)
        return true;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return false;
    bool onLink = false;
    for (const ifaddrs* entry = list; entry != nullptr && !onLink; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            entry->ifa_netmask == nullptr || (entry->ifa_flags & IFF_UP) == 0) {
            continue;
        }
        const std::uint32_t mask = hostOrder(entry->ifa_netmask);
        const std::uint32_t network = hostOrder(entry->ifa_addr) & mask;
        // On /31 and /32 links both addresses are hosts (RFC 3021).
        const bool hostsOnly = (~mask) <= 1;
        onLink = (address & mask) == network &&
                 (hostsOnly || (address != network && address != (network | ~mask)));
    }
    freeifaddrs(list);
    return onLink;
}

std::optional<std::uint32_t> parseIpv4(const QString& text) {
    in_addr address;
    if (inet_pton(AF_INET, text.toLatin1().constData(), &address) != 1)
        return std::nullopt;
    return ntohl(address.s_addr);
}

QString ipv4Text(std::uint32_t address) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg(address >> 16 & 0xFF)
        .arg(address >> 8 & 0xFF)
        .arg(address & 0xFF);
}

std::optional<std::uint32_t> sourceAddressFor(std::uint32_t destination) {
    const int probe = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return std::nullopt;
    const int on = 1;
    setsockopt(probe, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    // Connecting a UDP socket sends nothing; it only picks the route and the source address.
    const sockaddr_in target = socketAddress(destination, 9);
    std::optional<std::uint32_t> result;
    sockaddr_in local;
    socklen_t length = sizeof local;
    if (::connect(probe, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
        result = ntohl(local.sin_addr.s_addr);
    }
    ::close(probe);
    return result;
}

UdpOpenResult openUdpSocket(std::uint32_t address, std::uint16_t port, bool broadcast) {
    UdpOpenResult result;
    const int handle = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (handle < 0) {
        result.error = errno;
        return result;
    }
    const int on = 1;
    if (broadcast)
        setsockopt(handle, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    const sockaddr_in local = socketAddress(address, port);
    if (::bind(handle, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        result.error = errno;
        ::close(handle);
        return result;
    }
    result.socket = handle;
    return result;
}

bool sendUdp(int socket, std::uint32_t address, std::uint16_t port, QByteArrayView packet) {
    const sockaddr_in target = socketAddress(address, port);
    for (;;) {
        const ssize_t sent =
            ::sendto(socket, packet.data(), static_cast<std::size_t>(packet.size()), MSG_NOSIGNAL,
                     reinterpret_cast<const sockaddr*>(&target), sizeof target);
        if (sent >= 0)
            return true;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // A full send buffer drains in microseconds; wait for it rather than lose the datagram.
            pollfd writable{socket, POLLOUT, 0};
            if (::poll(&writable, 1, kSendBufferWaitMs) <= 0)
                return false;
            continue;
        }
        if (errno != EINTR)
            return false;
    }
}

std::vector<std::uint32_t> resolveWithSystem(const QString& hostName) {
    std::vector<std::uint32_t> result;
    if (hostName.isEmpty())
        return result;
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(hostName.toLocal8Bit().constData(), nullptr, &hints, &list) != 0)
        return result;
    for (const addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET)
            continue;
        result.push_back(
            ntohl(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr));
    }
    freeaddrinfo(list);
    return result;
}

}  // namespace pelimo::platform
