// A program's connection to the router of this computer. Before anything is handed over, the
// router is checked to be one: a process of root, of this user, or one that holds the right to
// bind the NetBIOS ports (only the router program is given it), so that a program of another
// user listening on the router's name is neither believed nor told anything. With a channel,
// the connection takes that channel's mailslot for this user. A thread of its own reads what the
// router delivers into a bounded queue, writes what is handed to it to send, and asks the router
// for its figures; when the router goes away, it starts one again and takes the mailslot back.
#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/netbios/router_protocol.h"

namespace pelimo::platform {

class RouterClient {
public:
    enum class Status {
        Registered,  // the channel's mailslot is ours
        Connected,   // connected without a channel, to send
        Taken,       // another copy of this user holds the channel's mailslot
        Refused,     // the router refused the channel
        NoRouter,    // nothing listens, and no router could be started
        Untrusted,   // something listens that is no router
    };
    struct Outcome {
        Status status = Status::NoRouter;
        int error = 0;                // errno of the last connection attempt (NoRouter)
        router::IntakeReport intake;  // what the router can do about the network (Registered)
        pid_t routerPid = 0;          // who listens (Untrusted)
        uid_t routerUid = 0;
    };
    // Starts a router; true when one was started (it may take a moment to listen).
    using RouterStarter = std::function<bool()>;

    static constexpr int kStartWaitMs = 3000;
    static constexpr std::size_t kMaxQueuedBytes = 4 * 1024 * 1024;  // each way

    // Connects to a router listening under `socketPrefix` and, given a channel, takes its
    // mailslot. When none is found and there is a starter, starts one and waits for it. Nothing
    // but the outcome when that fails.
    static std::unique_ptr<RouterClient> open(const QByteArray& socketPrefix,
                                              std::optional<QByteArray> channel,
                                              RouterStarter starter, Outcome& outcome);
    ~RouterClient();
    RouterClient(const RouterClient&) = delete;
    RouterClient& operator=(const RouterClient&) = delete;

    // The descriptor of the first connection: the mailslot's handle.
    int handle() const { return handle_; }
    bool isConnected() const { return connected_.load(); }
    // The oldest message delivered; nothing when none is waiting.
    std::optional<EnvelopedMessage> take();
    // Queues a datagram for the router to send; false when the queue is full (dropped).
    bool send(OutgoingMailslotMessage message);
    // Waits until the router has written everything handed to it so far; false on time-out.
    bool flush(int timeoutMs);
    // Asks the router what it still holds and has lost; nothing without an answer in time.
    std::optional<router::StatusReply> status(int timeoutMs);
    // Datagrams lost on their way in, as the router last told, and those our queue dropped.
    std::uint64_t lost() const { return routerLost_.load() + dropped_.load(); }

private:
    RouterClient(QByteArray socketPrefix, std::optional<QByteArray> channel, RouterStarter starter,
                 int fd);
    void run();
    bool readRecords();
    bool writeRecords();
    void reconnect();
    void post(QByteArray record);
    // Waits for a reply counted by `counter` beyond `seen`; false on time-out.
    bool awaitReply(const std::uint64_t& counter, std::uint64_t seen, int timeoutMs);

    QByteArray socketPrefix_;
    std::optional<QByteArray> channel_;
    RouterStarter starter_;
    int fd_ = -1;
    int handle_ = -1;
    int wakeFd_ = -1;
    std::atomic<bool> connected_{true};
    std::atomic<bool> stopping_{false};
    std::atomic<std::uint64_t> routerLost_{0};
    std::atomic<std::uint64_t> dropped_{0};

    mutable std::mutex mutex_;
    std::condition_variable replied_;
    std::deque<EnvelopedMessage> in_;
    std::size_t inBytes_ = 0;
    std::deque<QByteArray> out_;
    std::size_t outBytes_ = 0;
    std::uint64_t flushReplies_ = 0;
    bool lastFlushWritten_ = false;
    std::uint64_t statusReplies_ = 0;
    router::StatusReply lastStatus_;
    std::thread thread_;
};

// The abstract names of the listening router sockets under `prefix` in `table` (the text of
// /proc/net/unix), in the order listed.
std::vector<QByteArray> routerSocketsIn(QByteArrayView table, const QByteArray& prefix);

// Connects to the first listening router under `prefix` that `wanted` accepts (any when not set)
// and that is to be trusted; -1 when there is none. The outcome keeps the connection's errno
// (ENOENT: nothing listens) and who listens where it is not trusted.
int connectToTrustedRouter(const QByteArray& prefix, RouterClient::Outcome& outcome,
                           const std::function<bool(const QByteArray& name)>& wanted = {});

// Starts `program` with `arguments` as a daemon of its own (a new session, no terminal, standard
// streams on /dev/null, an empty environment) and does not wait for it. False when it is no
// executable file or the start failed.
bool startRouterProgram(const QString& program, const QStringList& arguments);

}  // namespace pelimo::platform
