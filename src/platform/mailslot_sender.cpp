#include "platform/mailslot_sender.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QRandomGenerator>

#include <chrono>

#include "platform/computer_name_resolver.h"
#include "platform/ipv4_network.h"
#include "platform/local_mailslot.h"
#include "platform/netbios/nbds_datagram.h"

namespace pelimo::platform {
namespace {

constexpr int kPendingRetryMs = 5;
constexpr int kStopFlushMs = 1000;
constexpr char kEveryComputer[] = "*";
// What a queued message costs beyond its bytes, so that floods of empty ones are bounded too.
constexpr std::size_t kQueuedOverhead = 128;

std::size_t queuedSize(const OutgoingMailslotMessage& message) {
    return static_cast<std::size_t>(message.message.size() + message.sender.size() +
                                    message.addressee.size() + message.channel.size() +
                                    message.ownComputerName.size()) +
           kQueuedOverhead;
}

std::uint16_t randomId() {
    return static_cast<std::uint16_t>(QRandomGenerator::global()->generate());
}

}  // namespace

struct MailslotSender::Worker {
    const MailslotTransportConfig& config;
    const WorkgroupSource& workgroupSource;
    NetbiosNameCache& names;
    std::atomic<std::uint64_t>& refused;
    int socket = -1;
    std::shared_ptr<MailslotDeliverer> local;
    QByteArray workgroup;
    bool workgroupKnown = false;

    Worker(const MailslotTransportConfig& configIn, const WorkgroupSource& source,
           NetbiosNameCache& namesIn, std::atomic<std::uint64_t>& refusedIn,
           std::shared_ptr<MailslotDeliverer> localIn)
        : config(configIn),
          workgroupSource(source),
          names(namesIn),
          refused(refusedIn),
          local(localIn ? std::move(localIn) : std::make_shared<LocalMailslotWriter>()) {
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
            local->deliver(message.channel, message.message, MailslotOrigin::local());
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
        bool group = false;
        if (message.destinationAddress) {
            // An answer: back to where the datagram came from, never through a router.
            if (!isOnLinkHost(*message.destinationAddress)) {
                ++refused;
                return;
            }
            unicast = message.destinationAddress;
        } else {
            group = message.addressee == kEveryComputer ||
                    sameNetbiosName(message.addressee, ourWorkgroup());
            if (message.addressee == kEveryComputer)
                datagram.destination.name = ourWorkgroup();
            if (!group) {
                const auto answer = lookUpComputerName(socket, message.addressee,
                                                       message.addresseeSource, config, names);
                group = answer && answer->group;
                if (answer && !group)
                    unicast = answer->address;
            }
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
        const std::vector<Ipv4Interface> targets = broadcastTargets(config);
        for (const Ipv4Interface& target : targets) {
            datagram.sourceIp = targets.front().address;
            sendDatagram(datagram, target.broadcast);
        }
    }
};

MailslotSender::MailslotSender(MailslotTransportConfig config, WorkgroupSource workgroup,
                               std::shared_ptr<NetbiosNameCache> names,
                               std::shared_ptr<MailslotDeliverer> local)
    : config_(std::move(config)),
      workgroupSource_(std::move(workgroup)),
      names_(std::move(names)),
      local_(std::move(local)) {
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

bool MailslotSender::enqueue(OutgoingMailslotMessage message) {
    {
        const std::lock_guard lock(mutex_);
        const std::size_t size = queuedSize(message);
        if (queue_.size() >= kMaxQueuedMessages || queuedBytes_ + size > kMaxQueuedBytes) {
            ++dropped_;
            return false;
        }
        queuedBytes_ += size;
        queue_.push_back(std::move(message));
    }
    wake_.notify_one();
    return true;
}

bool MailslotSender::flush(int timeoutMs) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [this] { return queue_.empty() && !busy_ && !localPending_; });
}

bool MailslotSender::isIdle() {
    const std::lock_guard lock(mutex_);
    return queue_.empty() && !busy_ && !localPending_;
}

void MailslotSender::run() {
    Worker worker(config_, workgroupSource_, *names_, refused_, local_);
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
            queuedBytes_ -= queuedSize(message);
            busy_ = true;
            lock.unlock();
            worker.process(message);
            lock.lock();
            busy_ = false;
        }
        if (worker.local->pendingCount() > 0) {
            lock.unlock();
            worker.local->retryPending();
            lock.lock();
        }
        localPending_ = worker.local->pendingCount() > 0;
        if (queue_.empty() && !localPending_)
            idle_.notify_all();
    }
}

}  // namespace pelimo::platform
