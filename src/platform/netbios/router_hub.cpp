#include "platform/netbios/router_hub.h"

#include <poll.h>
#include <pwd.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QRandomGenerator>

#include <cerrno>
#include <deque>

#include "platform/netbios/netbios_name.h"
#include "platform/netbios/router_socket.h"

namespace pelimo::platform {
namespace {

constexpr char kRouterSocketPrefix[] = "pelimo/router/";
constexpr int kNameAttempts = 8;
constexpr int kListenBacklog = 64;
constexpr int kAcceptsPerRound = 16;
constexpr int kRecordsPerRound = 64;
constexpr int kFlushPollMs = 5;
// Room in a program's socket for several records of the largest size.
constexpr int kProgramSocketBuffer = 512 * 1024;
constexpr std::size_t kPasswordBuffer = 16 * 1024;

char lowerAscii(char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : byte;
}

bool sameText(QByteArrayView left, QByteArrayView right) {
    if (left.size() != right.size())
        return false;
    for (qsizetype i = 0; i < left.size(); ++i) {
        if (lowerAscii(left[i]) != lowerAscii(right[i]))
            return false;
    }
    return true;
}

// The second NUL-terminated field of a mailslot message; empty when it has none.
QByteArrayView addresseeOf(QByteArrayView message) {
    const qsizetype first = message.indexOf('\0');
    if (first < 0)
        return {};
    const QByteArrayView rest = message.sliced(first + 1);
    const qsizetype second = rest.indexOf('\0');
    return second < 0 ? QByteArrayView() : rest.first(second);
}

QByteArray loginName(uid_t uid) {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(kPasswordBuffer);
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return QByteArray(found->pw_name);
    return QByteArray::number(uid);  // matches no addressee a person would type
}

}  // namespace

QByteArray routerSocketPrefix(std::uint16_t datagramPort) {
    return kRouterSocketPrefix + QByteArray::number(datagramPort) + '/';
}

std::vector<std::size_t> mailslotRecipients(const std::vector<MailslotHolder>& holders,
                                            QByteArrayView channel, QByteArrayView addressee,
                                            const NetbiosIdentity& identity) {
    const bool toComputer = addressee == QByteArrayView("*") ||
                            sameNetbiosName(addressee, identity.computerName) ||
                            sameNetbiosName(addressee, identity.workgroup);
    std::vector<std::size_t> every;
    std::vector<std::size_t> named;
    for (std::size_t i = 0; i < holders.size(); ++i) {
        if (!sameText(holders[i].channel, channel))
            continue;
        every.push_back(i);
        if (!toComputer && sameText(holders[i].userName, addressee))
            named.push_back(i);
    }
    return named.empty() ? every : named;
}

struct RouterHub::Program {
    int fd = -1;
    uid_t uid = 0;
    QByteArray userName;
    std::optional<QByteArray> channel;
    std::deque<QByteArray> out;  // encoded records, each one socket message
    std::size_t outBytes = 0;
    std::uint64_t lost = 0;
    std::optional<Clock::time_point> flushDeadline;
    ~Program() {
        if (fd >= 0)
            ::close(fd);
    }
};

RouterHub::RouterHub(QByteArray socketPrefix, NetbiosIdentity identity)
    : socketPrefix_(std::move(socketPrefix)), identity_(std::move(identity)) {}

RouterHub::~RouterHub() {
    stop();
    if (listener_ >= 0)
        ::close(listener_);
}

int RouterHub::listen() {
    listener_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener_ < 0)
        return errno;
    int error = EADDRINUSE;
    for (int attempt = 0; attempt < kNameAttempts && error == EADDRINUSE; ++attempt) {
        socketName_ =
            socketPrefix_ + QByteArray::number(QRandomGenerator::system()->generate64(), 16);
        sockaddr_un address;
        const socklen_t length = abstractSocketAddress(socketName_, address);
        error =
            ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), length) == 0 ? 0 : errno;
    }
    if (error == 0 && ::listen(listener_, kListenBacklog) != 0)
        error = errno;
    if (error != 0) {
        ::close(listener_);
        listener_ = -1;
    }
    return error;
}

