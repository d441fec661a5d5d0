// Intake beside Samba's nmbd. Where nmbd holds the NetBIOS datagram port, it passes every datagram
// it does not handle itself to the readers of its "unexpected packet" socket, a Unix stream socket
// in nmbd's socket directory. A reader sends one query (packet type, mailslot name filter,
// transaction id), nmbd answers one byte 0, then streams packets: a fixed header (length, type,
// time, source address and port, all in the host's own byte order) and the datagram as nmbd
// rebuilt it. The stream comes from another program: it is parsed with bounds checks, and a stream
// that makes no sense ends the connection.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/computer_identity.h"

namespace pelimo::platform {

namespace nmbd {
inline constexpr char kDefaultSocketDirectory[] = "/run/samba/nmbd";
inline constexpr char kUnexpectedSocketName[] = "unexpected";
inline constexpr char kSocketDirectoryParameter[] = "nmbd:socket dir";
inline constexpr std::int32_t kDatagramPacketType = 1;
inline constexpr std::size_t kQuerySize = 24;
inline constexpr std::size_t kPacketHeaderSize = 32;
inline constexpr std::uint8_t kQueryAccepted = 0;
// nmbd reads at most this many bytes of one datagram; a longer one is dropped or cut.
inline constexpr std::size_t kMaxDatagramRead = 576;
}  // namespace nmbd

// The socket's path: "<nmbd:socket dir>/unexpected" of the Samba configuration, else the default.
QString nmbdUnexpectedSocketPath(const SambaConfigSource& source = {});

// The query for every datagram (empty mailslot filter: nmbd's filter is case-sensitive, so names
// are matched by the reader).
QByteArray encodeNmbdDatagramQuery();

struct NmbdPacket {
    std::uint32_t sourceIp = 0;  // host order
    std::uint16_t sourcePort = 0;
    QByteArray datagram;  // the NBDS datagram
};

// Cuts nmbd's stream into packets, whatever the pieces it arrives in.
class NmbdStreamParser {
public:
    void feed(QByteArrayView bytes);
    // The next complete packet of datagram type; nothing when more bytes are needed or the stream
    // failed. Packets of other types are skipped.
    std::optional<NmbdPacket> next();
    // nmbd refused the query, or announced a packet larger than any datagram: the connection is
    // of no further use.
    bool failed() const { return failed_; }
    bool accepted() const { return accepted_; }

private:
    QByteArray buffer_;
    qsizetype position_ = 0;
    bool accepted_ = false;
    bool failed_ = false;
};

// One connection to nmbd's socket with reconnection after a back-off. Non-blocking throughout;
// the owner polls fd() and calls readAvailable() when it is readable.
class NmbdUnexpectedReader {
public:
    using Clock = std::chrono::steady_clock;

    explicit NmbdUnexpectedReader(QString socketPath);
    ~NmbdUnexpectedReader();
    NmbdUnexpectedReader(const NmbdUnexpectedReader&) = delete;
    NmbdUnexpectedReader& operator=(const NmbdUnexpectedReader&) = delete;

    // Connects and sends the query; 0 on success, else the errno of the failed step.
    int connect();
    void disconnect();
    bool isConnected() const { return socket_ >= 0; }
    int fd() const { return socket_; }
    const QString& socketPath() const { return path_; }

    // Reads what is waiting and appends the complete packets. False when the connection ended
    // (nmbd exited or restarted, or its stream failed); it is then closed.
    bool readAvailable(std::vector<NmbdPacket>& packets);

    // Reconnection: the delay doubles after each failure, from the first delay up to the cap,
    // and starts again once nmbd has accepted a query.
    bool reconnectDue(Clock::time_point now) const { return now >= nextAttempt_; }
    void scheduleReconnect(Clock::time_point now);
    Clock::time_point nextAttempt() const { return nextAttempt_; }

    static constexpr std::chrono::milliseconds kFirstReconnectDelay{250};
    static constexpr std::chrono::milliseconds kMaxReconnectDelay{8000};

    // Whether nmbd was connected within the grace period: while it restarts, its port is left
    // free for it (a router that bound the port then would keep the new nmbd from starting).
    bool seenWithin(Clock::time_point now, std::chrono::milliseconds grace) const {
        return lastSeen_ && now - *lastSeen_ < grace;
    }
    static constexpr std::chrono::milliseconds kRestartGrace{30000};

private:
    QString path_;
    int socket_ = -1;
    NmbdStreamParser parser_;
    std::chrono::milliseconds delay_ = kFirstReconnectDelay;
    Clock::time_point nextAttempt_{};
    std::optional<Clock::time_point> lastSeen_;
};

}  // namespace pelimo::platform
