// The Samba shares of this computer (NetShareEnum): the shares of the Samba configuration and the
// usershares, with their local folders.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

#include "platform/computer_identity.h"

namespace pelimo::platform {

// Share types as the server reports them.
inline constexpr quint32 kShareTypeDiskTree = 0;          // STYPE_DISKTREE
inline constexpr quint32 kShareTypePrintQueue = 1;        // STYPE_PRINTQ
inline constexpr quint32 kShareTypeIpc = 3;               // STYPE_IPC
inline constexpr quint32 kShareTypeSpecial = 0x80000000;  // STYPE_SPECIAL: administrative share
inline constexpr qint32 kShareUsesUnlimited = -1;         // SHI_USES_UNLIMITED

struct SambaShare {
    QString name;
    quint32 type = kShareTypeDiskTree;
    QString comment;
    QString path;              // the shared folder; empty when pathReadable is false
    bool pathReadable = true;  // false: the share is known by name only
    qint32 maxUses = kShareUsesUnlimited;
};

// The output of `net usershare info --long`: standard output and standard error.
struct UsershareListing {
    QByteArray output;
    QByteArray errors;
};

// Where the shares are read from; tests give their own configuration and listing.
struct SambaShareSource {
    SambaConfigSource config;              // testparm and smb.conf
    std::optional<QByteArray> configText;  // used instead of testparm and the file when set
    QString netProgram = QStringLiteral("net");
    std::optional<UsershareListing> usershares;  // used instead of running net when set
};

// The shares of a Samba configuration text (smb.conf or `testparm -s` output), in its order:
// every section but [global], [homes] and [printers], unavailable shares left out.
std::vector<SambaShare> parseSambaShares(QByteArrayView config);

// The usershares of a `net usershare info` listing, in its order; a usershare whose file net
// could not open for lack of rights is listed by name only (pathReadable false).
std::vector<SambaShare> parseUsershareListing(const UsershareListing& listing);

// The configuration's shares, then the usershares whose names the configuration does not use
// (Samba ignores those). Nothing when Samba is neither configured nor installed.
std::vector<SambaShare> readLocalSambaShares(const SambaShareSource& source = {});

}  // namespace pelimo::platform
