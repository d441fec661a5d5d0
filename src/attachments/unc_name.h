// MUncName: turns the local path of an attached file into the network (UNC) path through which
// the addressee reaches it. A file on a mounted SMB share gives the share's own network path; a
// file in a folder that this computer shares through Samba gives "\\COMPUTER\share\rest".
//
// Three results: a network path; the input unchanged (a local path that no disk share of this
// computer covers); the empty text (not an absolute local path, or the network path of the mount
// holding it could not be formed).
#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

#include "platform/mount_table.h"
#include "platform/samba_shares.h"

// One share of this computer, as the level-2 share information gives it.
struct ShareInfo {
    QString NetName;
    quint32 ShareType = 0;  // 0 = disk share; printers, IPC$ and administrative shares differ
    QString Remark;
    qint32 Permissions = 0;
    qint32 MaxUses = 0;
    qint32 CurrentUses = 0;
    QString Path;  // the shared folder
    QString Password;
};

// True when the last share enumeration could read share names but not the folders of some of
// them (usershares of other users); sending then warns that rights are missing.
extern bool gShareAccessDenied;

// Where the module reads this computer's state from; tests give their own.
struct UncNameSources {
    pelimo::platform::MountTableSource mounts;
    pelimo::platform::SambaShareSource shares;
    std::optional<QString> computerName;  // else the computer name of the Samba configuration
};

// The network path of `localPath`, the input unchanged, or empty (see above). Symbolic links are
// followed. A share's folder holds the path when it is the path or one of its parent folders;
// letter case may differ only where both spellings name the same folder.
QString gFctGetUNCName(const QString& localPath);

// Fills `shares` (0-based) with the shares of this computer and returns their number; when
// only the names could be read, minus their number; 0 when there are none. `server` must be
// empty (this computer): other servers give 0. Sets gShareAccessDenied.
qint32 gFctEnumerateShares(QList<ShareInfo>& shares, const QString& server);

// Helpers of the module, kept under their own names. There is no Windows 95/98 on Linux: the
// Samba share enumeration behaves like the NT-family one (full records, or names only when the
// folders cannot be read), so the version tests are constant. The byte-buffer readers of the
// Windows records have no counterpart: the platform readers hand over typed records.
qint32 mFctEnumerateSharesNT(QList<ShareInfo>& shares, const QString& server);
qint32 mFctEnumerateShares9x(QList<ShareInfo>& shares, const QString& server);
bool mFctIsWindowsNT();
bool mFctIsWindows95();
QString mFctGetComputerName();

namespace UncNames {

// Replaces the sources (tests); UncNames::reset restores the real system's.
void setSources(UncNameSources sources);
// gShareAccessDenied = false and the real system's sources.
void reset();

}  // namespace UncNames
