#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "attachments/unc_name.h"
#include "common/test_folder.h"

using pelimo::platform::UsershareListing;

namespace {

constexpr char kRootMount[] = "1 0 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n";

class UncName : public ::testing::Test {
protected:
    void SetUp() override { UncNames::reset(); }
    void TearDown() override { UncNames::reset(); }

    // This computer as PC1 with the given mount table, smb.conf and usershare listing.
    static void use(const QByteArray& mounts, const QByteArray& config = {},
                    const UsershareListing& usershares = {}) {
        UncNameSources sources;
        sources.mounts.text = QByteArray(kRootMount) + mounts;
        sources.shares.configText = config;
        sources.shares.usershares = usershares;
        sources.computerName = QStringLiteral("PC1");
        UncNames::setSources(sources);
    }
};

}  // namespace

TEST_F(UncName, OnlyAbsoluteLocalPathsAreConverted) {
    use({}, "[all]\npath = /\n");
    for (const QString& path :
         {QString(), QStringLiteral("docs/a.txt"), QStringLiteral("./a.txt"),
          QStringLiteral("C:\\Docs\\a.txt"), QStringLiteral("c:/docs/a.txt"),
          QStringLiteral("\\\\srv\\pub\\a.txt"), QStringLiteral("//srv/pub/a.txt"),
          QStringLiteral(" /srv/a.txt"), QString::fromUtf16(u"/srv/a\0b", 8)}) {
        EXPECT_EQ(gFctGetUNCName(path), QString()) << path.toStdString();
    }
    EXPECT_EQ(gFctGetUNCName("/srv/a.txt"), "\\\\PC1\\all\\srv\\a.txt");
}

TEST_F(UncName, FilesOnMountedSmbSharesGiveTheSharesNetworkPath) {
    use("30 1 0:40 / /mnt/my\\040pub rw - cifs //srv/my\\040pub rw\n"
        "31 1 0:41 / /mnt/dept rw - smb3 //srv/pub/dept rw\n"
        "32 30 0:42 / /mnt/my\\040pub/cache rw - tmpfs tmpfs rw\n"
        "33 1 0:43 / /mnt/odd rw - cifs none rw\n",
        "[all]\npath = /\n");
    EXPECT_EQ(gFctGetUNCName("/mnt/my pub/Docs/a b.txt"), "\\\\srv\\my pub\\Docs\\a b.txt");
    EXPECT_EQ(gFctGetUNCName("/mnt/dept/./x//a.txt"), "\\\\srv\\pub\\dept\\x\\a.txt");
    EXPECT_EQ(gFctGetUNCName("/mnt/dept/x/"), "\\\\srv\\pub\\dept\\x");
    EXPECT_EQ(gFctGetUNCName("/run/user/1000/gvfs/smb-share:server=nas,share=pub/a.txt"),
              "\\\\nas\\pub\\a.txt");
    // A local file system inside the share is local: the computer's own share applies.
    EXPECT_EQ(gFctGetUNCName("/mnt/my pub/cache/a"), "\\\\PC1\\all\\mnt\\my pub\\cache\\a");
    EXPECT_EQ(gFctGetUNCName("/mnt/odd/a.txt"), QString()) << "no network path can be formed";
}

TEST_F(UncName, SymbolicLinksAreFollowedToTheMountedShare) {
    TestFolder folder;
    QDir(folder.path()).mkpath("mnt/docs");
    folder.write("mnt/docs/a.txt", "x");
    ASSERT_TRUE(QFile::link(folder.path("mnt"), folder.path("link")));
    const QString mountPoint = QDir(folder.path("mnt")).canonicalPath();
    use("30 1 0:40 / " + mountPoint.toLocal8Bit() + " rw - cifs //srv/pub rw\n");
    EXPECT_EQ(gFctGetUNCName(folder.path("link/docs/a.txt")), "\\\\srv\\pub\\docs\\a.txt");
}

TEST_F(UncName, LocalFilesGoThroughTheFirstDiskShareThatHoldsThem) {
    use({},
        "[laser]\npath = /srv\nprintable = yes\n"
        "[IPC$]\npath = /srv\n"
        "[admin]\npath = /srv\nadministrative share = yes\n"
        "[template]\npath = /srv/%U\n"
        "[Pub]\npath = /srv/pub/\n"
        "[srv]\npath = /srv\n"
        "[Root]\npath = /\n");
    EXPECT_EQ(gFctGetUNCName("/srv/pub/Docs/a.txt"), "\\\\PC1\\Pub\\Docs\\a.txt")
        << "first match in order, not the longest; exactly one backslash at the joint";
    EXPECT_EQ(gFctGetUNCName("/srv/pub"), "\\\\PC1\\Pub");
    EXPECT_EQ(gFctGetUNCName("/srv/pub/"), "\\\\PC1\\Pub");
    EXPECT_EQ(gFctGetUNCName("/srv/public/a.txt"), "\\\\PC1\\srv\\public\\a.txt")
        << "a share of /srv/pub does not hold /srv/public";
    EXPECT_EQ(gFctGetUNCName("/srv/pub/../secret/a"), "\\\\PC1\\srv\\secret\\a");
    EXPECT_EQ(gFctGetUNCName("/etc/hosts"), "\\\\PC1\\Root\\etc\\hosts");
    EXPECT_EQ(gFctGetUNCName("/"), "\\\\PC1\\Root");
    EXPECT_EQ(gFctGetUNCName("/srv/pub/back\\slash"), "/srv/pub/back\\slash")
        << "a backslash in a name cannot be written in a network path";
    EXPECT_FALSE(gShareAccessDenied);

    use({}, "[srv]\npath = /srv\n[Pub]\npath = /srv/pub\n");
    EXPECT_EQ(gFctGetUNCName("/srv/pub/a.txt"), "\\\\PC1\\srv\\pub\\a.txt");
}

