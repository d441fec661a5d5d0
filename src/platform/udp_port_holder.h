// Which program holds a UDP port: the socket's inode from the kernel's table (/proc/net/udp),
// then the process whose descriptors include that socket. Processes of other users are not
// readable without privilege; their holder stays unknown.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace pelimo::platform {

// The inodes of the sockets bound to `port` in the text of /proc/net/udp; lines that do not
// parse are skipped.
std::vector<std::uint64_t> udpSocketInodes(QByteArrayView table, std::uint16_t port);

struct ProcSource {
    QString root = QStringLiteral("/proc");
};

// The command name (comm) of a process holding UDP `port`; nothing when unknown.
std::optional<QString> udpPortHolder(std::uint16_t port, const ProcSource& source = {});

}  // namespace pelimo::platform
