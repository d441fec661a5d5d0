#include "platform/mount_table.h"

#include "platform/atomic_file.h"

namespace pelimo::platform {
namespace {

// A mountinfo line: ID PARENT MAJ:MIN ROOT MOUNTPOINT OPTIONS [OPTIONAL...] - FSTYPE SOURCE OPTS
constexpr qsizetype kRootField = 3;
constexpr qsizetype kMountPointField = 4;
constexpr qsizetype kFirstOptionalField = 6;
constexpr int kOctalEscapeLength = 4;  // "\ooo"

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// The fields of one line, split at blanks (the kernel escapes blanks inside fields).
std::vector<QByteArrayView> splitFields(QByteArrayView line) {
    std::vector<QByteArrayView> fields;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == ' ' || line[i] == '\t') {
            if (i > start)
                fields.push_back(line.sliced(start, i - start));
            start = i + 1;
        }
    }
    return fields;
}

bool folderContains(const QString& folder, const QString& path) {
    if (folder == u"/")
        return path.startsWith(u'/');
    return path.startsWith(folder) && (path.size() == folder.size() || path[folder.size()] == u'/');
}

}  // namespace

QString decodeMountInfoField(QByteArrayView field) {
    QByteArray decoded;
    decoded.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + kOctalEscapeLength <= field.size() &&
            isOctalDigit(field[i + 1]) && isOctalDigit(field[i + 2]) &&
            isOctalDigit(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            // "\000" and values above one byte are no escapes the kernel writes.
            if (value > 0 && value <= 0xFF) {
                decoded.append(static_cast<char>(value));
                i += kOctalEscapeLength - 1;
                continue;
            }
        }
        decoded.append(field[i]);
    }
    return QString::fromLocal8Bit(decoded);
}

std::vector<MountEntry> parseMountInfo(QByteArrayView text) {
    std::vector<MountEntry> entries;
    qsizetype lineStart = 0;
    while (lineStart < text.size()) {
        qsizetype lineEnd = text.indexOf('\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        const std::vector<QByteArrayView> fields =
            splitFields(text.sliced(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;

        // The optional fields end at a lone "-"; the file system type and source follow it.
        qsizetype separator = -1;
        for (qsizetype i = kFirstOptionalField; i < qsizetype(fields.size()); ++i) {
            if (fields[i] == "-") {
                separator = i;
                break;
            }
        }
        if (separator < 0 || separator + 2 >= qsizetype(fields.size()))
            continue;
        MountEntry entry{
            .root = decodeMountInfoField(fields[kRootField]),
            .mountPoint = decodeMountInfoField(fields[kMountPointField]),
            .fsType = decodeMountInfoField(fields[separator + 1]),
            .source = decodeMountInfoField(fields[separator + 2]),
        };
        if (!entry.mountPoint.startsWith(u'/'))
            continue;
        while (entry.mountPoint.size() > 1 && entry.mountPoint.endsWith(u'/')) {
            entry.mountPoint.chop(1);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<MountEntry> readMountTable(const MountTableSource& source) {
    if (source.text)
        return parseMountInfo(*source.text);
    const auto bytes = readWholeFile(source.file);
    return bytes ? parseMountInfo(*bytes) : std::vector<MountEntry>{};
}

const MountEntry* mountHolding(const std::vector<MountEntry>& mounts, const QString& path) {
    const MountEntry* holder = nullptr;
    for (const MountEntry& entry : mounts) {
        if (!folderContains(entry.mountPoint, path))
            continue;
        if (holder == nullptr || entry.mountPoint.size() >= holder->mountPoint.size()) {
            holder = &entry;
        }
    }
    return holder;
}

}  // namespace pelimo::platform