TEST_F(UncName, PathsNoShareHoldsComeBackUnchanged) {
    use({}, "[pub]\npath = /srv/pub\n[laser]\npath = /var\nprintable = yes\n");
    EXPECT_EQ(gFctGetUNCName("/var/tmp/../a.txt"), "/var/tmp/../a.txt") << "the input itself";
    use({});
    EXPECT_EQ(gFctGetUNCName("/srv/pub/a.txt"), "/srv/pub/a.txt");
    EXPECT_FALSE(gShareAccessDenied);
}

TEST_F(UncName, LetterCaseMayDifferOnlyWhereItNamesTheSameFolder) {
    TestFolder folder;
    QDir(folder.path()).mkpath("Data/sub");
    QDir(folder.path()).mkpath("Pub");
    QDir(folder.path()).mkpath("pub");
    // "DATA" is the same folder as "Data", as on a file system that ignores case.
    ASSERT_TRUE(QFile::link(folder.path("Data"), folder.path("DATA")));
    const QByteArray base = folder.path().toLocal8Bit();
    use({}, "[data]\npath = " + base + "/DATA\n[pub]\npath = " + base + "/Pub\n");
    EXPECT_EQ(gFctGetUNCName(folder.path("Data/sub/a.txt")), "\\\\PC1\\data\\sub\\a.txt");
    EXPECT_EQ(gFctGetUNCName(folder.path("Pub/a.txt")), "\\\\PC1\\pub\\a.txt");
    EXPECT_EQ(gFctGetUNCName(folder.path("pub/a.txt")), folder.path("pub/a.txt"))
        << "another folder whose name differs only in case is not in the share";
}

TEST_F(UncName, UsersharesFollowTheConfiguredShares) {
    use({}, "[srv]\npath = /srv\n",
        UsershareListing{"[music]\npath=/home/ann/music\n[all]\npath=/\n", {}});
    EXPECT_EQ(gFctGetUNCName("/home/ann/music/a.ogg"), "\\\\PC1\\music\\a.ogg");
    EXPECT_EQ(gFctGetUNCName("/srv/a"), "\\\\PC1\\srv\\a");
    EXPECT_EQ(gFctGetUNCName("/etc/a"), "\\\\PC1\\all\\etc\\a");
}

TEST_F(UncName, UnreadableShareFoldersAreTheAccessDeniedCase) {
    const UsershareListing refused{
        {}, "info_fn: unable to open /var/lib/samba/usershares/secret. Permission denied\n"};
    use({}, {}, refused);
    QList<ShareInfo> shares;
    EXPECT_EQ(gFctEnumerateShares(shares, {}), -1);
    ASSERT_EQ(shares.size(), 1);
    EXPECT_EQ(shares[0].NetName, "secret");
    EXPECT_TRUE(shares[0].Path.isEmpty());
    EXPECT_TRUE(gShareAccessDenied);
    EXPECT_EQ(gFctGetUNCName("/home/bob/secret/a"), "/home/bob/secret/a");
    EXPECT_TRUE(gShareAccessDenied);

    // Readable shares still serve; a path none of them holds may lie in the unreadable one.
    use({}, "[pub]\npath = /srv/pub\n", refused);
    EXPECT_EQ(gFctGetUNCName("/srv/pub/a"), "\\\\PC1\\pub\\a");
    EXPECT_EQ(gFctGetUNCName("/home/bob/a"), "/home/bob/a");
    EXPECT_TRUE(gShareAccessDenied);
    EXPECT_EQ(gFctEnumerateShares(shares, {}), 1);
    EXPECT_EQ(shares[0].Path, "/srv/pub");

    // The next enumeration that reads every folder clears it.
    use({}, "[pub]\npath = /srv/pub\n");
    EXPECT_EQ(gFctGetUNCName("/home/bob/a"), "/home/bob/a");
    EXPECT_FALSE(gShareAccessDenied);
}

TEST_F(UncName, EnumerationFillsLevelTwoRecordsOfThisComputerOnly) {
    use({},
        "[pub]\npath = /srv/pub\ncomment = Public\nmax connections = 3\n"
        "[laser]\npath = /var/spool\nprintable = yes\n");
    QList<ShareInfo> shares{ShareInfo{.NetName = "stale"}};
    ASSERT_EQ(gFctEnumerateShares(shares, {}), 2);
    ASSERT_EQ(shares.size(), 2);
    EXPECT_EQ(shares[0].NetName, "pub");
    EXPECT_EQ(shares[0].Remark, "Public");
    EXPECT_EQ(shares[0].MaxUses, 3);
    EXPECT_EQ(shares[0].Path, "/srv/pub");
    EXPECT_EQ(shares[1].ShareType, 1u);
    EXPECT_EQ(mFctEnumerateShares9x(shares, {}), 2);

    gShareAccessDenied = true;
    EXPECT_EQ(gFctEnumerateShares(shares, "OTHERPC"), 0);
    EXPECT_TRUE(shares.isEmpty());
    EXPECT_FALSE(gShareAccessDenied);

    use({});
    EXPECT_EQ(gFctEnumerateShares(shares, {}), 0);
}

TEST_F(UncName, ResetRestoresTheFlagAndTheSystemsSources) {
    use({}, "[all]\npath = /\n");
    EXPECT_EQ(mFctGetComputerName(), "PC1");
    gShareAccessDenied = true;
    UncNames::reset();
    EXPECT_FALSE(gShareAccessDenied);
    EXPECT_NE(mFctGetComputerName(), "PC1");
    EXPECT_FALSE(mFctGetComputerName().isEmpty());
}
