#include "platform/mailslot_sender.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QRandomGenerator>

#include <chrono>

#include "platform/ansi_codec.h"
#include "platform/ipv4_network.h"
#include "platform/local_mailslot.h"
#include "platform/nbds_datagram.h"
#include "platform/netbios_name_query.h"

namespace pelimo::platform {
namespace {

constexpr int kPendingRetryMs = 5;
constexpr int kStopFlushMs = 1000;
constexpr char kEveryComputer[] = "*";

using Clock = std::chrono::steady_clock;

std::uint16_t randomId() {
    return static_cast<std::uint16_t>(QRandomGenerator::global()->generate());
}

struct NameAnswer {
    std::uint32_t address = 0;
    bool group = false;
};

}  // namespace

struct MailslotSender::Worker {
    const MailslotTransportConfig& config;
    const WorkgroupSource& workgroupSource;
    NetbiosNameCache& names;
    int socket = -1;
    LocalMailslotWriter writer;
    QByteArray workgroup;
    bool workgroupKnown = false;

    Worker(const MailslotTransportConfig& configIn, const WorkgroupSource& source,
           NetbiosNameCache& namesIn)
        : config(configIn), workgroupSource(source), names(namesIn) {
        socket = openUdpSocket(INADDR_ANY, 0, true).socket;
    }
    ~Worker() {
        if (socket >= 0)
            ::close(socket);
    }

    const QByteArray& ourWorkgroup() {
        if (!workgroupKnown) {
            workgroup = workgroupSource ? workgroupSource() : QByteArray();
            workgroupKnown = true;
        }
        return workgroup;
    }

    std::vector<Ipv4Interface> broadcastTargets() const {
        if (config.broadcastOverride.isEmpty())
            return broadcastInterfaces();
        std::vector<Ipv4Interface> targets;
        for (const QString& text : config.broadcastOverride) {
            const auto broadcast = parseIpv4(text);
            if (!broadcast)
                continue;
            targets.push_back({sourceAddressFor(*broadcast).value_or(*broadcast), *broadcast});
        }
        return targets;
    }

