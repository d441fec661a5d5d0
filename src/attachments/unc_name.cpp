#include "attachments/unc_name.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "platform/computer_identity.h"
#include "platform/universal_name.h"

using namespace pelimo::platform;

bool gShareAccessDenied = false;

namespace {

UncNameSources gSources;
// Set by every enumeration: some shares were known by name only.
bool gSomeShareFoldersUnreadable = false;

bool isSameFolder(const QString& a, const QString& b) {
    std::error_code error;
    return std::filesystem::equivalent(QFile::encodeName(a).toStdString(),
                                       QFile::encodeName(b).toStdString(), error) &&
           !error;
}

// The part of `path` below the shared folder `sharePath` ("" or "/..."), or nothing when the
// share does not hold it. Letters may differ in case only where both name the same folder: on
// a file system that tells cases apart, another folder must not be named through the share.
std::optional<QString> restBelowShare(const QString& path, const QString& sharePath) {
    // A folder with Samba's % substitutions is a template, not one folder.
    if (!sharePath.startsWith(u'/') || sharePath.contains(u'%'))
        return std::nullopt;
    const QString folder = QDir::cleanPath(sharePath);
    if (folder == u"/")
        return path == u"/" ? QString() : path;
    if (path.size() < folder.size() || (path.size() > folder.size() && path[folder.size()] != u'/'))
        return std::nullopt;
    const QString prefix = path.left(folder.size());
    if (prefix.compare(folder, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    if (prefix != folder && !isSameFolder(prefix, folder))
        return std::nullopt;
    return path.mid(folder.size());
}

// "\\COMPUTER\share\rest" through the first disk share, in the order of the enumeration, that
// holds one of the forms of the path.
std::optional<QString> pathThroughLocalShare(const QStringList& forms) {
    QList<ShareInfo> shares;
    const qint32 count = gFctEnumerateShares(shares, {});
    if (count < 1)
        return std::nullopt;
    const QString computer = mFctGetComputerName();
    if (computer.isEmpty())
        return std::nullopt;
    for (const ShareInfo& share : shares) {
        if (share.ShareType != kShareTypeDiskTree)
            continue;
        for (const QString& form : forms) {
            const std::optional<QString> rest = restBelowShare(form, share.Path);
            // A name holding a backslash cannot be written as a network path.
            if (!rest || rest->contains(u'\\'))
                continue;
            QString tail = *rest;
            tail.replace(u'/', u'\\');
            return QStringLiteral("\\\\") + computer + u'\\' + share.NetName + tail;
        }
    }
    return std::nullopt;
}

ShareInfo shareInfoOf(const SambaShare& share, bool withPath) {
    return {.NetName = share.name,
            .ShareType = share.type,
            .Remark = share.comment,
            .MaxUses = withPath ? share.maxUses : 0,
            .Path = withPath ? share.path : QString()};
}

}  // namespace

QString gFctGetUNCName(const QString& localPath) {
    // Only an absolute local path is converted; "\\server\..." and "//server/..." are none.
    if (!localPath.startsWith(u'/') || localPath.startsWith(u"//") ||
        localPath.contains(QChar(u'\0'))) {
        return {};
    }
    const QString cleaned = QDir::cleanPath(localPath);
    // Symbolic links are followed to where the file really lies.
    const QString canonical = QFileInfo(cleaned).canonicalFilePath();
    const QString location = canonical.isEmpty() ? cleaned : canonical;

    const UniversalName universal = universalNameOf(location, readMountTable(gSources.mounts));
    if (universal.code == kNetNoError)
        return universal.name;
    if (universal.code != kNetErrorNotConnected)
        return {};

    QStringList forms{cleaned};
    if (!canonical.isEmpty() && canonical != cleaned)
        forms.append(canonical);
    return pathThroughLocalShare(forms).value_or(localPath);
}

qint32 gFctEnumerateShares(QList<ShareInfo>& shares, const QString& server) {
    if (mFctIsWindowsNT()) {
        const qint32 count = mFctEnumerateSharesNT(shares, server);
        gShareAccessDenied = count < 0 || gSomeShareFoldersUnreadable;
        return count;
    }
    return mFctEnumerateShares9x(shares, server);
}

qint32 mFctEnumerateSharesNT(QList<ShareInfo>& shares, const QString& server) {
    shares.clear();
    gSomeShareFoldersUnreadable = false;
    if (!server.isEmpty())
        return 0;  // only this computer's shares are known
    QList<ShareInfo> full;
    QList<ShareInfo> namesOnly;
    for (const SambaShare& share : readLocalSambaShares(gSources.shares)) {
        namesOnly.append(shareInfoOf(share, false));
        if (share.pathReadable)
            full.append(shareInfoOf(share, true));
    }
    gSomeShareFoldersUnreadable = full.size() < namesOnly.size();
    // Full records of the shares whose folders could be read; names only when none could.
    if (!full.isEmpty()) {
        shares = full;
        return qint32(full.size());
    }
    shares = namesOnly;
    return -qint32(namesOnly.size());
}

qint32 mFctEnumerateShares9x(QList<ShareInfo>& shares, const QString& server) {
    shares.clear();
    if (!server.isEmpty())
        return 0;
    for (const SambaShare& share : readLocalSambaShares(gSources.shares)) {
        if (share.pathReadable)
            shares.append(shareInfoOf(share, true));
    }
    return qint32(shares.size());
}

// Samba on Linux answers like an NT-family server; there is no Windows 95/98 to tell apart.
bool mFctIsWindowsNT() {
    return true;
}
bool mFctIsWindows95() {
    return false;
}

QString mFctGetComputerName() {
    if (gSources.computerName)
        return *gSources.computerName;
    return localComputerName(gSources.shares.config);
}

void UncNames::setSources(UncNameSources sources) {
    gSources = std::move(sources);
}

void UncNames::reset() {
    gShareAccessDenied = false;
    gSomeShareFoldersUnreadable = false;
    gSources = {};
}
