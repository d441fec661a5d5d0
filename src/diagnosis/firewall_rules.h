// Local firewall rules that drop the NetBIOS name or datagram service (UDP 137, 138), read from
// the kernel's ruleset as `nft -j list ruleset` prints it (iptables-nft rules included). Reading
// the ruleset needs administrator rights; without them the rules stay unknown.
#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

inline constexpr int kFirewallMaxRules = 20000;
inline constexpr int kFirewallMaxDrops = 16;

struct FirewallDrop {
    QString chain;     // "family table chain"
    QList<int> ports;  // the NetBIOS ports the rule matches
    QString verdict;   // "drop" or "reject"
    bool operator==(const FirewallDrop&) const = default;
};

struct FirewallReading {
    bool readable = false;
    QString reason;  // why the rules could not be read
    std::vector<FirewallDrop> drops;
};

namespace FirewallRules {

// The rules of an nft JSON ruleset that drop or reject UDP to port 137 or 138 (a port, a set
// or a range holding one of them); at most kFirewallMaxDrops, from at most kFirewallMaxRules
// rules. Nothing for text that is not such a ruleset.
std::optional<std::vector<FirewallDrop>> netbiosDropsInNftRuleset(QByteArrayView json);

// Runs nft and reads its ruleset; waits at most a few seconds. Call it off the window thread.
FirewallReading read();

}  // namespace FirewallRules