    // One broadcast NAME QUERY REQUEST and up to the query time-out for a positive answer.
    std::optional<NameAnswer> queryName(const QByteArray& name) {
        if (socket < 0)
            return std::nullopt;
        NameQueryRequest request;
        request.transactionId = randomId();
        request.name = {paddedNetbiosName(name).trimmed(), kSuffixWorkstation};
        const QByteArray packet = encodeNameQueryRequest(request);
        bool sent = false;
        for (const Ipv4Interface& target : broadcastTargets()) {
            sent = sendUdp(socket, target.broadcast, config.namePort, packet) || sent;
        }
        if (!sent)
            return std::nullopt;
        const auto deadline = Clock::now() + std::chrono::milliseconds(config.nameQueryTimeoutMs);
        QByteArray buffer(static_cast<qsizetype>(nbds::kMaxPacketSize), '\0');
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return std::nullopt;
            pollfd readable{socket, POLLIN, 0};
            if (::poll(&readable, 1, static_cast<int>(left.count())) <= 0)
                continue;
            sockaddr_in peer;
            socklen_t length = sizeof peer;
            const ssize_t size =
                ::recvfrom(socket, buffer.data(), static_cast<std::size_t>(buffer.size()),
                           MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&peer), &length);
            if (size <= 0)
                continue;
            const auto response =
                decodePositiveNameQueryResponse(QByteArrayView(buffer).first(size));
            if (!response || response->transactionId != request.transactionId ||
                !sameNetbiosName(response->name.name, name) ||
                response->name.suffix != kSuffixWorkstation) {
                continue;
            }
            const NameQueryAddress& first = response->addresses.front();
            return NameAnswer{first.address, first.group};
        }
    }

    void sendDatagram(const MailslotDatagram& datagram, std::uint32_t destination) {
        const QByteArray packet = encodeMailslotDatagram(datagram);
        if (!packet.isEmpty())
            sendUdp(socket, destination, config.datagramPort, packet);
    }

    void process(const OutgoingMailslotMessage& message) {
        if (message.addressee.isEmpty())
            return;
        if (!message.ownComputerName.isEmpty() &&
            sameNetbiosName(message.addressee, message.ownComputerName)) {
            writer.deliver(message.channel, message.message);
            return;
        }
        if (!config.networkSend || socket < 0)
            return;

        MailslotDatagram datagram;
        datagram.sourcePort = config.datagramPort;
        datagram.source = {message.sender, kSuffixWorkstation};
        datagram.destination = {message.addressee, kSuffixWorkstation};
        datagram.mailslotName = QByteArray(kMailslotPrefix) + message.channel;
        datagram.data = message.message;

        std::optional<std::uint32_t> unicast;
        bool group = message.addressee == kEveryComputer ||
                     sameNetbiosName(message.addressee, ourWorkgroup());
        if (message.addressee == kEveryComputer)
            datagram.destination.name = ourWorkgroup();
        if (!group)
            unicast = names.lookup(message.addressee);
        if (!group && !unicast) {
            if (const auto answer = queryName(message.addressee)) {
                group = answer->group;
                if (!group) {
                    unicast = answer->address;
                    names.learn(message.addressee, answer->address);
                }
            }
        }
        if (!group && !unicast && config.useSystemResolver) {
            const auto addresses = resolveWithSystem(ansiToUnicode(message.addressee));
            if (!addresses.empty())
                unicast = addresses.front();
        }
        datagram.messageType = group ? nbds::kDirectGroup : nbds::kDirectUnique;
        datagram.datagramId = randomId();
        if (unicast) {
            datagram.sourceIp = sourceAddressFor(*unicast).value_or(0);
            sendDatagram(datagram, *unicast);
            return;
        }
        // The copies on the several interfaces are one datagram (same id, source and bytes), so
        // a receiver that gets more than one of them keeps only the first.
        const std::vector<Ipv4Interface> targets = broadcastTargets();
        for (const Ipv4Interface& target : targets) {
            datagram.sourceIp = targets.front().address;
            sendDatagram(datagram, target.broadcast);
        }
    }
};

MailslotSender::MailslotSender(MailslotTransportConfig config, WorkgroupSource workgroup,
                               std::shared_ptr<NetbiosNameCache> names)
    : config_(std::move(config)), workgroupSource_(std::move(workgroup)), names_(std::move(names)) {
    thread_ = std::thread([this] { run(); });
}

MailslotSender::~MailslotSender() {
    flush(kStopFlushMs);
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void MailslotSender::enqueue(OutgoingMailslotMessage message) {
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(std::move(message));
    }
    wake_.notify_one();
}

bool MailslotSender::flush(int timeoutMs) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [this] { return queue_.empty() && !busy_ && !localPending_; });
}

void MailslotSender::run() {
    Worker worker(config_, workgroupSource_, *names_);
    std::unique_lock lock(mutex_);
    for (;;) {
        if (localPending_) {
            wake_.wait_for(lock, std::chrono::milliseconds(kPendingRetryMs),
                           [this] { return stopping_ || !queue_.empty(); });
        } else {
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        }
        if (stopping_)
            break;
        if (!queue_.empty()) {
            OutgoingMailslotMessage message = std::move(queue_.front());
            queue_.pop_front();
            busy_ = true;
            lock.unlock();
            worker.process(message);
            lock.lock();
            busy_ = false;
        }
        if (worker.writer.hasPending()) {
            lock.unlock();
            worker.writer.retryPending();
            lock.lock();
        }
        localPending_ = worker.writer.hasPending();
        if (queue_.empty() && !localPending_)
            idle_.notify_all();
    }
}

}  // namespace pelimo::platform
