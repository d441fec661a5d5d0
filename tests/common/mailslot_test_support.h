// Helpers of the mailslot tests: names and ports no parallel test shares, a fake remote computer
// on loopback, and waiting for a local mailslot.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

#include "platform/mailslot_envelope.h"
#include "platform/mailslot_transport_config.h"
#include "platform/netbios/nbds_datagram.h"

// A channel name unique to this process and call.
QByteArray uniqueChannel(const char* stem);

// The loopback configuration on two different UDP ports of 127.0.0.1 that were free a moment ago.
pelimo::platform::MailslotTransportConfig loopbackOnFreePorts();

// A UDP socket on 127.0.0.1:port that plays another computer in tests.
class LoopbackPeer {
public:
    explicit LoopbackPeer(std::uint16_t port);
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;
    bool isOpen() const { return socket_ >= 0; }
    // The next packet within the time-out, with the sender's port.
    std::optional<QByteArray> receive(int timeoutMs, std::uint16_t* fromPort = nullptr);
    bool sendTo(std::uint16_t port, const QByteArray& packet);

private:
    int socket_ = -1;
};

// The next message of a local mailslot within the time-out, with where it came from; nothing
// when none came or it had no well-formed envelope.
std::optional<pelimo::platform::EnvelopedMessage> waitForEnvelope(int handle, int timeoutMs);
// The same, the message alone.
std::optional<QByteArray> waitForMessage(int handle, int timeoutMs);
