// What an arriving identification request or answer tells: its sender runs the program. The
// sender's contact is marked connected and ready, and a computer not yet in the address book is
// added as a contact named after it when the table has room; a full table adds
// nobody and says nothing. An empty sender, or this computer's own name, marks nobody.
#pragma once

#include <QString>

namespace Presence {

void record(const QString& senderComputerName);

// The newest history entry becomes read (1, or 3 with an attachment); nothing when the history
// is empty.
void markNewestHistoryEntryRead();

}  // namespace Presence
