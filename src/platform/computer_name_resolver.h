// Finding the IPv4 address of a computer name as the mailslot sender does: the names learnt from
// received datagrams, one broadcast NetBIOS name query, then the system resolver.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/ipv4_network.h"
#include "platform/mailslot_transport_config.h"
#include "platform/netbios_name_cache.h"

namespace pelimo::platform {

struct NameAnswer {
    std::uint32_t address = 0;
    bool group = false;
};

// Where broadcasts go: the configured override, else every up, broadcast-capable interface.
std::vector<Ipv4Interface> broadcastTargets(const MailslotTransportConfig& config);

// One broadcast NAME QUERY REQUEST for NAME<00> on `socket` and up to the configured time-out
// for a positive answer.
std::optional<NameAnswer> queryNetbiosName(int socket, const QByteArray& name,
                                           const MailslotTransportConfig& config);

// The unique address of `name` (ANSI): learnt, queried (and then learnt) or from the system
// resolver; nothing for a group name or an unknown one. Blocks up to the query time-out.
std::optional<std::uint32_t> resolveComputerName(const QByteArray& name,
                                                 const MailslotTransportConfig& config,
                                                 NetbiosNameCache& names);

}  // namespace pelimo::platform
