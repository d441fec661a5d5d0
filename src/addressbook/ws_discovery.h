// The WS-Discovery client: a Probe multicast on every IPv4 interface, Resolve for matches that
// gave no transport address, then the metadata Get over HTTP that tells each computer's name and
// workgroup. Blocking, with one overall deadline; run it on a worker thread. A stopped detection
// ends it at once.
#pragma once

#include <vector>

#include "addressbook/ws_discovery_xml.h"

struct WsdDiscoveryLimits {
    // Answers to the probe are collected this long. A target answers a multicast probe after a
    // random delay of up to 500 ms; the window leaves 400 ms beyond that for the repeated probe.
    int probeWindowMs = 1000;
    // A Resolve sent extends the collection by this much, up to the probe window plus this.
    int resolveWindowMs = 1000;
    int httpTimeoutMs = 2000;  // one metadata exchange
    // The whole discovery, from the first probe to the last metadata answer taken.
    int overallMs = 3000;
    // Metadata exchanges run side by side.
    int parallelFetches = 8;
};

namespace WsDiscovery {

// The computers that answered, in the order of their answers, each once.
std::vector<WsdComputer> discoverComputers(const WsdDiscoveryLimits& limits = {});

}  // namespace WsDiscovery
