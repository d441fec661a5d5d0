#include "mainwindow/presence.h"

#include "addressbook/presence_detection.h"
#include "stores/contacts.h"
#include "stores/history_file.h"
#include "transport/mailslot_channel.h"

void Presence::record(const QString& senderComputerName) {
    // A datagram without a sender names no computer: it cannot be a contact.
    if (senderComputerName.isEmpty())
        return;
    // A request to the workgroup comes back to its sender too: it names no other computer.
    if (senderComputerName.compare(gComputerName, Qt::CaseInsensitive) == 0)
        return;
    PresenceDetection::noteHeard(senderComputerName);
    qint16 index = gSearchContactWithComputerName(senderComputerName);
    if (index == 0) {
        // A full table adds nobody, quietly: a modal box opened from the receive timer would let
        // any peer on the network freeze the window.
        if (ContactList.Count >= kMaxContacts)
            return;
        if (!gFctAddContact(senderComputerName, senderComputerName, QString(), QString()))
            return;
        index = ContactList.Count;
    }
    ContactList[index].Connected = true;
    ContactList[index].Ready = true;
}

void Presence::markNewestHistoryEntryRead() {
    if (HistoryList.Count <= 0)
        return;
    const qint32 newest = HistoryList.Count;
    HistoryList.setState(newest,
                         HistoryList.hasAttachment(newest) ? kStateReadWithAttachment : kStateRead);
}
