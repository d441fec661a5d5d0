// The local mailslot \\.\mailslot\<channel>: an abstract-namespace Unix datagram socket named
// "pelimo/mailslot/<channel, lower case>". Binding is exclusive, so a second creation of the same
// channel fails as on Windows. Messages keep their boundaries; a zero-length message is a message.
// Writers put each message in an envelope that says where it came from (mailslot_envelope.h).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <cstddef>
#include <deque>
#include <optional>

#include "platform/mailslot_deliverer.h"
#include "platform/mailslot_envelope.h"

namespace pelimo::platform {

inline constexpr char kLocalMailslotPrefix[] = "pelimo/mailslot/";
// Socket buffers of the mailslot and of its writers: room for far more than a burst of a thousand
// short messages (the kernel caps it at its own maximum unless we may force it).
inline constexpr int kMailslotSocketBufferBytes = 8 * 1024 * 1024;
// What a writer holds back for mailslots whose queue is full before it drops new messages.
inline constexpr std::size_t kMaxPendingBytes = 4 * 1024 * 1024;

// The abstract socket name for a channel given as ANSI bytes: ASCII letters lower-cased.
QByteArray localMailslotAddress(QByteArrayView channel);

// A non-blocking socket bound to the channel's name, or -1 (also when another process owns it).
int createLocalMailslot(QByteArrayView channel);

struct LocalMailslotInfo {
    bool ok = false;      // false: no mailslot or the query failed
    qint32 waiting = 0;   // 0 or 1: whether a message is waiting
    qint64 nextSize = 0;  // the size of the waiting message
};

// GetMailslotInfo: peeks at the next message without reading it; never blocks.
LocalMailslotInfo queryLocalMailslot(int handle);

// Reads the next socket message whole (its envelope included); nothing when none is waiting or
// the read fails.
std::optional<QByteArray> readLocalMailslot(int handle, qint64 expectedSize);

void closeLocalMailslot(int handle);

// Writes messages into local mailslots without ever blocking. A message for a mailslot whose queue
// is full is held back, in order, and written by retryPending(); the owner of the writer calls it
// while hasPending() is true. One writer per thread.
class LocalMailslotWriter final : public MailslotDeliverer {
public:
    LocalMailslotWriter();
    ~LocalMailslotWriter() override;
    LocalMailslotWriter(const LocalMailslotWriter&) = delete;
    LocalMailslotWriter& operator=(const LocalMailslotWriter&) = delete;

    // One attempt, no holding back.
    MailslotDelivery sendNow(QByteArrayView channel, QByteArrayView message,
                             const MailslotOrigin& origin = MailslotOrigin::local());
    // Writes now, or holds the message back behind earlier ones of the same mailslot.
    MailslotDelivery deliver(QByteArrayView channel, QByteArrayView message,
                             const MailslotOrigin& origin) override;
    MailslotDelivery deliver(QByteArrayView channel, QByteArrayView message) {
        return deliver(channel, message, MailslotOrigin::local());
    }
    // Writes what was held back, in order; returns whether anything is still held back.
    bool retryPending() override;
    bool hasPending() const { return !pending_.empty(); }
    std::size_t pendingCount() const override { return pending_.size(); }

private:
    struct Pending {
        QByteArray address;
        QByteArray message;
    };
    bool isHeldBack(const QByteArray& address) const;
    MailslotDelivery sendTo(const QByteArray& address, QByteArrayView message);

    int socket_ = -1;
    std::deque<Pending> pending_;
    std::size_t pendingBytes_ = 0;
};

}  // namespace pelimo::platform
