// A network neighbourhood held in memory for the walk: children by parent remote name ("" for
// the root of the network), or made by `generate` for a name not in `children`; a name listed in
// `failing` makes its visit throw; `onOpen` runs at each enumeration (a user acting meanwhile).
#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <functional>

#include "addressbook/net_resource.h"

struct FakeNetwork {
    QMap<QString, std::vector<NetResourceRecord>> children;
    QSet<QString> failing;
    bool rootFails = false;
    int opened = 0;
    std::function<std::vector<NetResourceRecord>(const QString& name)> generate;
    std::function<void(const QString& name)> onOpen;
};

NetResourceRecord fakeResource(quint32 displayType, const QString& remoteName,
                               bool container = true);
// Installs a backend reading `network` (which must outlive the test).
void installFakeNetwork(FakeNetwork& network);
// The usual layout: provider "SMB Network" with workgroup WG holding B (with a share) and this
// computer (in lower case); provider "WS-Discovery" with workgroup WG2 holding b again and a
// computer named without backslashes.
void fillTwoProviderNetwork(FakeNetwork& network);
