// The WS-Discovery client: a Probe multicast on every IPv4 interface, Resolve for matches that
// gave no transport address, then the metadata Get over HTTP that tells each computer's name and
// workgroup. Blocking with bounded waits; run it on a worker thread.
#pragma once

#include <vector>

#include "addressbook/ws_discovery_xml.h"

struct WsdDiscoveryLimits {
    // Answers to the probe are collected this long. A target answers a multicast probe after a
    // random delay of up to 500 ms; the window leaves 400 ms beyond that for the repeated probe.
    int probeWindowMs = 1000;
    int resolveWindowMs = 1000;  // and this long after the last Resolve sent
    int httpTimeoutMs = 2000;    // one metadata exchange
};

// The computers that answered, in the order of their answers, each once.
std::vector<WsdComputer> gWsdDiscoverComputers(const WsdDiscoveryLimits& limits = {});
