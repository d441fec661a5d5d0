#include "addressbook/network_walk.h"

#include <QSet>

#include "addressbook/detection_stop.h"
#include "addressbook/net_resource.h"
#include "addressbook/worker_call.h"
#include "seam/dialog_seam.h"
#include "transport/local_computer_name.h"

qint32 gNbFoundComputer = 0;
std::vector<FoundComputer> gFoundComputers;
QString gCurrentGroupName;

namespace {

// The workgroup (DOMAIN resource) whose computers are being visited; empty outside one.
QString mCurrentWorkgroupName;

// The found names, upper-cased: a name met by two providers (a computer both in the browse list
// and announcing itself) is recorded once.
QSet<QString> mFoundNames;

// The walk's bounds: the containers entered, the resources visited, the current level.
QSet<QString> mEntered;
int mVisited = 0;
int mDepth = 0;

void resetWalkBounds() {
    mFoundNames.clear();
    mEntered.clear();
    mVisited = 0;
    mDepth = 0;
}

bool walkEnded() {
    return mVisited >= kMaxWalkResources || DetectionStop::instance().requested();
}

// What makes a container the same one when it is met again: its provider, its kind and its name
// (names compared without regard to case, as the network does).
QString containerIdentity(const dwNetResource& resource) {
    return resource.lpProvider() + u'\x1f' + QString::number(resource.dwDisplayType()) + u'\x1f' +
           resource.lpRemoteName().toUpper();
}

QString keyWordOf(quint32 displayType) {
    switch (displayType) {
        case RESOURCEDISPLAYTYPE_GENERIC:
            return QStringLiteral("Generic");
        case RESOURCEDISPLAYTYPE_DOMAIN:
            return QStringLiteral("Domain");
        case RESOURCEDISPLAYTYPE_SERVER:
            return QStringLiteral("Server");
        case RESOURCEDISPLAYTYPE_GROUP:
            return QStringLiteral("Group");
        case RESOURCEDISPLAYTYPE_NETWORK:
            return QStringLiteral("root");
        default:
            return QString();
    }
}

// Names are compared upper-cased, as received: a name outside the code page or longer than a
// NetBIOS name stays distinct from the others.
bool sameName(const QString& a, const QString& b) {
    return a.toUpper() == b.toUpper();
}

void record(const QString& remoteName, quint32 displayType) {
    const QString name = NetResource::serverName(remoteName);
    if (sameName(name, gComputerName))
        return;
    if (mFoundNames.contains(name.toUpper()))
        return;
    mFoundNames.insert(name.toUpper());
    const bool computerInWorkgroup =
        displayType != RESOURCEDISPLAYTYPE_DOMAIN && !mCurrentWorkgroupName.isEmpty();
    gFoundComputers.push_back(
        {name, computerInWorkgroup ? mCurrentWorkgroupName : gCurrentGroupName});
    gNbFoundComputer = static_cast<qint32>(gFoundComputers.size());
}

void visitChildren(dwNetResource& resource, const QVariant& key, const NetworkProgress& progress) {
    if (mDepth >= kMaxWalkDepth)
        return;
    const QString identity = containerIdentity(resource);
    if (mEntered.contains(identity))
        return;
    mEntered.insert(identity);
    const auto children = resource.Enumerate(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0);
    struct Level {
        Level() { ++mDepth; }
        ~Level() { --mDepth; }
    } level;
    for (const auto& child : children) {
        if (walkEnded())
            return;
        WorkerCall::letEventsRun();
        if (progress)
            progress();
        gEnumerateNetworkResource(*child, key, progress);
    }
}

void visit(dwNetResource& resource, const QVariant& parentKey, const NetworkProgress& progress) {
    if (walkEnded())
        return;
    ++mVisited;
    WorkerCall::letEventsRun();
    const bool parentEmpty = parentKey.toString().isEmpty();
    if (resource.lpRemoteName().isEmpty() && parentEmpty) {
        visitChildren(resource, QVariant(QString()), progress);
        return;
    }
    bool root = parentEmpty;
    const QString word = keyWordOf(resource.dwDisplayType());
    QString key;
    if (!word.isEmpty()) {
        if (resource.dwDisplayType() == RESOURCEDISPLAYTYPE_NETWORK)
            root = true;
        key = word + resource.lpRemoteName();
        if (root)
            gCurrentGroupName = resource.lpRemoteName();
        else
            record(resource.lpRemoteName(), resource.dwDisplayType());
    }
    if ((resource.dwUsage() & RESOURCEUSAGE_CONTAINER) == 0)
        return;
    // The computers below a workgroup are recorded with that workgroup as their group.
    const QString outerWorkgroup = mCurrentWorkgroupName;
    if (root)
        mCurrentWorkgroupName.clear();
    else if (resource.dwDisplayType() == RESOURCEDISPLAYTYPE_DOMAIN)
        mCurrentWorkgroupName = resource.lpRemoteName();
    visitChildren(resource, QVariant(key), progress);
    mCurrentWorkgroupName = outerWorkgroup;
}

}  // namespace

void gDetectComputersOnNetwork(const NetworkProgress& progress) {
    gNbFoundComputer = 0;
    gFoundComputers.clear();
    mCurrentWorkgroupName.clear();
    resetWalkBounds();
    QString name;
    if (gFctGetComputerName(name) == 0)
        name.clear();
    gComputerName = name;
    NetResource::backend().beginDetection();
    dwNetResource root;
    gEnumerateNetworkResource(root, QVariant(QString()), progress);
    NetResource::backend().endDetection();
}

void gEnumerateNetworkResource(dwNetResource& resource, const QVariant& parentKey,
                               const NetworkProgress& progress) {
    try {
        visit(resource, parentKey, progress);
    } catch (...) {
        DialogSeam::messageBox(QStringLiteral("Error Enumerate computer on network, please check "
                                              "you have a network ! or contact Trelvix"),
                               MsgBoxButtons::Ok, MsgBoxIcon::None, QStringLiteral("Alert"));
    }
}

void NetworkWalkState::reset() {
    gNbFoundComputer = 0;
    gFoundComputers.clear();
    gCurrentGroupName.clear();
    mCurrentWorkgroupName.clear();
    resetWalkBounds();
}