void RouterHub::start(Services services) {
    if (thread_.joinable() || listener_ < 0)
        return;
    services_ = std::move(services);
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    idleSince_ = Clock::now();
    thread_ = std::thread([this] { run(); });
}

void RouterHub::stop() {
    if (!thread_.joinable())
        return;
    stopping_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
    thread_.join();
    ::close(wakeFd_);
    wakeFd_ = -1;
    const std::lock_guard lock(mutex_);
    programs_.clear();
}

bool RouterHub::queue(Program& program, const router::RouterRecord& record, bool answer) {
    const QByteArray bytes = router::encodeRouterRecord(record);
    const std::size_t size = static_cast<std::size_t>(bytes.size()) + kQueuedRecordOverhead;
    const std::size_t budget = kMaxQueuedBytes + (answer ? kAnswerAllowance : 0);
    if (bytes.isEmpty() || program.outBytes + size > budget) {
        program.lost += answer ? 0 : 1;
        return false;
    }
    program.outBytes += size;
    program.out.push_back(bytes);
    return true;
}

MailslotDelivery RouterHub::deliver(QByteArrayView channel, QByteArrayView message,
                                    const MailslotOrigin& origin) {
    const std::lock_guard lock(mutex_);
    std::vector<MailslotHolder> holders;
    std::vector<Program*> owners;
    for (const auto& program : programs_) {
        if (program->channel) {
            holders.push_back({*program->channel, program->userName});
            owners.push_back(program.get());
        }
    }
    const std::vector<std::size_t> recipients =
        mailslotRecipients(holders, channel, addresseeOf(message), identity_);
    if (recipients.empty())
        return MailslotDelivery::NoMailslot;
    const router::RouterRecord record = EnvelopedMessage{origin, message.toByteArray()};
    bool queued = false;
    for (const std::size_t index : recipients)
        queued = queue(*owners[index], record, false) || queued;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
    return queued ? MailslotDelivery::Delivered : MailslotDelivery::Full;
}

std::size_t RouterHub::pendingCount() const {
    return 0;  // nothing waits for the intake to retry: the hub's thread writes its queues
}

bool RouterHub::isUserName(QByteArrayView name) const {
    const std::lock_guard lock(mutex_);
    for (const auto& program : programs_) {
        if (program->channel && sameNetbiosName(program->userName, name))
            return true;
    }
    return false;
}

std::size_t RouterHub::programCount() const {
    const std::lock_guard lock(mutex_);
    return programs_.size();
}

std::optional<RouterHub::Clock::time_point> RouterHub::idleSince() const {
    const std::lock_guard lock(mutex_);
    return idleSince_;
}

void RouterHub::accept() {
    for (int i = 0; i < kAcceptsPerRound; ++i) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        ucred peer{};
        socklen_t length = sizeof peer;
        if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0) {
            ::close(fd);
            continue;
        }
        std::size_t sameUser = 0;
        {
            const std::lock_guard lock(mutex_);
            for (const auto& program : programs_)
                sameUser += program->uid == peer.uid ? 1 : 0;
            if (programs_.size() >= kMaxPrograms || sameUser >= kMaxProgramsPerUser) {
                ::close(fd);
                continue;
            }
        }
        const int size = kProgramSocketBuffer;
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        auto program = std::make_unique<Program>();
        program->fd = fd;
        program->uid = peer.uid;
        program->userName = loginName(peer.uid);
        const std::lock_guard lock(mutex_);
        programs_.push_back(std::move(program));
        idleSince_.reset();
    }
}

