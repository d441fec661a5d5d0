// ModMailSlot: the program's whole network transport. Each running copy owns one local mailslot
// named after the message channel; the receive timer scans it for one datagram at a time into the
// received-message table, and SendToPelimo writes one datagram to the same-named mailslot of
// another computer (or of every computer of a workgroup, or "*").
//
// The mailslot is taken from the router of the computer (pelimo-router, started by the first
// Pelimo when none runs), which alone holds the NetBIOS ports and hands each user's copy what
// arrives for it; opening it sends nothing on the network. Sending goes through the router when
// one runs, else from this process; it is queued and never blocks the caller.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

#include "platform/computer_name_resolver.h"
#include "platform/mailslot_envelope.h"
#include "platform/mailslot_transport_config.h"
#include "transport/local_computer_name.h"

inline constexpr qint32 kInvalidHandleValue = -1;
inline constexpr char kDefaultMessageChannel[] = "pelimo";

// One list of the received-message table, indexed from 1. It holds only the entries the receive
// loop has still to take: entries it has taken (MailslotChannel::releaseEntries) or that the table
// could not keep read as empty values.
template <class Value>
class MailslotList {
public:
    const Value& operator[](qint32 index) const {
        static const Value kNone{};
        const qint64 offset = static_cast<qint64>(index) - first_;
        return offset >= 0 && offset < static_cast<qint64>(values_.size())
                   ? values_[static_cast<std::size_t>(offset)]
                   : kNone;
    }
    Value value(qint32 index) const { return (*this)[index]; }
    bool isEmpty() const { return values_.empty(); }
    qint32 heldCount() const { return static_cast<qint32>(values_.size()); }
    const Value& first() const { return values_.front(); }

    // Used by ModMailSlot only, on the four lists together.
    void append(Value value) { values_.push_back(std::move(value)); }
    void dropFirst() {
        values_.pop_front();
        ++first_;
    }
    void restartAt(qint32 first) {
        values_.clear();
        first_ = first;
    }

private:
    std::deque<Value> values_;
    qint32 first_ = 1;  // the index of values_.front()
};

// The received-message table. The lists are 1-based and parallel: entry i of each holds the
// first, second and third field of the i-th datagram received, and where it came from. The count
// goes on rising; the lists hold only what the receive loop has not taken yet, at most
// kMaxHeldMailslotEntries entries and kMaxHeldMailslotBytes of text: when more arrive untaken,
// the oldest are dropped and counted as lost.
struct MailslotControlData {
    qint32 MailSlotHandle = kInvalidHandleValue;
    qint32 MessageCount = 0;
    MailslotList<QString> SenderList;
    MailslotList<QString> AddresseeList;
    MailslotList<QString> TextList;  // still encoded payloads
    MailslotList<pelimo::platform::MailslotOrigin> OriginList;
    qint64 HeldBytes = 0;  // what the held text takes in memory
};

inline constexpr qint32 kMaxHeldMailslotEntries = 256;
inline constexpr qint64 kMaxHeldMailslotBytes = 8 * 1024 * 1024;

extern MailslotControlData gStructureMailslotControl;

// Takes the local mailslot of the channel (Settings.MessageChannel, else "pelimo") from the
// router, starting the router when none runs. True when the mailslot is ours; false (and
// MailslotChannel::failure says why) when another copy of this user holds the channel or no
// router can be had. Says once what the router could not do about the network.
bool gFctInitMailSlot();

// Reads at most one datagram: -1 when no mailslot is open, 0 when none is waiting, 1 when one was
// read and appended to gStructureMailslotControl (entry MessageCount).
qint32 gFctScanMailSlot();

void gAddMessageToMailslotControl(
    const QString& sender, const QString& addressee, const QString& text,
    const pelimo::platform::MailslotOrigin& origin = pelimo::platform::MailslotOrigin::local());

// MessageCount = 0 and the lists emptied.
void gInitMailslotControl();

// Closes the local mailslot; the router goes on serving the other programs.
void gCloseMailSlot();

// Queues one datagram (sender NUL addressee NUL text NUL) for the mailslot of the channel on the
// computer, workgroup or "*" named by addressee, and returns at once. An empty addressee sends
// nothing; our own computer name delivers locally. `source` says where the addressee came from:
// a name from the network is looked up by NetBIOS only (computer_name_resolver.h).
void SendToPelimo(const QString& sender, const QString& addressee, const QString& text,
                  pelimo::platform::NameSource source = pelimo::platform::NameSource::Typed);

namespace MailslotChannel {

// Why the last gFctInitMailSlot gave no mailslot, for the user; empty after a success.
QString failure();

// The router program this process starts when none runs: the one program that needs the right
// to bind the NetBIOS ports.
QString routerProgram();

// The receive loop has taken every entry up to `index`: they leave the table.
void releaseEntries(qint32 index);

// Queues an answer to a received datagram (`origin` from OriginList, `addressee` its sender): to
// the address the datagram came from when it came from the network, whatever name it claims;
// else to `addressee` looked up as a network name.
void answerOrigin(const QString& sender, const QString& addressee, const QString& text,
                  const pelimo::platform::MailslotOrigin& origin);

// Whether a name from a received datagram can be a computer's NetBIOS name (1 to 15 characters,
// neither an address nor a DNS name).
bool isNetworkComputerName(const QString& name);

// The channel the mailslot is (or would be) opened on.
QString name();

// Replaces the transport's ports and destinations. Without a call the transport uses the NetBIOS
// ports of the network, except in the dialog seam's scripted mode (tests), where it uses
// MailslotTransportConfig::offline() so a test never reaches the network by accident. Tests that
// want the network path call this with MailslotTransportConfig::loopback(...). Takes effect for
// the next gFctInitMailSlot and the next datagram sent.
void setTransportConfig(const pelimo::platform::MailslotTransportConfig& config);
const pelimo::platform::MailslotTransportConfig& transportConfig();

// Waits until every datagram queued by SendToPelimo has been written (or the timeout passed);
// true when the queue is empty. For tools that exit after sending, and tests.
bool flushSends(int timeoutMs);

// Closes the mailslot, stops intake and sender, empties the table and gComputerName, and forgets
// the configuration set by setTransportConfig. Tests call it between cases.
void reset();

}  // namespace MailslotChannel

// What the router's network intake has done since it started, as it tells (all zero without a
// mailslot from the router).
struct MailslotIntakeFigures {
    bool routing = false;      // the router routes (the datagram port or nmbd's socket)
    bool readingNmbd = false;  // through nmbd's socket
    quint64 delivered = 0;
    quint64 dropped = 0;
    quint64 duplicates = 0;
};

// Tells the user, once, what the router could not do about the network (nothing from other
// computers can be received). The window layer installs its box here; without one the text goes
// through the dialog seam.
using MailslotIntakePresenter = std::function<void(const QString& text)>;

namespace MailslotIntake {

void setPresenter(MailslotIntakePresenter presenter);

// Datagrams for this host lost on their way in since the mailslot was opened: the network
// intake's socket overflowed or could not hand them to a local mailslot, the mailslot's queue or
// the received-message table was full. 0 when nothing was lost.
quint64 lostDatagrams();

// Whether the router still holds datagrams read from the network and not yet handed on (asks
// the router; waits for its answer a moment at most).
bool holdsDatagrams();

// The receive buffer the router's datagram socket was granted, in bytes (0 without one).
int receiveBufferBytes();

MailslotIntakeFigures figures();

}  // namespace MailslotIntake
