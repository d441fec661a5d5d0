// Why copying an attached file failed, in the words the user is shown.
#pragma once

#include "platform/smb_file_fetch.h"

enum class CopyFailure {
    None,
    InvalidPath,        // the received path is no usable network path: nothing was read
    NameNotFound,       // the sender's computer name resolves to no address
    ConnectionRefused,  // the computer answers but takes no file-sharing connection
    NoAnswer,           // the computer cannot be reached or does not answer in time
    AccessDenied,       // the share refused the user (guest or the name and password given)
    FileMissing,        // no such share, folder or file (or it is a folder)
    DiskFull,           // the local disk (or the user's quota) is full
    CannotWrite,        // the chosen local folder cannot be written
    Cancelled,          // the user cancelled the copy
    Other
};

namespace CopyFailures {

// The reason of a fetch that did not copy.
CopyFailure classify(const pelimo::platform::SmbFetchResult& result);

// The language message naming `failure` (after the copy error's first sentence).
int message(CopyFailure failure);

}  // namespace CopyFailures
