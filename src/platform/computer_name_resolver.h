// Finding the IPv4 address of a computer name as the mailslot sender does: the names already
// known, one broadcast NetBIOS name query, then, for a name the user typed only, the system
// resolver. A name that came from the network is a NetBIOS name and nothing else: it is never
// handed to the system resolver (no DNS query, no address literal).
#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/ipv4_network.h"
#include "platform/mailslot_transport_config.h"
#include "platform/netbios/netbios_name_cache.h"

namespace pelimo::platform {

// Where an addressee name comes from, which decides how far it may be looked up.
enum class NameSource {
    Typed,    // the user typed it or picked it: the system resolver may be asked
    Network,  // a datagram, a browse list or a discovery answer named it: NetBIOS only
};

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

// The address of `name` (ANSI) as known, queried on `socket` (and then learnt), or for a typed
// name from the system resolver; nothing for an unknown one. A name no computer answered for is
// not queried again for a while, so an unknown name costs one query time-out, not one per
// datagram. A network name that is no NetBIOS computer name is not looked up at all. Blocks up to
// the query time-out (and the system resolver's for a typed name).
std::optional<NameAnswer> lookUpComputerName(int socket, const QByteArray& name, NameSource source,
                                             const MailslotTransportConfig& config,
                                             NetbiosNameCache& names);

// The unique address of a typed `name`, with a socket of its own; nothing for a group name or an
// unknown one.
std::optional<std::uint32_t> resolveComputerName(const QByteArray& name,
                                                 const MailslotTransportConfig& config,
                                                 NetbiosNameCache& names);

}  // namespace pelimo::platform
