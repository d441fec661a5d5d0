#include "addressbook/ws_discovery_devices.h"

#include <algorithm>

namespace {

bool isComputer(const WsdMatch& match) {
    if (match.types.isEmpty())
        return true;  // unknown: its metadata tells
    return std::any_of(match.types.begin(), match.types.end(), [](const QString& type) {
        return type.endsWith(QStringLiteral(":Computer")) || type == QStringLiteral("Computer");
    });
}

}  // namespace

QUrl WsDiscoveryDevices::metadataAddress(const QStringList& xaddrs, const QHostAddress& sender) {
    if (sender.isNull())
        return {};
    for (const QString& address : xaddrs) {
        QUrl url(address, QUrl::StrictMode);
        if (!url.isValid() || url.scheme() != QLatin1String("http") || !url.userInfo().isEmpty())
            continue;
        // QHostAddress reads only literals: a DNS name never parses.
        const QHostAddress host(url.host());
        if (!host.isNull() && host.isEqual(sender, QHostAddress::ConvertV4MappedToIPv4))
            return url;
    }
    return {};
}

bool WsdDeviceTable::take(const WsdMatch& match, const QHostAddress& sender) {
    if (match.endpoint.isEmpty() || !isComputer(match))
        return false;
    auto known = std::find_if(devices_.begin(), devices_.end(), [&](const WsdDevice& device) {
        return device.endpoint == match.endpoint;
    });
    if (known == devices_.end()) {
        if (static_cast<int>(devices_.size()) >= kWsdMaxDevices)
            return false;
        devices_.push_back({match.endpoint, QUrl()});
        known = devices_.end() - 1;
        if (match.xaddrs.isEmpty())
            return true;
    }
    if (known->metadata.isEmpty()) {
        const QUrl metadata = WsDiscoveryDevices::metadataAddress(match.xaddrs, sender);
        if (!metadata.isEmpty() && !addressTaken(metadata))
            known->metadata = metadata;
    }
    return false;
}

bool WsdDeviceTable::addressTaken(const QUrl& metadata) const {
    const QHostAddress host(metadata.host());
    return std::any_of(devices_.begin(), devices_.end(), [&](const WsdDevice& device) {
        return !device.metadata.isEmpty() && QHostAddress(device.metadata.host()).isEqual(host);
    });
}

std::vector<WsdDevice> WsdDeviceTable::fetchable() const {
    std::vector<WsdDevice> usable;
    std::copy_if(devices_.begin(), devices_.end(), std::back_inserter(usable),
                 [](const WsdDevice& device) { return !device.metadata.isEmpty(); });
    return usable;
}
