// The records local programs and the router exchange over the router's socket, a Unix
// SOCK_SEQPACKET socket: one record per socket message, its first byte the record type. Programs
// take a channel's mailslot, hand datagrams to send and wait for them to be written; the router
// answers, and delivers what arrives for their mailslot with where it came from. The router reads
// records from other users' programs: each is decoded with bounds checks, and anything that is not
// exactly one well-formed record is refused.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>
#include <variant>

#include "platform/mailslot_envelope.h"
#include "platform/mailslot_sender.h"

namespace pelimo::platform::router {

inline constexpr std::size_t kMaxNameSize = 255;      // channel, computer and user names
inline constexpr std::size_t kMaxTextSize = 4096;     // paths and program names in a report
inline constexpr std::size_t kMaxRecordSize = 70000;  // above the largest datagram and its fields
inline constexpr std::uint32_t kMaxFlushWaitMs = 60000;

// From a program.
struct RegisterRequest {  // take the mailslot of `channel` for the calling user
    QByteArray channel;
    bool operator==(const RegisterRequest&) const = default;
};
struct SendRequest {                  // write one datagram; the router sends as this computer
    OutgoingMailslotMessage message;  // ownComputerName is the router's, not the program's
    bool operator==(const SendRequest&) const = default;
};
struct FlushRequest {  // tell once everything handed so far was written, or the wait ended
    std::uint32_t waitMs = 0;
    bool operator==(const FlushRequest&) const = default;
};
struct StatusRequest {  // what the router still holds and has lost on the way in
    bool operator==(const StatusRequest&) const = default;
};
using ProgramRecord = std::variant<RegisterRequest, SendRequest, FlushRequest, StatusRequest>;

// From the router.
enum class RegisterResult : std::uint8_t {
    Registered = 0,
    Taken = 1,    // this user's copy on this channel holds it already
    Refused = 2,  // not a channel name, or a second registration on one connection
};
// What the router could do about the network, so that a program can explain a missing intake.
struct IntakeReport {
    bool routing = false;           // it holds the datagram port
    bool readingNmbd = false;       // it reads nmbd's socket instead
    bool permissionDenied = false;  // a port needed a privilege it lacks
    bool portHeld = false;          // the datagram port is another program's
    std::int32_t nmbdError = 0;
    std::uint16_t datagramPort = 0;
    std::uint16_t namePort = 0;
    QByteArray nmbdSocketPath;
    QByteArray portHolder;     // the program holding the datagram port, when known
    QByteArray routerProgram;  // the router's executable, for the privilege hint
    bool operator==(const IntakeReport&) const = default;
};
struct RegisterReply {
    RegisterResult result = RegisterResult::Refused;
    IntakeReport intake;
    bool operator==(const RegisterReply&) const = default;
};
struct FlushReply {
    bool written = false;  // false: the wait ended first
    bool operator==(const FlushReply&) const = default;
};
struct StatusReply {
    std::uint32_t held = 0;  // datagrams read from the network and not yet handed on
    std::uint64_t lost = 0;  // datagrams lost on their way in: the network's and this program's
    bool routing = false;    // the intake holds the datagram port
    bool readingNmbd = false;
    std::uint64_t delivered = 0;
    std::uint64_t dropped = 0;
    std::uint64_t duplicates = 0;
    std::uint32_t receiveBufferBytes = 0;
    bool operator==(const StatusReply&) const = default;
};
using RouterRecord = std::variant<RegisterReply, EnvelopedMessage, FlushReply, StatusReply>;

QByteArray encodeProgramRecord(const ProgramRecord& record);
std::optional<ProgramRecord> decodeProgramRecord(QByteArrayView bytes);

QByteArray encodeRouterRecord(const RouterRecord& record);
std::optional<RouterRecord> decodeRouterRecord(QByteArrayView bytes);

}  // namespace pelimo::platform::router
