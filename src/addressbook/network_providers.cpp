#include "addressbook/network_providers.h"

#include <libsmbclient.h>

#include <QStringList>
#include <future>

#include "addressbook/browse_client.h"
#include "addressbook/worker_call.h"
#include "addressbook/ws_discovery.h"

namespace {

NetResourceRecord container(quint32 displayType, const QString& remoteName, const QString& provider,
                            const QString& comment = QString()) {
    return NetResourceRecord{.dwScope = RESOURCE_GLOBALNET,
                             .dwType = RESOURCETYPE_ANY,
                             .dwDisplayType = displayType,
                             .dwUsage = RESOURCEUSAGE_CONTAINER,
                             .lpRemoteName = remoteName,
                             .lpComment = comment,
                             .lpProvider = provider};
}

class ProviderBackend final : public NetworkBackend {
public:
    ProviderBackend() : smb_(BrowseClient::helperProgram()) {}
    ~ProviderBackend() override { endDetection(); }

    quint32 openEnum(const NetResourceRecord* resource,
                     std::vector<NetResourceRecord>& children) override {
        children.clear();
        if (resource == nullptr) {
            children.push_back(container(RESOURCEDISPLAYTYPE_NETWORK, smbName(), smbName()));
            children.push_back(container(RESOURCEDISPLAYTYPE_NETWORK, wsdName(), wsdName()));
            return NO_ERROR;
        }
        if (resource->lpProvider == smbName())
            return openSmb(*resource, children);
        if (resource->lpProvider == wsdName())
            return openWsd(*resource, children);
        return ERROR_NO_NETWORK;
    }

    NetLastError lastError() override { return lastError_; }

    // The WS-Discovery probe waits on its answer window for most of its time: it starts with the
    // detection and runs beside the SMB walk, whose provider the walk visits first.
    void beginDetection() override {
        endDetection();
        discovered_.reset();
        smb_.begin();
        discovery_ =
            std::async(std::launch::async, [] { return WsDiscovery::discoverComputers(); });
    }

    // A walk that ended before the WS-Discovery provider (stopped, or its resources spent)
    // still lets the discovery finish; it ends within its own deadline, or at once when stopped.
    void endDetection() override {
        smb_.end();
        if (discovery_.valid())
            WorkerCall::runOnWorker([this] { discovery_.wait(); });
        discovery_ = {};
    }

private:
    static QString smbName() { return QString::fromLatin1(kSmbProviderName); }
    static QString wsdName() { return QString::fromLatin1(kWsdProviderName); }

    quint32 openSmb(const NetResourceRecord& resource, std::vector<NetResourceRecord>& children) {
        QString url;
        if (resource.dwDisplayType == RESOURCEDISPLAYTYPE_DOMAIN)
            url = BrowseProtocol::smbUrl(resource.lpRemoteName);
        else if (resource.dwDisplayType == RESOURCEDISPLAYTYPE_SERVER)
            url = BrowseProtocol::smbUrl(NetResource::serverName(resource.lpRemoteName));
        else if (resource.dwDisplayType == RESOURCEDISPLAYTYPE_NETWORK)
            url = BrowseProtocol::smbUrl(QString());
        // A name no browse server could mean (an address, a URL's user part) is not followed.
        if (url.isEmpty())
            return ERROR_NO_NETWORK;
        std::vector<SmbEntry> entries;
        QString error;
        if (!smb_.list(url, entries, error)) {
            lastError_ = {ERROR_NO_NETWORK, error, smbName()};
            return ERROR_EXTENDED_ERROR;
        }
        for (const SmbEntry& entry : entries) {
            switch (entry.type) {
                case SMBC_WORKGROUP:
                    children.push_back(container(RESOURCEDISPLAYTYPE_DOMAIN, entry.name, smbName(),
                                                 entry.comment));
                    break;
                case SMBC_SERVER:
                    children.push_back(container(RESOURCEDISPLAYTYPE_SERVER,
                                                 QStringLiteral("\\\\") + entry.name, smbName(),
                                                 entry.comment));
                    break;
                case SMBC_FILE_SHARE:
                case SMBC_PRINTER_SHARE:
                case SMBC_COMMS_SHARE:
                case SMBC_IPC_SHARE: {
                    NetResourceRecord share =
                        container(RESOURCEDISPLAYTYPE_SHARE,
                                  resource.lpRemoteName + QLatin1Char('\\') + entry.name, smbName(),
                                  entry.comment);
                    share.dwType = RESOURCETYPE_DISK;
                    share.dwUsage = RESOURCEUSAGE_CONNECTABLE;
                    children.push_back(share);
                    break;
                }
                default:
                    break;
            }
        }
        return NO_ERROR;
    }

    quint32 openWsd(const NetResourceRecord& resource, std::vector<NetResourceRecord>& children) {
        if (!discovered_) {
            std::vector<WsdComputer> found;
            WorkerCall::runOnWorker([&] {
                found = discovery_.valid() ? discovery_.get() : WsDiscovery::discoverComputers();
            });
            discovery_ = {};
            discovered_ = std::make_unique<std::vector<WsdComputer>>(std::move(found));
        }
        if (resource.dwDisplayType == RESOURCEDISPLAYTYPE_NETWORK) {
            // The workgroups in the order first met; computers in none sit at provider level.
            QStringList groups;
            for (const WsdComputer& computer : *discovered_) {
                if (computer.group.isEmpty())
                    children.push_back(server(computer));
                else if (!groups.contains(computer.group, Qt::CaseInsensitive))
                    groups.append(computer.group);
            }
            for (const QString& group : groups)
                children.push_back(container(RESOURCEDISPLAYTYPE_DOMAIN, group, wsdName()));
            return NO_ERROR;
        }
        if (resource.dwDisplayType != RESOURCEDISPLAYTYPE_DOMAIN)
            return ERROR_NO_NETWORK;
        for (const WsdComputer& computer : *discovered_) {
            if (computer.group.compare(resource.lpRemoteName, Qt::CaseInsensitive) == 0)
                children.push_back(server(computer));
        }
        return NO_ERROR;
    }

    // A computer found by discovery has no shares listed here: not a container.
    static NetResourceRecord server(const WsdComputer& computer) {
        NetResourceRecord record = container(RESOURCEDISPLAYTYPE_SERVER,
                                             QStringLiteral("\\\\") + computer.name, wsdName());
        record.dwUsage = 0;
        return record;
    }

    NetLastError lastError_;
    BrowseClient smb_;
    std::unique_ptr<std::vector<WsdComputer>> discovered_;
    std::future<std::vector<WsdComputer>> discovery_;
};

}  // namespace

std::unique_ptr<NetworkBackend> NetworkProviders::make() {
    return std::make_unique<ProviderBackend>();
}
