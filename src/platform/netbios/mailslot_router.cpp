#include "platform/netbios/mailslot_router.h"

#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/ipv4_network.h"
#include "platform/local_mailslot.h"
#include "platform/netbios/duplicate_datagram_filter.h"
#include "platform/netbios/nbds_datagram.h"
#include "platform/netbios/netbios_name_query.h"
#include "platform/netbios/nmbd_unexpected_reader.h"
#include "platform/netbios/router_socket.h"

namespace pelimo::platform {
namespace {

// Held-back datagrams are retried this often: a local mailslot takes only ten or so at a time.
constexpr int kPendingRetryMs = 1;
// Packets handled per socket per wake-up, so one busy socket cannot starve the other.
constexpr int kPacketsPerRound = 64;

using Clock = std::chrono::steady_clock;

// Room for a burst of 5000 datagrams while the thread is busy delivering the previous ones. The
// kernel charges each queued datagram its whole buffer (up to 4 KiB on common network drivers)
// and doubles the size asked for. Without CAP_NET_ADMIN the size is capped at net.core.rmem_max.
constexpr int kBurstDatagrams = 5000;
constexpr int kChargePerDatagram = 4096;
constexpr int kReceiveBufferBytes = kBurstDatagrams * kChargePerDatagram / 2;

// Returns the size the kernel granted.
int enlargeReceiveBuffer(int socket) {
    if (socket < 0)
        return 0;
    const int size = kReceiveBufferBytes;
    if (setsockopt(socket, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0) {
        setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }
    // Each datagram read then tells how many the socket has dropped so far.
    const int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_RXQ_OVFL, &on, sizeof on);
    int granted = 0;
    socklen_t length = sizeof granted;
    getsockopt(socket, SOL_SOCKET, SO_RCVBUF, &granted, &length);
    return granted;
}

// The datagrams the socket has dropped since it was opened, as the kernel counts them now.
std::optional<std::uint32_t> socketDrops(int socket) {
    std::uint32_t info[SK_MEMINFO_VARS] = {};
    socklen_t length = sizeof info;
    if (socket < 0 || getsockopt(socket, SOL_SOCKET, SO_MEMINFO, info, &length) != 0 ||
        length <= SK_MEMINFO_DROPS * sizeof info[0]) {
        return std::nullopt;
    }
    return info[SK_MEMINFO_DROPS];
}

bool isPermissionError(int error) {
    return error == EACCES || error == EPERM;
}

std::uint32_t bindAddressOf(const MailslotTransportConfig& config) {
    return parseIpv4(config.bindAddress).value_or(INADDR_ANY);
}

// The host's one router holds the abstract socket "pelimo/router/<port>"; -1 when another
// process holds it.
int takeRouterLock(std::uint16_t datagramPort) {
    const QByteArray name = "pelimo/router/" + QByteArray::number(datagramPort);
    sockaddr_un address;
    const socklen_t length = abstractSocketAddress(name, address);
    const int lock = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (lock >= 0 && ::bind(lock, reinterpret_cast<const sockaddr*>(&address), length) == 0)
        return lock;
    if (lock >= 0)
        ::close(lock);
    return -1;
}

}  // namespace

struct MailslotRouter::Sockets {
    int datagram = -1;
    int name = -1;
    int lock = -1;
    std::unique_ptr<NmbdUnexpectedReader> nmbd;
    DuplicateDatagramFilter duplicates;
    ~Sockets() {
        if (lock >= 0)
            ::close(lock);
        if (datagram >= 0)
            ::close(datagram);
        if (name >= 0)
            ::close(name);
    }
};

MailslotRouter::MailslotRouter(MailslotTransportConfig config, NetbiosIdentity identity,
                               std::shared_ptr<NetbiosNameCache> names, Hooks hooks)
    : config_(std::move(config)),
      identity_(std::move(identity)),
      names_(std::move(names)),
      hooks_(std::move(hooks)),
      sockets_(std::make_unique<Sockets>()) {
    if (!hooks_.deliverer)
        hooks_.deliverer = std::make_shared<LocalMailslotWriter>();
}

MailslotRouter::~MailslotRouter() {
    stop();
}

RouterStartResult MailslotRouter::tryBind() {
    RouterStartResult result;
    const std::uint32_t address = bindAddressOf(config_);
    if (sockets_->lock < 0 && hooks_.hostLock)
        sockets_->lock = takeRouterLock(config_.datagramPort);
    result.anotherRouter = hooks_.hostLock && sockets_->lock < 0;
    const bool nmbdRestarting =
        sockets_->nmbd &&
        sockets_->nmbd->seenWithin(Clock::now(), NmbdUnexpectedReader::kRestartGrace);
    if (sockets_->datagram < 0 && !result.anotherRouter && !readingNmbd_ && nmbdRestarting) {
        tryNmbd(result);
    } else if (sockets_->datagram < 0 && !result.anotherRouter && !readingNmbd_) {
        const UdpOpenResult opened = openUdpSocket(address, config_.datagramPort, false);
        sockets_->datagram = opened.socket;
        const int granted = enlargeReceiveBuffer(opened.socket);
        if (granted > 0)
            receiveBuffer_ = granted;
        result.permissionDenied = result.permissionDenied || isPermissionError(opened.error);
        result.datagramPortError = opened.error;
        if (opened.socket < 0)
            tryNmbd(result);
        else
            sockets_->nmbd.reset();
    }
    result.readingNmbd = readingNmbd_;
    if (sockets_->name < 0 && !readingNmbd_ && !nmbdRestarting) {
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

// Name queries are nmbd's while its socket is read.
void MailslotRouter::tryNmbd(RouterStartResult& result) {
    if (!sockets_->nmbd) {
        const QString path = config_.nmbdUnexpectedSocket.value_or(nmbdUnexpectedSocketPath());
        if (path.isEmpty())
            return;
        sockets_->nmbd = std::make_unique<NmbdUnexpectedReader>(path);
    }
    NmbdUnexpectedReader& reader = *sockets_->nmbd;
    result.nmbdSocketPath = reader.socketPath();
    if (!reader.reconnectDue(Clock::now())) {
        result.nmbdError = EAGAIN;
        return;
    }
    result.nmbdError = reader.connect();
    if (result.nmbdError != 0) {
        reader.scheduleReconnect(Clock::now());
        return;
    }
    readingNmbd_ = true;
    if (sockets_->name >= 0) {
        ::close(sockets_->name);
        sockets_->name = -1;
    }
}

RouterStartResult MailslotRouter::start() {
    if (thread_.joinable()) {
        RouterStartResult result;
        result.datagramPortBound = datagramBound_;
        result.namePortBound = nameBound_;
        result.readingNmbd = readingNmbd_;
        return result;
    }
    RouterStartResult result = tryBind();
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
    readingNmbd_ = false;
}

namespace {

// Reads one packet; false when nothing more is waiting. `drops` is raised to the socket's drop
// count when the packet carries it.
bool receiveOne(int socket, QByteArray& buffer, sockaddr_in& peer, std::uint32_t* drops = nullptr) {
    buffer.resize(static_cast<qsizetype>(nbds::kMaxPacketSize) + 1);
    iovec part{buffer.data(), static_cast<std::size_t>(buffer.size())};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(std::uint32_t))];
    msghdr message{};
    message.msg_name = &peer;
    message.msg_namelen = sizeof peer;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t size = ::recvmsg(socket, &message, MSG_DONTWAIT);
    if (size < 0)
        return false;
    buffer.truncate(size);
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); drops != nullptr && header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SO_RXQ_OVFL) {
            std::uint32_t count = 0;
            std::memcpy(&count, CMSG_DATA(header), sizeof count);
            *drops = std::max(*drops, count);
        }
    }
    return true;
}

}  // namespace

