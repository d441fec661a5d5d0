// The network path of a file on a mounted SMB share (WNetGetUniversalName): a CIFS/SMB3 kernel
// mount or a GVFS SMB mount gives "\\server\share\rest".
#pragma once

#include <QString>
#include <vector>

#include "platform/mount_table.h"

namespace pelimo::platform {

inline constexpr int kNetNoError = 0;
inline constexpr int kNetErrorBadDevice = 1200;     // ERROR_BAD_DEVICE
inline constexpr int kNetErrorNotConnected = 2250;  // ERROR_NOT_CONNECTED: not on a network share

struct UniversalName {
    int code = kNetErrorNotConnected;
    QString name;  // "\\server\share\rest" when code is kNetNoError
};

// `path` must be absolute and cleaned (no "//", "." or ".." parts). A path on an SMB mount gives
// kNetNoError and its network path; on any other file system kNetErrorNotConnected; on an SMB
// mount whose network path cannot be formed (a malformed source, a name holding a backslash)
// kNetErrorBadDevice.
UniversalName universalNameOf(const QString& path, const std::vector<MountEntry>& mounts);

}  // namespace pelimo::platform
