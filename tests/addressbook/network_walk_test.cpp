#include <gtest/gtest.h>

#include "addressbook/detection_stop.h"
#include "addressbook/net_resource.h"
#include "addressbook/network_walk.h"
#include "common/test_folder.h"
#include "fake_network.h"
#include "seam/dialog_seam.h"

namespace {

class NetworkWalk : public ::testing::Test {
protected:
    NetworkWalk() {
        NetworkWalkState::reset();
        DetectionStop::instance().clear();
        installFakeNetwork(network_);
    }
    ~NetworkWalk() override {
        NetResource::setBackend(nullptr);
        NetworkWalkState::reset();
        DetectionStop::instance().clear();
    }
    int detect() {
        int bars = 0;
        gDetectComputersOnNetwork([&] { ++bars; });
        return bars;
    }
    QStringList found() const {
        QStringList entries;
        for (int i = 1; i <= gNbFoundComputer; ++i) {
            const FoundComputer& entry = gFoundComputers[static_cast<std::size_t>(i - 1)];
            entries << entry.ComputerName + u'@' + entry.GroupName;
        }
        return entries;
    }
    TestFolder folder_;
    FakeNetwork network_;
};

}  // namespace

TEST_F(NetworkWalk, RecordsWorkgroupsAndComputersOnceWithTheirWorkgroup) {
    fillTwoProviderNetwork(network_);
    const int bars = detect();
    // This computer and the second sighting of B are left out; a workgroup keeps its provider.
    EXPECT_EQ(found(), QStringList({"WG@SMB Network", "B@WG", "WG2@WS-Discovery", "NOSLASH@WG2"}));
    // Providers, workgroups, computers and the share: one bar per resource visited.
    EXPECT_EQ(bars, 9);
    EXPECT_EQ(gCurrentGroupName, QStringLiteral("WS-Discovery"));

    // A second detection holds only what it found itself.
    network_.children.remove("WS-Discovery");
    detect();
    EXPECT_EQ(found(), QStringList({"WG@SMB Network", "B@WG"}));
}

TEST_F(NetworkWalk, FailuresLeaveTheListEmptyOrSkipOneVisit) {
    network_.rootFails = true;
    EXPECT_EQ(detect(), 0);
    EXPECT_EQ(gNbFoundComputer, 0);
    EXPECT_TRUE(DialogSeam::shown().empty());

    network_.rootFails = false;
    fillTwoProviderNetwork(network_);
    network_.failing.insert("WG");  // a run-time failure while visiting WG's children
    detect();
    EXPECT_EQ(found(), QStringList({"WG@SMB Network", "WG2@WS-Discovery", "b@WG2", "NOSLASH@WG2"}));
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(DialogSeam::shown()[0].title, QStringLiteral("Alert"));
}

TEST_F(NetworkWalk, ResourceTextsAndErrors) {
    dwNetResource resource;
    resource.setLpRemoteName(QStringLiteral("\\\\B"));
    EXPECT_EQ(resource.lpRemoteName(), QStringLiteral("\\\\B"));
    resource.setLpRemoteName(QString());
    EXPECT_EQ(resource.lpRemoteName(), QString());
    resource.setLpComment(QStringLiteral("x") + QChar(u'\0'));
    EXPECT_EQ(resource.lpComment(), QStringLiteral("x"));

    network_.rootFails = true;
    EXPECT_TRUE(resource.Enumerate(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0).isEmpty());
    EXPECT_EQ(resource.LastError, ERROR_EXTENDED_ERROR);
    ASSERT_TRUE(resource.LastNetError);
    EXPECT_EQ(resource.LastNetError->szDescription, QStringLiteral("no network"));
    EXPECT_EQ(resource.LastNetError->szName, QStringLiteral("Fake"));
}

TEST_F(NetworkWalk, WhatTheNetworkListsCannotMakeTheWalkEndless) {
    const auto server = [](const QString& name) {
        return fakeResource(RESOURCEDISPLAYTYPE_SERVER, "\\\\" + name);
    };
    network_.children[QString()] = {fakeResource(RESOURCEDISPLAYTYPE_NETWORK, "SMB Network")};
    network_.children["SMB Network"] = {fakeResource(RESOURCEDISPLAYTYPE_DOMAIN, "WG")};

    // A server announced under its workgroup's name lists itself again (in another case).
    network_.children["WG"] = {server("WG")};
    network_.children["\\\\WG"] = {server("wg"), server("B")};
    detect();
    EXPECT_EQ(found(), QStringList({"WG@SMB Network", "B@WG"}));
    EXPECT_EQ(network_.opened, 5);  // root, provider, workgroup, \\WG and B, each once

    // Each server listing a new one below it: the walk goes no deeper than its bound.
    network_.opened = 0;
    network_.children["WG"] = {server("C0")};
    network_.generate = [&](const QString& name) {
        return std::vector<NetResourceRecord>{server(name.mid(2) + "x")};
    };
    detect();
    EXPECT_EQ(network_.opened, kMaxWalkDepth);
    EXPECT_LT(gNbFoundComputer, kMaxWalkDepth);

    // A workgroup listing more servers than the walk visits in all.
    network_.generate = nullptr;
    network_.children["WG"].clear();
    for (int n = 0; n < 2 * kMaxWalkResources; ++n)
        network_.children["WG"].push_back(
            fakeResource(RESOURCEDISPLAYTYPE_SERVER, QStringLiteral("\\\\S%1").arg(n), false));
    const int bars = detect();
    EXPECT_EQ(bars, kMaxWalkResources - 1);  // every resource visited but the root
    EXPECT_EQ(gNbFoundComputer, kMaxWalkResources - 2);
}

TEST_F(NetworkWalk, AStopEndsTheWalkWhereItIs) {
    fillTwoProviderNetwork(network_);
    network_.onOpen = [](const QString& name) {
        if (name == QStringLiteral("WG"))
            DetectionStop::instance().request();
    };
    detect();
    // WG's own listing still arrives, but none of its computers is visited, nor anything after.
    EXPECT_EQ(found(), QStringList({"WG@SMB Network"}));
    EXPECT_EQ(network_.opened, 3);
}
