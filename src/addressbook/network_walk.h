// ModNetwork: the walk through the network neighbourhood, from the providers down through the
// workgroups to the computers, collecting the names met into the found list that the address
// book's presence detection compares with its contacts.
#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>
#include <functional>
#include <vector>

class dwNetResource;

struct FoundComputer {
    QString ComputerName;
    // The workgroup a computer was found under; for a workgroup, the provider's name.
    QString GroupName;
};

// The found list: entry i (1..gNbFoundComputer) at gFoundComputers[i - 1].
extern qint32 gNbFoundComputer;
extern std::vector<FoundComputer> gFoundComputers;
// The remote name of the last resource met at root level (a provider); kept between detections.
extern QString gCurrentGroupName;

// Called once per resource visited (the caller appends "|" to its progress label).
using NetworkProgress = std::function<void()>;

// Bounds of one walk, whatever the network lists: the levels below the root of the network
// (providers, workgroups, computers, shares need four) and the resources visited in all.
inline constexpr int kMaxWalkDepth = 6;
inline constexpr int kMaxWalkResources = 4096;

// Empties the found list, refreshes gComputerName and walks the network from its root. The walk
// ends early when the detection is asked to stop (detection_stop.h).
void gDetectComputersOnNetwork(const NetworkProgress& progress);

// Visits one resource and, recursively, its children. `parentKey` holds a string, empty at the
// root of the network and for the providers. A container already entered in this walk is not
// entered again (a server listed under its own workgroup's name lists itself), nor one deeper
// than kMaxWalkDepth; nothing is visited once kMaxWalkResources resources have been.
void gEnumerateNetworkResource(dwNetResource& resource, const QVariant& parentKey,
                               const NetworkProgress& progress);

namespace NetworkWalkState {

// Empties the found list and gCurrentGroupName (tests).
void reset();

}  // namespace NetworkWalkState
