// The router's side towards the programs of this computer. A program connects to the router's
// socket and may take the mailslot of one channel; the kernel tells who connected (SO_PEERCRED),
// so a program takes a mailslot for its own user only. Each user has at most one mailslot per
// channel, and no user can take, read or silence another's: what arrives for a channel goes to
// the user its addressee field names (by login name), else to every user's mailslot of that
// channel. Each program has a bounded queue: a program that stops reading loses its newest
// datagrams (counted), and never holds up the router or the other programs. Programs also hand
// the router datagrams to send, and ask it when they have been written.
#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QByteArrayView>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/mailslot_deliverer.h"
#include "platform/netbios/mailslot_router.h"
#include "platform/netbios/router_protocol.h"

namespace pelimo::platform {

// What the abstract socket names of the routers for a datagram port start with. A router adds a
// random part of its own, so that no program can take a router's name before it and keep every
// program from finding it; programs look the names up among the listening sockets.
QByteArray routerSocketPrefix(std::uint16_t datagramPort);

// One program's mailslot as the delivery rule sees it.
struct MailslotHolder {
    QByteArray channel;   // as registered
    QByteArray userName;  // the login name of the program's user
};

// Which holders get a datagram for `channel` whose addressee field is `addressee`: those whose
// user the addressee names (ASCII case ignored), unless it names this computer, its workgroup
// or "*"; when it names no holder's user, every holder of the channel. Indexes into `holders`.
std::vector<std::size_t> mailslotRecipients(const std::vector<MailslotHolder>& holders,
                                            QByteArrayView channel, QByteArrayView addressee,
                                            const NetbiosIdentity& identity);

class RouterHub final : public MailslotDeliverer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kMaxPrograms = 256;
    static constexpr std::size_t kMaxProgramsPerUser = 16;
    static constexpr std::size_t kMaxQueuedBytes = 4 * 1024 * 1024;  // per program
    // Room beyond it for answers: a program asking more than that without reading is let go.
    static constexpr std::size_t kAnswerAllowance = 64 * 1024;

    // What the hub asks of the rest of the router; called on the hub's thread.
    struct Services {
        std::function<bool(OutgoingMailslotMessage)> send;
        std::function<bool()> sendingIdle;
        std::function<router::IntakeReport()> intake;
        std::function<router::StatusReply()> status;  // the intake's figures
    };

    RouterHub(QByteArray socketPrefix, NetbiosIdentity identity);
    ~RouterHub() override;
    RouterHub(const RouterHub&) = delete;
    RouterHub& operator=(const RouterHub&) = delete;

    // Binds and listens on a socket of its own name: 0, or the errno.
    int listen();
    const QByteArray& socketName() const { return socketName_; }
    void start(Services services);
    void stop();

    // From any thread.
    MailslotDelivery deliver(QByteArrayView channel, QByteArrayView message,
                             const MailslotOrigin& origin) override;
    bool retryPending() override { return false; }  // the hub's thread writes its queues
    std::size_t pendingCount() const override;
    // A message no recipient's queue could take is counted in each recipient's lost count.
    bool countsFullDrops() const override { return true; }
    // Whether `name` is the NetBIOS form of a login name that holds a mailslot.
    bool isUserName(QByteArrayView name) const;
    std::size_t programCount() const;
    // Since when no program has been connected; nothing while one is.
    std::optional<Clock::time_point> idleSince() const;

private:
    struct Program;
    void run();
    void accept();
    // False when the program broke the protocol or left.
    bool readFrom(Program& program);
    bool writeTo(Program& program);
    // False when the program asks without reading its answers.
    bool handle(Program& program, router::ProgramRecord record);
    void answerFlushes();
    // A delivery that does not fit is lost (counted); an answer that does not fit, false.
    bool queue(Program& program, const router::RouterRecord& record, bool answer);
    void drop(std::size_t index);

    QByteArray socketPrefix_;
    QByteArray socketName_;
    NetbiosIdentity identity_;
    Services services_;
    int listener_ = -1;
    int wakeFd_ = -1;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Program>> programs_;
    std::optional<Clock::time_point> idleSince_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace pelimo::platform
