#include <gtest/gtest.h>

#include <QFile>
#include <QSysInfo>

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

// testparm is asked only for what the file cannot tell alone; this one answers "FROMTESTPARM".
TEST(ComputerIdentity, TestparmOnlyForIncludesAndSubstitutions) {
    TestFolder folder;
    folder.write("testparm", "#!/bin/sh\necho FROMTESTPARM\n");
    QFile::setPermissions(folder.path("testparm"), QFile::ReadOwner | QFile::ExeOwner);
    const auto nameWith = [&](const char* config) {
        folder.write("smb.conf", config);
        return localComputerName({folder.path("testparm"), folder.path("smb.conf")});
    };
    EXPECT_EQ(nameWith("[global]\n netbios name = desk\n; include = /etc/other.conf\n"), "DESK");
    EXPECT_EQ(
        nameWith("[global]\n workgroup = office\n"),
        QSysInfo::machineHostName().section(u'.', 0, 0).toUpper().left(kMaxComputerNameLength))
        << "a missing name is the host name, as Samba's default";
    EXPECT_EQ(nameWith("[global]\n netbios name = desk2\n include = /etc/other.conf\n"),
              "FROMTESTPARM");
    EXPECT_EQ(nameWith("[global]\n netbios name = %h\n"), "FROMTESTPARM");
}

TEST(ComputerIdentity, SmbConfPathNamesTheConfigurationAsInSambasTools) {
    TestFolder folder;
    folder.write("named.conf", "[global]\n workgroup = named\n netbios name = fromnamed\n");
    qputenv("SMB_CONF_PATH", QFile::encodeName(folder.path("named.conf")));
    const SambaConfigSource source{QStringLiteral("no-such-testparm")};
    EXPECT_EQ(source.configFile, folder.path("named.conf"));
    EXPECT_EQ(localWorkgroup(source), "NAMED");
    EXPECT_EQ(localComputerName(source), "FROMNAMED");
    qunsetenv("SMB_CONF_PATH");
    EXPECT_EQ(sambaConfigFile(), QString::fromLatin1(kDefaultSambaConfigFile));
}