bool MailslotRouter::isOurDestination(const NetbiosName& destination) const {
    const bool unique =
        destination.suffix == kSuffixWorkstation || destination.suffix == kSuffixMessenger;
    if (sameNetbiosName(destination.name, identity_.computerName))
        return unique;
    if (unique && hooks_.isLocalUser && hooks_.isLocalUser(destination.name))
        return true;
    return destination.suffix == kSuffixWorkstation &&
           sameNetbiosName(destination.name, identity_.workgroup);
}

void MailslotRouter::route(QByteArrayView packet, std::uint32_t peer, std::uint16_t port) {
    const DatagramDecodeResult decoded = decodeMailslotDatagram(packet);
    if (!decoded.datagram || !isOurDestination(decoded.datagram->destination)) {
        ++counters_.dropped;
        return;
    }
    const MailslotDatagram& datagram = *decoded.datagram;
    if (sockets_->duplicates.isDuplicate(datagram.sourceIp, datagram.datagramId, packet,
                                         Clock::now())) {
        ++counters_.duplicates;
        return;
    }
    // The address a datagram came from may fill an unknown name, never replace a known one.
    names_->learnFromDatagram(datagram.source.name, peer);
    const MailslotDelivery delivery =
        hooks_.deliverer->deliver(mailslotChannelOf(datagram.mailslotName), datagram.data,
                                  MailslotOrigin::fromNetwork(peer, port));
    if (delivery == MailslotDelivery::Delivered || delivery == MailslotDelivery::HeldBack) {
        ++counters_.delivered;
    } else {
        ++counters_.dropped;
        const bool countedByDeliverer =
            delivery == MailslotDelivery::Full && hooks_.deliverer->countsFullDrops();
        if (delivery != MailslotDelivery::NoMailslot && !countedByDeliverer)
            ++counters_.lost;
    }
}

