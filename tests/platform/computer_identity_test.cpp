#include <gtest/gtest.h>

#include "common/test_folder.h"
#include "platform/computer_identity.h"

using namespace pelimo::platform;

TEST(ComputerIdentity, ReadsNetbiosNameAndWorkgroupFromTheGlobalSection) {
    TestFolder folder;
    folder.write(
        "smb.conf",
        "# comment\n[global]\n   workgroup = office\n netbios  name=averyveryverylongname\n"
        "[share]\n  workgroup = notthis\n");
    const SambaConfigSource source{QStringLiteral("no-such-testparm"), folder.path("smb.conf")};
    EXPECT_EQ(localWorkgroup(source), "OFFICE");
    EXPECT_EQ(localComputerName(source), "AVERYVERYVERYLO") << "at most 15 characters";
}

TEST(ComputerIdentity, FallsBackToHostNameAndWorkgroup) {
    TestFolder folder;
    const SambaConfigSource source{QStringLiteral("no-such-testparm"), folder.path("missing")};
    EXPECT_EQ(localWorkgroup(source), "WORKGROUP");
    const QString name = localComputerName(source);
    EXPECT_FALSE(name.isEmpty());
    EXPECT_LE(name.size(), kMaxComputerNameLength);
    EXPECT_EQ(name, name.toUpper());
    EXPECT_FALSE(name.contains(u'.'));
}
