// The socket side of the router's records: abstract Unix socket addresses, connecting, and moving
// whole records (one socket message each, SOCK_SEQPACKET) in and out without ever waiting.
#pragma once

#include <sys/socket.h>
#include <sys/un.h>
#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <deque>
#include <optional>

namespace pelimo::platform {

// The address of `name` in the abstract namespace (a leading NUL, no terminator), cut to fit.
socklen_t abstractSocketAddress(QByteArrayView name, sockaddr_un& address);

// A record socket connected to the abstract `name`, or -1 with `error` set.
int connectRecordSocket(QByteArrayView name, int& error);

struct ReceivedRecord {
    bool open = true;                     // false: the connection ended or broke the protocol
    std::optional<QByteArrayView> bytes;  // the record, inside the caller's buffer
};

// The next record waiting on `fd`, read into `buffer`; nothing when none waits. A record larger
// than `maxSize` closes the exchange.
ReceivedRecord receiveRecord(int fd, QByteArray& buffer, std::size_t maxSize);

// What a queued record costs beyond its bytes, so that floods of empty ones are bounded too.
inline constexpr std::size_t kQueuedRecordOverhead = 64;

// Writes queued records until the socket is full; each written one leaves `out` and `outBytes`
// (charged its size and the overhead). False when the connection broke.
bool sendQueuedRecords(int fd, std::deque<QByteArray>& out, std::size_t& outBytes);

}  // namespace pelimo::platform