void MailslotRouter::run() {
    Sockets& sockets = *sockets_;
    QByteArray buffer;
    auto nextRetry = Clock::now() + std::chrono::milliseconds(config_.routerRetryIntervalMs);
    std::vector<NmbdPacket> nmbdPackets;
    for (;;) {
        const int nmbdFd = sockets.nmbd ? sockets.nmbd->fd() : -1;
        pollfd fds[4] = {{wakeFd_, POLLIN, 0},
                         {sockets.datagram, POLLIN, 0},
                         {sockets.name, POLLIN, 0},
                         {nmbdFd, POLLIN, 0}};
        const bool unbound = sockets.datagram < 0 || sockets.name < 0;
        // A lost connection to nmbd is retried after its own back-off.
        auto retryAt = nextRetry;
        if (sockets.nmbd && !sockets.nmbd->isConnected())
            retryAt = std::min(retryAt, sockets.nmbd->nextAttempt());
        MailslotDeliverer& deliverer = *hooks_.deliverer;
        int timeout = -1;
        if (deliverer.pendingCount() > 0) {
            timeout = kPendingRetryMs;
        } else if (unbound) {
            const auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(retryAt - Clock::now());
            timeout = static_cast<int>(std::max<std::int64_t>(wait.count(), 0));
        }
        // A negative descriptor is skipped by poll.
        if (::poll(fds, 4, timeout) < 0 && errno != EINTR)
            break;
        if ((fds[0].revents & POLLIN) != 0)
            break;
        if (fds[3].revents != 0) {
            nmbdPackets.clear();
            if (!sockets.nmbd->readAvailable(nmbdPackets)) {
                readingNmbd_ = false;
                sockets.nmbd->scheduleReconnect(Clock::now());
            }
            for (const NmbdPacket& packet : nmbdPackets)
                route(packet.datagram, packet.sourceIp, packet.sourcePort);
        }

        sockaddr_in peer;
        if ((fds[1].revents & POLLIN) != 0) {
            std::uint32_t drops = 0;
            int taken = 0;
            for (; taken < kPacketsPerRound && receiveOne(sockets.datagram, buffer, peer, &drops);
                 ++taken) {
                route(buffer, ntohl(peer.sin_addr.s_addr), ntohs(peer.sin_port));
            }
            // Drops after the last packet read show only in the socket's own count.
            if (taken < kPacketsPerRound)
                drops = std::max(drops, socketDrops(sockets.datagram).value_or(0));
            if (drops > overflowed_.load())
                overflowed_ = drops;
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
        if (deliverer.pendingCount() > 0)
            deliverer.retryPending();
        int queued = 0;
        if (sockets.datagram >= 0 && ::ioctl(sockets.datagram, FIONREAD, &queued) != 0)
            queued = 0;
        backlog_ = deliverer.pendingCount() + (queued > 0 ? 1 : 0);
        if (unbound && Clock::now() >= retryAt) {
            tryBind();
            nextRetry = Clock::now() + std::chrono::milliseconds(config_.routerRetryIntervalMs);
        }
    }
}

}  // namespace pelimo::platform
