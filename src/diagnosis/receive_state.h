// Whether this computer can receive mailslot datagrams, and why not: which process holds the
// datagram port, whether this process routes or reads Samba nmbd's socket, and whether it may
// bind the port at all.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

struct LocalReceiveState {
    std::uint16_t datagramPort = 0;
    QString channel;
    bool mailslotOpen = false;      // this process holds the channel's local mailslot
    bool routing = false;           // this process takes the datagram port's datagrams
    bool readingNmbd = false;       // ...through nmbd's unexpected-packet socket
    bool portTaken = false;         // a socket of this computer is bound to the datagram port
    std::optional<QString> holder;  // the process holding it, where /proc tells
    QString nmbdSocket;
    bool mayBindLowPorts = false;
    QString program;  // the program that needs the right to bind the port
};

enum class ReceiveVerdict {
    Ourselves,        // this process holds the datagram port
    ThroughNmbd,      // this process reads nmbd's socket
    OtherCopy,        // another process of the program routes for this computer
    MailslotTaken,    // another copy holds the channel's mailslot and takes the answers
    PortHeld,         // another program holds the port, nmbd's socket cannot be read
    PortHeldUnknown,  // a process this user may not see holds the port
    NoPrivilege,      // the port is free but may not be bound
    NotListening,     // the port is free and nothing listens
};

namespace ReceiveState {

ReceiveVerdict verdict(const LocalReceiveState& state);
// Whether the answer of a computer reaches this process.
bool receivesAnswers(ReceiveVerdict verdict);

// Completes `state` (its transport fields filled by the caller) from /proc and the Samba
// configuration. Reads files only; call it off the window thread.
void read(LocalReceiveState& state, const std::optional<QString>& nmbdSocket);

}  // namespace ReceiveState
