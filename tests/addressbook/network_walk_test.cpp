#include <gtest/gtest.h>

#include "addressbook/net_resource.h"
#include "addressbook/network_walk.h"
#include "common/test_folder.h"
#include "fake_network.h"
#include "ui/dialog_seam.h"

namespace {

class NetworkWalk : public ::testing::Test {
protected:
    NetworkWalk() {
        gResetNetworkWalk();
        gInstallFakeNetwork(network_);
    }
    ~NetworkWalk() override {
        gSetNetworkBackend(nullptr);
        gResetNetworkWalk();
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
    gFillTwoProviderNetwork(network_);
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
    gFillTwoProviderNetwork(network_);
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
