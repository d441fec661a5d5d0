// ModMailSlot: the program's whole network transport. Each running copy owns one local mailslot
// named after the message channel; the receive timer scans it for one datagram at a time into the
// received-message table, and SendToPelimo writes one datagram to the same-named mailslot of
// another computer (or of every computer of a workgroup, or "*").
//
// Opening the mailslot also starts the network intake (the NetBIOS datagram router and name
// service); starting sends nothing on the network. Sending is queued and never blocks the caller.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "platform/mailslot_transport_config.h"

inline constexpr qint32 kInvalidHandleValue = -1;
inline constexpr char kDefaultMessageChannel[] = "pelimo";

// The received-message table. The three lists are 1-based: entry i (1..MessageCount) of each holds
// the first, second and third field of the i-th datagram received; index 0 is unused.
struct MailslotControlData {
    qint32 MailSlotHandle = kInvalidHandleValue;
    qint32 MessageCount = 0;
    QStringList SenderList;
    QStringList AddresseeList;
    QStringList TextList;  // still encoded payloads
};

extern MailslotControlData gStructureMailslotControl;

// The local computer name, sender of every datagram.
extern QString gComputerName;

// Creates the local mailslot of the channel (Settings.MessageChannel, else "pelimo") and starts
// the network intake. True when the mailslot was created; a second copy on the same channel gets
// false silently.
bool gFctInitMailSlot();

// Reads at most one datagram: -1 when no mailslot is open, 0 when none is waiting, 1 when one was
// read and appended to gStructureMailslotControl (entry MessageCount).
qint32 gFctScanMailSlot();

void gAddMessageToMailslotControl(const QString& sender, const QString& addressee,
                                  const QString& text);

// MessageCount = 0 and the three lists emptied.
void gInitMailslotControl();

// Closes the local mailslot and stops the network intake.
void gCloseMailSlot();

// Queues one datagram (sender NUL addressee NUL text NUL) for the mailslot of the channel on the
// computer, workgroup or "*" named by addressee, and returns at once. An empty addressee sends
// nothing; our own computer name delivers locally.
void SendToPelimo(const QString& sender, const QString& addressee, const QString& text);

// Sets `name` to the local computer name; returns non-zero on success, 0 on failure.
qint32 gFctGetComputerName(QString& name);

// The channel the mailslot is (or would be) opened on.
QString gMessageChannel();

// Replaces the transport's ports and destinations. Without a call the transport uses the NetBIOS
// ports of the network, except in the dialog seam's scripted mode (tests), where it uses
// MailslotTransportConfig::offline() so a test never reaches the network by accident. Tests that
// want the network path call this with MailslotTransportConfig::loopback(...). Takes effect for
// the next gFctInitMailSlot and the next datagram sent.
void gSetMailslotTransportConfig(const pelimo::platform::MailslotTransportConfig& config);
const pelimo::platform::MailslotTransportConfig& gMailslotTransportConfig();

// What the network intake of this process has done since the mailslot was opened.
struct MailslotIntakeFigures {
    bool routing = false;      // this process routes (the datagram port or nmbd's socket)
    bool readingNmbd = false;  // through nmbd's socket
    quint64 delivered = 0;
    quint64 dropped = 0;
    quint64 duplicates = 0;
};
MailslotIntakeFigures gMailslotIntakeFigures();

// Waits until every datagram queued by SendToPelimo has been written (or the timeout passed);
// true when the queue is empty. For tools that exit after sending, and tests.
bool gFlushMailslotSends(int timeoutMs);

// Closes the mailslot, stops intake and sender, empties the table and gComputerName, and forgets
// the configuration set by gSetMailslotTransportConfig. Tests call it between cases.
void gResetMailSlot();
