#include "platform/udp_port_holder.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QList>

#include <algorithm>

#include "platform/atomic_file.h"

namespace pelimo::platform {
namespace {

// Columns of a line of /proc/net/udp: "sl local_address rem_address st tx:rx tr:when retrnsmt
// uid timeout inode ...".
constexpr qsizetype kLocalAddressColumn = 1;
constexpr qsizetype kInodeColumn = 9;

}  // namespace

std::vector<std::uint64_t> udpSocketInodes(QByteArrayView table, std::uint16_t port) {
    std::vector<std::uint64_t> inodes;
    const QList<QByteArray> lines = table.toByteArray().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> columns = line.simplified().split(' ');
        if (columns.size() <= kInodeColumn)
            continue;
        const QByteArray& local = columns[kLocalAddressColumn];
        const qsizetype colon = local.indexOf(':');
        if (colon < 0)
            continue;
        bool portOk = false;
        bool inodeOk = false;
        const uint localPort = local.mid(colon + 1).toUInt(&portOk, 16);
        const qulonglong inode = columns[kInodeColumn].toULongLong(&inodeOk, 10);
        if (portOk && inodeOk && localPort == port && inode != 0)
            inodes.push_back(inode);
    }
    return inodes;
}

std::optional<QString> udpPortHolder(std::uint16_t port, const ProcSource& source) {
    const auto table = readWholeFile(source.root + QStringLiteral("/net/udp"));
    if (!table)
        return std::nullopt;
    const std::vector<std::uint64_t> inodes = udpSocketInodes(*table, port);
    if (inodes.empty())
        return std::nullopt;
    const QDir proc(source.root);
    for (const QString& pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pid.isEmpty() || !pid.front().isDigit())
            continue;
        const QDir descriptors(proc.filePath(pid + QStringLiteral("/fd")));
        for (const QString& descriptor : descriptors.entryList(QDir::System | QDir::Files)) {
            char link[64] = {};
            const QByteArray path = descriptors.filePath(descriptor).toLocal8Bit();
            if (::readlink(path.constData(), link, sizeof link - 1) <= 0)
                continue;
            const QString target = QString::fromLatin1(link);
            for (const std::uint64_t inode : inodes) {
                if (target == QStringLiteral("socket:[%1]").arg(inode)) {
                    const auto comm = readWholeFile(proc.filePath(pid + QStringLiteral("/comm")));
                    if (comm)
                        return QString::fromLocal8Bit(*comm).trimmed();
                }
            }
        }
    }
    return std::nullopt;
}

}  // namespace pelimo::platform
