// The addressee list of the send panel: items cut at ";", each resolved to the name that goes
// into its datagram. An item that is a contact's user name (without regard to case) becomes that
// contact's computer name; any other item is taken as it is, so a computer, workgroup or domain
// name, or "*", can be typed directly.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace Addressees {

// The items of the list in order: ";" is the only separator, blanks around an item are dropped,
// empty items are kept, and what follows the last ";" counts only when it is not blank.
QStringList split(const QString& list);

// Fills `count` and `computerNames` (entry i of the list at position i - 1) with the resolved
// addressees of `list`, one per item in list order; an empty item shows "Error, no user name".
void resolve(const QString& list, qint32& count, QStringList& computerNames);

// The list after the contact at `position` was picked: "name; " appended, after closing the last
// item with "; " when it is not closed yet.
QString append(const QString& list, const QString& userName);

}  // namespace Addressees
