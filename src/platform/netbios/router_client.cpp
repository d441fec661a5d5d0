#include "platform/netbios/router_client.h"

#include "platform/netbios/router_socket.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <vector>

namespace pelimo::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kStartPollMs = 20;
constexpr int kRegisterWaitMs = 3000;
constexpr int kRecordsPerRound = 64;
constexpr auto kStatusInterval = std::chrono::milliseconds(500);
constexpr auto kReconnectInterval = std::chrono::milliseconds(2000);

// Whether process `pid` holds the right to bind ports below 1024 in its effective set, as
// /proc/PID/status tells anyone.
bool holdsBindCapability(pid_t pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith("CapEff:"))
            continue;
        bool ok = false;
        const qulonglong effective = line.mid(7).trimmed().toULongLong(&ok, 16);
        return ok && (effective & (1ull << CAP_NET_BIND_SERVICE)) != 0;
    }
    return false;
}

constexpr char kUnixSocketTable[] = "/proc/net/unix";
// Columns of /proc/net/unix: "Num RefCount Protocol Flags Type St Inode Path".
constexpr qsizetype kFlagsColumn = 3;
constexpr qsizetype kTypeColumn = 4;
constexpr qsizetype kPathColumn = 7;
constexpr unsigned kListeningFlag = 0x10000;  // __SO_ACCEPTCON
constexpr unsigned kSeqpacketType = 5;

bool isTrustedRouter(int fd, RouterClient::Outcome& outcome) {
    ucred peer{};
    socklen_t length = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0)
        return false;
    outcome.routerPid = peer.pid;
    outcome.routerUid = peer.uid;
    return peer.uid == 0 || peer.uid == ::geteuid() || holdsBindCapability(peer.pid);
}

bool writeWithin(int fd, const QByteArray& record, int timeoutMs) {
    pollfd writable{fd, POLLOUT, 0};
    if (::poll(&writable, 1, timeoutMs) <= 0)
        return false;
    return ::send(fd, record.constData(), static_cast<std::size_t>(record.size()), MSG_NOSIGNAL) ==
           record.size();
}

std::optional<router::RouterRecord> readWithin(int fd, int timeoutMs) {
    pollfd readable{fd, POLLIN, 0};
    if (::poll(&readable, 1, timeoutMs) <= 0)
        return std::nullopt;
    QByteArray buffer;
    const ReceivedRecord received = receiveRecord(fd, buffer, router::kMaxRecordSize);
    return received.bytes ? router::decodeRouterRecord(*received.bytes) : std::nullopt;
}

}  // namespace

std::vector<QByteArray> routerSocketsIn(QByteArrayView table, const QByteArray& prefix) {
    std::vector<QByteArray> names;
    const QByteArray wanted = '@' + prefix;
    for (const QByteArray& line : table.toByteArray().split('\n')) {
        const QList<QByteArray> columns = line.simplified().split(' ');
        if (columns.size() != kPathColumn + 1 || !columns[kPathColumn].startsWith(wanted))
            continue;
        bool flagsOk = false;
        bool typeOk = false;
        const uint flags = columns[kFlagsColumn].toUInt(&flagsOk, 16);
        const uint type = columns[kTypeColumn].toUInt(&typeOk, 16);
        if (flagsOk && typeOk && (flags & kListeningFlag) != 0 && type == kSeqpacketType)
            names.push_back(columns[kPathColumn].mid(1));
    }
    return names;
}

int connectToTrustedRouter(const QByteArray& prefix, RouterClient::Outcome& outcome,
                           const std::function<bool(const QByteArray& name)>& wanted) {
    QFile table(QString::fromLatin1(kUnixSocketTable));
    outcome.error = ENOENT;
    if (!table.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& name : routerSocketsIn(table.readAll(), prefix)) {
        if (wanted && !wanted(name))
            continue;
        const int fd = connectRecordSocket(name, outcome.error);
        if (fd < 0)
            continue;
        if (isTrustedRouter(fd, outcome))
            return fd;
        ::close(fd);
    }
    return -1;
}

