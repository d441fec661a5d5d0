// Network paths received from other computers ("\\server\share\dir\file"): checked before
// anything is read through them, and turned into the smb:// address libsmbclient reads.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace pelimo::platform {

inline constexpr qsizetype kMaxNetworkPathLength = 4096;
inline constexpr qsizetype kMaxServerNameLength = 255;
inline constexpr qsizetype kMaxShareNameLength = 80;

struct NetworkPath {
    QString server;
    QString share;
    QStringList components;  // the folders and the file below the share, at least one
};

// The parts of `path` when it has the form "\\server\share\name[\name...]" with backslashes
// only; nothing when a part is empty, is "." or "..", or holds a character that cannot be in a
// share path (control characters, / : * ? " < > | and, in the server name, @ ; % and blanks).
std::optional<NetworkPath> parseNetworkPath(const QString& path);

// "smb://server/share/a/b" with every part percent-encoded (UTF-8); `server` replaces the
// path's server name when given (an address the name was resolved to).
QByteArray smbUrlOf(const NetworkPath& path, const QString& server = {});

}  // namespace pelimo::platform