bool RouterHub::handle(Program& program, router::ProgramRecord record) {
    if (auto* registration = std::get_if<router::RegisterRequest>(&record)) {
        router::RegisterReply reply;
        reply.intake = services_.intake ? services_.intake() : router::IntakeReport{};
        bool taken = false;
        for (const auto& other : programs_) {
            taken = taken || (other.get() != &program && other->uid == program.uid &&
                              other->channel && sameText(*other->channel, registration->channel));
        }
        if (program.channel) {
            reply.result = router::RegisterResult::Refused;
        } else if (taken) {
            reply.result = router::RegisterResult::Taken;
        } else {
            program.channel = registration->channel;
            reply.result = router::RegisterResult::Registered;
        }
        return queue(program, reply, true);
    }
    if (auto* send = std::get_if<router::SendRequest>(&record)) {
        // The router sends as this computer, whatever name the program gave.
        send->message.ownComputerName = identity_.computerName;
        if (services_.send)
            services_.send(std::move(send->message));  // a full queue drops and counts it
        return true;
    }
    if (const auto* flush = std::get_if<router::FlushRequest>(&record)) {
        program.flushDeadline = Clock::now() + std::chrono::milliseconds(flush->waitMs);
        return true;
    }
    router::StatusReply status = services_.status ? services_.status() : router::StatusReply{};
    status.lost += program.lost;
    return queue(program, status, true);
}

bool RouterHub::readFrom(Program& program) {
    QByteArray buffer;
    for (int i = 0; i < kRecordsPerRound; ++i) {
        const ReceivedRecord received = receiveRecord(program.fd, buffer, router::kMaxRecordSize);
        if (!received.bytes)
            return received.open;
        // A record that does not decode, or an answer the program does not read: the program is
        // done with.
        auto record = router::decodeProgramRecord(*received.bytes);
        if (!record || !handle(program, std::move(*record)))
            return false;
    }
    return true;
}

bool RouterHub::writeTo(Program& program) {
    return sendQueuedRecords(program.fd, program.out, program.outBytes);
}

void RouterHub::answerFlushes() {
    const Clock::time_point now = Clock::now();
    std::optional<bool> idle;
    for (const auto& program : programs_) {
        if (!program->flushDeadline)
            continue;
        if (!idle)
            idle = services_.sendingIdle ? services_.sendingIdle() : true;
        if (*idle || now >= *program->flushDeadline) {
            // A program that cannot take this answer is let go on its next read.
            queue(*program, router::FlushReply{*idle}, true);
            program->flushDeadline.reset();
        }
    }
}

void RouterHub::drop(std::size_t index) {
    programs_.erase(programs_.begin() + static_cast<std::ptrdiff_t>(index));
    if (programs_.empty())
        idleSince_ = Clock::now();
}

void RouterHub::run() {
    std::vector<pollfd> fds;
    while (!stopping_) {
        bool flushing = false;
        fds.assign({{wakeFd_, POLLIN, 0}, {listener_, POLLIN, 0}});
        {
            const std::lock_guard lock(mutex_);
            for (const auto& program : programs_) {
                const short events =
                    static_cast<short>(POLLIN | (program->out.empty() ? 0 : POLLOUT));
                fds.push_back({program->fd, events, 0});
                flushing = flushing || program->flushDeadline.has_value();
            }
        }
        if (::poll(fds.data(), fds.size(), flushing ? kFlushPollMs : -1) < 0 && errno != EINTR)
            break;
        if ((fds[0].revents & POLLIN) != 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t read = ::read(wakeFd_, &count, sizeof count);
        }
        if (stopping_)
            break;
        if ((fds[1].revents & POLLIN) != 0)
            accept();
        const std::lock_guard lock(mutex_);
        // Programs accepted just now have no entry in fds yet: only the first ones are polled.
        for (std::size_t i = fds.size() - 2; i-- > 0;) {
            Program& program = *programs_[i];
            const short revents = fds[i + 2].revents;
            bool keep = (revents & (POLLERR | POLLNVAL)) == 0;
            if (keep && (revents & (POLLIN | POLLHUP)) != 0)
                keep = readFrom(program);
            if (keep)
                keep = writeTo(program);
            if (!keep)
                drop(i);
        }
        answerFlushes();
    }
}

}  // namespace pelimo::platform