std::unique_ptr<RouterClient> RouterClient::open(const QByteArray& socketPrefix,
                                                 std::optional<QByteArray> channel,
                                                 RouterStarter starter, Outcome& outcome) {
    outcome = Outcome{};
    int fd = connectToTrustedRouter(socketPrefix, outcome);
    if (fd < 0 && starter && starter()) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(kStartWaitMs);
        while (fd < 0 && Clock::now() < deadline) {
            ::usleep(kStartPollMs * 1000);
            fd = connectToTrustedRouter(socketPrefix, outcome);
        }
    }
    if (fd < 0) {
        // Only programs that are no router listen: one took the router's place.
        outcome.status = outcome.routerPid != 0 ? Status::Untrusted : Status::NoRouter;
        return nullptr;
    }
    outcome.status = Status::Connected;
    if (channel) {
        const auto reply =
            writeWithin(fd, router::encodeProgramRecord(router::RegisterRequest{*channel}),
                        kRegisterWaitMs)
                ? readWithin(fd, kRegisterWaitMs)
                : std::nullopt;
        const auto* registered = reply ? std::get_if<router::RegisterReply>(&*reply) : nullptr;
        if (registered == nullptr) {
            ::close(fd);
            outcome.status = Status::NoRouter;
            outcome.error = ETIMEDOUT;
            return nullptr;
        }
        outcome.intake = registered->intake;
        switch (registered->result) {
            case router::RegisterResult::Registered:
                outcome.status = Status::Registered;
                break;
            case router::RegisterResult::Taken:
                outcome.status = Status::Taken;
                break;
            case router::RegisterResult::Refused:
                outcome.status = Status::Refused;
                break;
        }
        if (outcome.status != Status::Registered) {
            ::close(fd);
            return nullptr;
        }
    }
    return std::unique_ptr<RouterClient>(
        new RouterClient(socketPrefix, std::move(channel), std::move(starter), fd));
}

RouterClient::RouterClient(QByteArray socketPrefix, std::optional<QByteArray> channel,
                           RouterStarter starter, int fd)
    : socketPrefix_(std::move(socketPrefix)),
      channel_(std::move(channel)),
      starter_(std::move(starter)),
      fd_(fd),
      handle_(fd) {
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    thread_ = std::thread([this] { run(); });
}

RouterClient::~RouterClient() {
    stopping_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
    thread_.join();
    if (fd_ >= 0)
        ::close(fd_);
    ::close(wakeFd_);
}

void RouterClient::post(QByteArray record) {
    {
        const std::lock_guard lock(mutex_);
        outBytes_ += static_cast<std::size_t>(record.size()) + kQueuedRecordOverhead;
        out_.push_back(std::move(record));
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

std::optional<EnvelopedMessage> RouterClient::take() {
    const std::lock_guard lock(mutex_);
    if (in_.empty())
        return std::nullopt;
    EnvelopedMessage message = std::move(in_.front());
    in_.pop_front();
    inBytes_ -= static_cast<std::size_t>(message.message.size()) + kQueuedRecordOverhead;
    return message;
}

bool RouterClient::send(OutgoingMailslotMessage message) {
    QByteArray record = router::encodeProgramRecord(router::SendRequest{std::move(message)});
    {
        const std::lock_guard lock(mutex_);
        if (record.isEmpty() ||
            outBytes_ + static_cast<std::size_t>(record.size()) + kQueuedRecordOverhead >
                kMaxQueuedBytes) {
            return false;
        }
    }
    post(std::move(record));
    return true;
}

bool RouterClient::awaitReply(const std::uint64_t& counter, std::uint64_t seen, int timeoutMs) {
    std::unique_lock lock(mutex_);
    return replied_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return counter > seen; });
}

bool RouterClient::flush(int timeoutMs) {
    std::uint64_t seen = 0;
    {
        const std::lock_guard lock(mutex_);
        seen = flushReplies_;
    }
    const auto wait = static_cast<std::uint32_t>(
        std::clamp<int>(timeoutMs, 0, static_cast<int>(router::kMaxFlushWaitMs)));
    post(router::encodeProgramRecord(router::FlushRequest{wait}));
    if (!awaitReply(flushReplies_, seen, timeoutMs))
        return false;
    const std::lock_guard lock(mutex_);
    return lastFlushWritten_;
}

std::optional<router::StatusReply> RouterClient::status(int timeoutMs) {
    std::uint64_t seen = 0;
    {
        const std::lock_guard lock(mutex_);
        seen = statusReplies_;
    }
    post(router::encodeProgramRecord(router::StatusRequest{}));
    if (!awaitReply(statusReplies_, seen, timeoutMs))
        return std::nullopt;
    const std::lock_guard lock(mutex_);
    return lastStatus_;
}

