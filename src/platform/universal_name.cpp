#include "platform/universal_name.h"

#include <QRegularExpression>
#include <QStringList>

namespace pelimo::platform {
namespace {

const QStringList kSmbFileSystems = {QStringLiteral("cifs"), QStringLiteral("smb3"),
                                     QStringLiteral("smbfs")};
constexpr char16_t kGvfsFileSystem[] = u"fuse.gvfsd-fuse";
constexpr char16_t kGvfsSmbSharePrefix[] = u"smb-share:";

// The folder under which GVFS shows its mounts, also when the mount table does not list it.
const QRegularExpression& gvfsFolderPattern() {
    static const QRegularExpression pattern(QStringLiteral("^/run/user/[0-9]+/gvfs(?=/|$)"));
    return pattern;
}

bool startsWithFolder(const QString& path, const QString& folder, Qt::CaseSensitivity cs) {
    if (folder.isEmpty() || folder == u"/")
        return true;
    return path.startsWith(folder, cs) &&
           (path.size() == folder.size() || path[folder.size()] == u'/');
}

// "\\server\share" + the rest, "/" turned into "\"; a name holding a backslash of its own
// cannot be written as a network path.
UniversalName networkPath(const QString& server, const QString& share, const QString& rest) {
    // A separator inside a server or share name (a decoded "%2f" of a GVFS mount) has no
    // network path.
    const auto badName = [](const QString& name) {
        return name.isEmpty() || name.contains(u'\\') || name.contains(u'/');
    };
    if (badName(server) || badName(share) || rest.contains(u'\\')) {
        return {kNetErrorBadDevice, {}};
    }
    QString tail = rest;
    tail.replace(u'/', u'\\');
    return {kNetNoError, QStringLiteral("\\\\") + server + u'\\' + share + tail};
}

// The rest of `path` below `folder`: "" or "/..." ("/" holds everything).
QString restBelow(const QString& path, const QString& folder) {
    return folder == u"/" ? path : path.mid(folder.size());
}

// A kernel SMB mount: source "//server/share[/prefix]"; its root is the folder of the share
// that appears at the mount point ("/" for the whole share or the prefix).
UniversalName onSmbMount(const QString& path, const MountEntry& mount) {
    QString source = mount.source;
    source.replace(u'\\', u'/');
    if (!source.startsWith(u"//"))
        return {kNetErrorBadDevice, {}};
    const QStringList parts = source.mid(2).split(u'/', Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return {kNetErrorBadDevice, {}};
    QString prefix;
    for (qsizetype i = 2; i < parts.size(); ++i)
        prefix += u'/' + parts[i];

    // Kernels differ in whether the root repeats the prefix of the source; share names do not
    // depend on letter case.
    QString folder = prefix;
    if (!mount.root.isEmpty() && mount.root != u"/") {
        const QString root = mount.root.endsWith(u'/') ? mount.root.chopped(1) : mount.root;
        folder = (!prefix.isEmpty() && startsWithFolder(root, prefix, Qt::CaseInsensitive))
                     ? root
                     : prefix + root;
    }
    return networkPath(parts[0], parts[1], folder + restBelow(path, mount.mountPoint));
}

// A GVFS mount: "<gvfs folder>/smb-share:server=S,share=X[,domain=..,user=..]/rest", the
// values percent-encoded. Other GVFS back ends (sftp, dav, ...) are no SMB shares.
UniversalName onGvfsMount(const QString& path, const QString& gvfsFolder) {
    const QString below = path.mid(gvfsFolder.size() + 1);
    const qsizetype slash = below.indexOf(u'/');
    const QString mountName = below.left(slash);
    if (!mountName.startsWith(kGvfsSmbSharePrefix))
        return {kNetErrorNotConnected, {}};
    QString server;
    QString share;
    const QString keys = mountName.mid(QStringView(kGvfsSmbSharePrefix).size());
    for (const QString& item : keys.split(u',')) {
        const qsizetype equals = item.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString value =
            QString::fromUtf8(QByteArray::fromPercentEncoding(item.mid(equals + 1).toUtf8()));
        if (item.left(equals) == u"server")
            server = value;
        if (item.left(equals) == u"share")
            share = value;
    }
    return networkPath(server, share, slash < 0 ? QString() : below.mid(slash));
}

}  // namespace

UniversalName universalNameOf(const QString& path, const std::vector<MountEntry>& mounts) {
    const MountEntry* mount = mountHolding(mounts, path);
    if (mount != nullptr && kSmbFileSystems.contains(mount->fsType)) {
        return onSmbMount(path, *mount);
    }
    QString gvfsFolder;
    if (mount != nullptr && mount->fsType == kGvfsFileSystem && mount->mountPoint != u"/") {
        gvfsFolder = mount->mountPoint;
    } else if (const auto match = gvfsFolderPattern().match(path); match.hasMatch()) {
        gvfsFolder = match.captured();
    }
    if (!gvfsFolder.isEmpty() && path.size() > gvfsFolder.size() + 1) {
        return onGvfsMount(path, gvfsFolder);
    }
    return {kNetErrorNotConnected, {}};
}

}  // namespace pelimo::platform
