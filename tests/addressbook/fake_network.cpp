#include "fake_network.h"

#include "errorreport/runtime_error.h"
#include "transport/mailslot_channel.h"

namespace {

class FakeBackend final : public NetworkBackend {
public:
    explicit FakeBackend(FakeNetwork& network) : network_(network) {}
    quint32 openEnum(const NetResourceRecord* resource,
                     std::vector<NetResourceRecord>& children) override {
        ++network_.opened;
        if (resource == nullptr && network_.rootFails) {
            return ERROR_EXTENDED_ERROR;
        }
        const QString name = resource == nullptr ? QString() : resource->lpRemoteName;
        if (network_.onOpen)
            network_.onOpen(name);
        if (network_.failing.contains(name))
            RunTimeError::raise(RunTimeErrorNumber::SubscriptOutOfRange);
        if (!network_.children.contains(name) && network_.generate)
            children = network_.generate(name);
        else
            children = network_.children.value(name);
        return NO_ERROR;
    }
    NetLastError lastError() override {
        return {53, QStringLiteral("no network"), QStringLiteral("Fake")};
    }

private:
    FakeNetwork& network_;
};

}  // namespace

NetResourceRecord fakeResource(quint32 displayType, const QString& remoteName, bool container) {
    return NetResourceRecord{.dwScope = RESOURCE_GLOBALNET,
                             .dwDisplayType = displayType,
                             .dwUsage = container ? RESOURCEUSAGE_CONTAINER : 0u,
                             .lpRemoteName = remoteName};
}

void installFakeNetwork(FakeNetwork& network) {
    NetResource::setBackend(std::make_unique<FakeBackend>(network));
}

void fillTwoProviderNetwork(FakeNetwork& network) {
    QString local;
    gFctGetComputerName(local);
    network.children[QString()] = {fakeResource(RESOURCEDISPLAYTYPE_NETWORK, "SMB Network"),
                                   fakeResource(RESOURCEDISPLAYTYPE_NETWORK, "WS-Discovery")};
    network.children["SMB Network"] = {fakeResource(RESOURCEDISPLAYTYPE_DOMAIN, "WG")};
    network.children["WS-Discovery"] = {fakeResource(RESOURCEDISPLAYTYPE_DOMAIN, "WG2")};
    network.children["WG"] = {fakeResource(RESOURCEDISPLAYTYPE_SERVER, "\\\\B"),
                              fakeResource(RESOURCEDISPLAYTYPE_SERVER, "\\\\" + local.toLower())};
    network.children["\\\\B"] = {fakeResource(RESOURCEDISPLAYTYPE_SHARE, "\\\\B\\data", false)};
    network.children["WG2"] = {fakeResource(RESOURCEDISPLAYTYPE_SERVER, "\\\\b", false),
                               fakeResource(RESOURCEDISPLAYTYPE_SERVER, "NOSLASH", false)};
}