bool RouterClient::readRecords() {
    QByteArray buffer;
    for (int i = 0; i < kRecordsPerRound; ++i) {
        const ReceivedRecord received = receiveRecord(fd_, buffer, router::kMaxRecordSize);
        if (!received.bytes)
            return received.open;
        auto record = router::decodeRouterRecord(*received.bytes);
        if (!record)
            return false;
        const std::lock_guard lock(mutex_);
        if (auto* delivery = std::get_if<EnvelopedMessage>(&*record)) {
            const std::size_t cost =
                static_cast<std::size_t>(delivery->message.size()) + kQueuedRecordOverhead;
            if (inBytes_ + cost > kMaxQueuedBytes) {
                ++dropped_;
                continue;
            }
            inBytes_ += cost;
            in_.push_back(std::move(*delivery));
        } else if (const auto* registered = std::get_if<router::RegisterReply>(&*record)) {
            // After a reconnection: without the mailslot, try again later.
            if (registered->result != router::RegisterResult::Registered)
                return false;
        } else if (const auto* flushed = std::get_if<router::FlushReply>(&*record)) {
            lastFlushWritten_ = flushed->written;
            ++flushReplies_;
            replied_.notify_all();
        } else {
            lastStatus_ = std::get<router::StatusReply>(*record);
            routerLost_ = lastStatus_.lost;
            ++statusReplies_;
            replied_.notify_all();
        }
    }
    return true;
}

bool RouterClient::writeRecords() {
    const std::lock_guard lock(mutex_);
    return sendQueuedRecords(fd_, out_, outBytes_);
}

void RouterClient::reconnect() {
    Outcome outcome;
    const int fd = connectToTrustedRouter(socketPrefix_, outcome);
    if (fd < 0) {
        if (starter_)
            starter_();  // the next attempt finds it listening
        return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    fd_ = fd;
    connected_ = true;
    if (channel_) {
        const std::lock_guard lock(mutex_);
        QByteArray record = router::encodeProgramRecord(router::RegisterRequest{*channel_});
        outBytes_ += static_cast<std::size_t>(record.size()) + kQueuedRecordOverhead;
        out_.push_front(std::move(record));
    }
}

void RouterClient::run() {
    auto nextStatus = Clock::now() + kStatusInterval;
    auto nextAttempt = Clock::now();
    while (!stopping_) {
        if (fd_ < 0 && Clock::now() >= nextAttempt) {
            reconnect();
            nextAttempt = Clock::now() + kReconnectInterval;
        }
        bool writing = false;
        {
            const std::lock_guard lock(mutex_);
            writing = !out_.empty();
        }
        pollfd fds[2] = {{wakeFd_, POLLIN, 0},
                         {fd_, static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0}};
        const auto until = fd_ >= 0 ? nextStatus : nextAttempt;
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (::poll(fds, 2, static_cast<int>(std::max<std::int64_t>(wait.count(), 0))) < 0 &&
            errno != EINTR) {
            break;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t read = ::read(wakeFd_, &count, sizeof count);
        }
        if (fd_ < 0)
            continue;
        bool keep = true;
        if ((fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0)
            keep = readRecords();
        if (keep)
            keep = writeRecords();
        if (!keep) {
            ::close(fd_);
            fd_ = -1;
            connected_ = false;
            nextAttempt = Clock::now() + kReconnectInterval;
            continue;
        }
        if (Clock::now() >= nextStatus) {
            nextStatus = Clock::now() + kStatusInterval;
            const std::lock_guard lock(mutex_);
            QByteArray record = router::encodeProgramRecord(router::StatusRequest{});
            outBytes_ += static_cast<std::size_t>(record.size()) + kQueuedRecordOverhead;
            out_.push_back(std::move(record));
        }
    }
}

bool startRouterProgram(const QString& program, const QStringList& arguments) {
    const QByteArray path = QFile::encodeName(program);
    if (path.isEmpty() || ::access(path.constData(), X_OK) != 0)
        return false;
    // Everything the children need is made before forking: between fork and exec only
    // async-signal-safe calls are allowed in a process with threads.
    std::vector<QByteArray> words{path};
    words.reserve(static_cast<std::size_t>(arguments.size()) + 1);
    for (const QString& argument : arguments)
        words.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    char* const environment[] = {nullptr};
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // The child starts a grandchild in a session of its own and leaves at once, so the
        // router belongs to no terminal and is nobody's zombie.
        ::setsid();
        if (::fork() != 0)
            ::_exit(0);
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            if (null > STDERR_FILENO)
                ::close(null);
        }
        ::execve(argv[0], argv.data(), environment);
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace pelimo::platform
