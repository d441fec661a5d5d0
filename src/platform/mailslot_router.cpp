#include "platform/mailslot_router.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/ipv4_network.h"
#include "platform/local_mailslot.h"
#include "platform/nbds_datagram.h"
#include "platform/netbios_name_query.h"

namespace pelimo::platform {
namespace {

constexpr int kPendingRetryMs = 5;
// Packets handled per socket per wake-up, so one busy socket cannot starve the other.
constexpr int kPacketsPerRound = 64;

using Clock = std::chrono::steady_clock;

// Room for a burst of datagrams while the thread is busy delivering the previous ones.
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

void enlargeReceiveBuffer(int socket) {
    if (socket < 0)
        return;
    const int size = kReceiveBufferBytes;
    if (setsockopt(socket, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0) {
        setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }
}

bool isPermissionError(int error) {
    return error == EACCES || error == EPERM;
}

std::uint32_t bindAddressOf(const MailslotTransportConfig& config) {
    return parseIpv4(config.bindAddress).value_or(INADDR_ANY);
}

}  // namespace

struct MailslotRouter::Sockets {
    int datagram = -1;
    int name = -1;
    LocalMailslotWriter writer;
    ~Sockets() {
        if (datagram >= 0)
            ::close(datagram);
        if (name >= 0)
            ::close(name);
    }
};

MailslotRouter::MailslotRouter(MailslotTransportConfig config, NetbiosIdentity identity,
                               std::shared_ptr<NetbiosNameCache> names)
    : config_(std::move(config)),
      identity_(std::move(identity)),
      names_(std::move(names)),
      sockets_(std::make_unique<Sockets>()) {}

MailslotRouter::~MailslotRouter() {
    stop();
}

RouterStartResult MailslotRouter::tryBind() {
    RouterStartResult result;
    const std::uint32_t address = bindAddressOf(config_);
    if (sockets_->datagram < 0) {
        const UdpOpenResult opened = openUdpSocket(address, config_.datagramPort, false);
        sockets_->datagram = opened.socket;
        enlargeReceiveBuffer(opened.socket);
        result.permissionDenied = result.permissionDenied || isPermissionError(opened.error);
    }
    if (sockets_->name < 0) {
        const UdpOpenResult opened = openUdpSocket(address, config_.namePort, false);
        sockets_->name = opened.socket;
        result.permissionDenied = result.permissionDenied || isPermissionError(opened.error);
    }
    result.datagramPortBound = sockets_->datagram >= 0;
    result.namePortBound = sockets_->name >= 0;
    datagramBound_ = result.datagramPortBound;
    nameBound_ = result.namePortBound;
    return result;
}

RouterStartResult MailslotRouter::start() {
    if (thread_.joinable()) {
        return {datagramBound_.load(), nameBound_.load(), false};
    }
    const RouterStartResult result = tryBind();
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    thread_ = std::thread([this] { run(); });
    return result;
}

void MailslotRouter::stop() {
    if (!thread_.joinable())
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
    thread_.join();
    ::close(wakeFd_);
    wakeFd_ = -1;
    sockets_ = std::make_unique<Sockets>();
    datagramBound_ = false;
    nameBound_ = false;
}

namespace {

bool isOurDestination(const NetbiosName& destination, const NetbiosIdentity& identity) {
    if (sameNetbiosName(destination.name, identity.computerName)) {
        return destination.suffix == kSuffixWorkstation || destination.suffix == kSuffixMessenger;
    }
    return destination.suffix == kSuffixWorkstation &&
           sameNetbiosName(destination.name, identity.workgroup);
}

// Reads one packet; false when nothing more is waiting.
bool receiveOne(int socket, QByteArray& buffer, sockaddr_in& peer) {
    socklen_t length = sizeof peer;
    buffer.resize(static_cast<qsizetype>(nbds::kMaxPacketSize) + 1);
    const ssize_t size = ::recvfrom(socket, buffer.data(), static_cast<std::size_t>(buffer.size()),
                                    MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&peer), &length);
    if (size < 0)
        return false;
    buffer.truncate(size);
    return true;
}

}  // namespace

void MailslotRouter::run() {
    Sockets& sockets = *sockets_;
    QByteArray buffer;
    auto nextRetry = Clock::now() + std::chrono::milliseconds(config_.routerRetryIntervalMs);
    for (;;) {
        pollfd fds[3] = {
            {wakeFd_, POLLIN, 0}, {sockets.datagram, POLLIN, 0}, {sockets.name, POLLIN, 0}};
        const bool unbound = sockets.datagram < 0 || sockets.name < 0;
        int timeout = -1;
        if (sockets.writer.hasPending()) {
            timeout = kPendingRetryMs;
        } else if (unbound) {
            const auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(nextRetry - Clock::now());
            timeout = static_cast<int>(std::max<std::int64_t>(wait.count(), 0));
        }
        // A negative descriptor is skipped by poll.
        if (::poll(fds, 3, timeout) < 0 && errno != EINTR)
            break;
        if ((fds[0].revents & POLLIN) != 0)
            break;

        sockaddr_in peer;
        if ((fds[1].revents & POLLIN) != 0) {
            for (int i = 0; i < kPacketsPerRound && receiveOne(sockets.datagram, buffer, peer);
                 ++i) {
                const DatagramDecodeResult decoded = decodeMailslotDatagram(buffer);
                if (!decoded.datagram ||
                    !isOurDestination(decoded.datagram->destination, identity_)) {
                    ++counters_.dropped;
                    continue;
                }
                const MailslotDatagram& datagram = *decoded.datagram;
                names_->learn(datagram.source.name, ntohl(peer.sin_addr.s_addr));
                const MailslotDelivery delivery =
                    sockets.writer.deliver(mailslotChannelOf(datagram.mailslotName), datagram.data);
                if (delivery == MailslotDelivery::Delivered ||
                    delivery == MailslotDelivery::HeldBack) {
                    ++counters_.delivered;
                } else {
                    ++counters_.dropped;
                }
            }
        }
        if ((fds[2].revents & POLLIN) != 0) {
            for (int i = 0; i < kPacketsPerRound && receiveOne(sockets.name, buffer, peer); ++i) {
                const auto request = decodeNameQueryRequest(buffer);
                if (!request || !sameNetbiosName(request->name.name, identity_.computerName) ||
                    (request->name.suffix != kSuffixWorkstation &&
                     request->name.suffix != kSuffixMessenger)) {
                    continue;
                }
                const std::uint32_t requester = ntohl(peer.sin_addr.s_addr);
                const auto ourAddress = sourceAddressFor(requester);
                if (!ourAddress)
                    continue;
                NameQueryResponse response;
                response.transactionId = request->transactionId;
                response.name = request->name;
                response.addresses.push_back({false, *ourAddress});
                if (sendUdp(sockets.name, requester, ntohs(peer.sin_port),
                            encodePositiveNameQueryResponse(response))) {
                    ++counters_.nameQueriesAnswered;
                }
            }
        }
        if (sockets.writer.hasPending())
            sockets.writer.retryPending();
        if (unbound && Clock::now() >= nextRetry) {
            tryBind();
            nextRetry = Clock::now() + std::chrono::milliseconds(config_.routerRetryIntervalMs);
        }
    }
}

}  // namespace pelimo::platform
