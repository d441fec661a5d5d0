// Copying an attached file from the sender's share: the copier of network paths that ShFileCopy
// uses. The file is read with libsmbclient on a thread of its own while the caller's thread keeps
// handling events (the window goes on receiving) and follows the progress, so Cancel works.
#pragma once

#include <QString>

#include "attachments/copy_failure.h"
#include "platform/file_copy.h"
#include "platform/smb_file_fetch.h"
#include "transport/local_computer_name.h"

namespace NetworkCopy {

// Copies `source` ("\\server\share\dir\file") to `destination` (a folder receives the file under
// its own name). Only a well-formed network path is read (see parseNetworkPath); anything else
// fails with nothing written. Guest access first; when the share refuses it, the user is asked
// once for a user name and password and the copy is tried again with them.
pelimo::platform::CopyOutcome copyFrom(const QString& source, const QString& destination,
                                       const pelimo::platform::CopyProgress& progress);

// What made the last copy from a network path fail, for the developer; empty after a success.
QString lastError();
// The same as the user is told; None after a success.
CopyFailure lastFailure();

// Stops the copies from network paths under way, for the shutdown: each ends at its next read,
// removes its temporary file and fails without asking anything.
void cancelAll() noexcept;

// Makes ShFileCopy use NetworkCopy::copyFrom for network paths.
void install();

// Replaces how server names are resolved (tests); an empty function restores the transport's.
void setResolver(ComputerNameResolver resolver);

}  // namespace NetworkCopy
