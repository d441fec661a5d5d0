// The mount table of this process (/proc/self/mountinfo): which file system holds a path.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

namespace pelimo::platform {

// One line of the mount table; texts with their octal escapes (\040 ...) decoded.
struct MountEntry {
    QString root;        // the folder of the mounted file system that appears at mountPoint
    QString mountPoint;  // where it appears in this process's tree
    QString fsType;      // "cifs", "ext4", "fuse.gvfsd-fuse", ...
    QString source;      // "//server/share/dir" for an SMB mount
};

// Where the mount table is read from; tests give their own text or file.
struct MountTableSource {
    QString file = QStringLiteral("/proc/self/mountinfo");
    std::optional<QByteArray> text;  // used instead of the file when set
};

// The entries of a mountinfo text, in its order; malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(QByteArrayView text);

// A mountinfo field with its "\ooo" octal escapes decoded (the kernel escapes blank, tab,
// line feed and backslash); any other backslash stays as it is.
QString decodeMountInfoField(QByteArrayView field);

// The table of `source`; empty when it cannot be read.
std::vector<MountEntry> readMountTable(const MountTableSource& source = {});

// The entry whose file system holds `path` (absolute, cleaned): the deepest mount point that
// contains it, the later of equal ones (a later mount hides an earlier one). Null when none.
const MountEntry* mountHolding(const std::vector<MountEntry>& mounts, const QString& path);

}  // namespace pelimo::platform
