// Where the network intake and the sender put what arrives for a local mailslot: the local
// mailslot sockets themselves (LocalMailslotWriter), or the programs connected to the router
// (RouterHub).
#pragma once

#include <QByteArrayView>
#include <cstddef>

#include "platform/mailslot_envelope.h"

namespace pelimo::platform {

enum class MailslotDelivery { Delivered, HeldBack, Full, NoMailslot, Failed };

class MailslotDeliverer {
public:
    virtual ~MailslotDeliverer() = default;
    // Writes now, or holds the message back behind earlier ones of the same mailslot; never
    // blocks.
    virtual MailslotDelivery deliver(QByteArrayView channel, QByteArrayView message,
                                     const MailslotOrigin& origin) = 0;
    // Writes what was held back, in order; returns whether anything is still held back. Called
    // by the deliverer's owner while pendingCount() is not zero.
    virtual bool retryPending() = 0;
    virtual std::size_t pendingCount() const = 0;
    // Whether the deliverer counts the messages it drops as Full itself (per recipient), so that
    // its owner does not count them a second time.
    virtual bool countsFullDrops() const { return false; }
};

}  // namespace pelimo::platform
