// The devices that answered one WS-Discovery probe, and where their metadata may be asked for.
// Every answer comes from an unauthenticated host: its metadata is asked only of the address the
// answer came from, named in the answer as an IP literal (no name is looked up), one device per
// address, and at most kWsdMaxDevices devices are taken from one discovery.
#pragma once

#include <QHostAddress>
#include <QUrl>
#include <vector>

#include "addressbook/ws_discovery_xml.h"

inline constexpr int kWsdMaxDevices = 64;

struct WsdDevice {
    QString endpoint;
    QUrl metadata;  // empty until an answer gave a usable address
};

namespace WsDiscoveryDevices {

// The first http:// transport address of `xaddrs` whose host is the IP literal `sender`; empty
// when none is.
QUrl metadataAddress(const QStringList& xaddrs, const QHostAddress& sender);

}  // namespace WsDiscoveryDevices

class WsdDeviceTable {
public:
    // Takes one match that `sender` sent. True when the device gave no transport address at all
    // and a Resolve is to be sent for it (once per device).
    bool take(const WsdMatch& match, const QHostAddress& sender);

    const std::vector<WsdDevice>& devices() const { return devices_; }
    // The devices whose metadata may be asked for, in the order they answered.
    std::vector<WsdDevice> fetchable() const;

private:
    bool addressTaken(const QUrl& metadata) const;

    std::vector<WsdDevice> devices_;
};
