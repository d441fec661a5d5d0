#include <gtest/gtest.h>

#include "common/test_folder.h"
#include "platform/mount_table.h"
#include "platform/universal_name.h"

using namespace pelimo::platform;

TEST(MountInfo, ReadsFieldsAroundTheOptionalOnesAndDecodesEscapes) {
    const QByteArray text =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        // no optional fields at all
        "40 22 0:50 / /mnt/my\\040share rw - cifs //srv/my\\040pub rw,vers=3.1.1\n"
        // several optional fields; tab, backslash and a too-short escape
        "41 22 0:51 /sub\\011dir /mnt/a\\134b/ rw shared:7 master:2 - smb3 //srv/x\\04 rw\n";
    const std::vector<MountEntry> entries = parseMountInfo(text);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].mountPoint, "/");
    EXPECT_EQ(entries[0].fsType, "ext4");
    EXPECT_EQ(entries[1].mountPoint, "/mnt/my share");
    EXPECT_EQ(entries[1].source, "//srv/my pub");
    EXPECT_EQ(entries[1].root, "/");
    EXPECT_EQ(entries[2].root, "/sub\tdir");
    EXPECT_EQ(entries[2].mountPoint, "/mnt/a\\b") << "decoded, trailing slash dropped";
    EXPECT_EQ(entries[2].fsType, "smb3");
    EXPECT_EQ(entries[2].source, "//srv/x\\04") << "an incomplete escape stays as written";
}

TEST(MountInfo, SkipsMalformedLines) {
    const QByteArray text =
        "\n"
        "garbage\n"
        "1 2 3 / /nosep rw shared:1 ext4 /dev/x rw\n"  // no "-"
        "1 2 3 / /short rw - ext4\n"                   // no source
        "1 2 3 / relative rw - ext4 /dev/x rw\n"       // mount point not absolute
        "1 2 3 / /ok rw - tmpfs tmpfs\n"               // options after the source missing
        "1 2 - / /early - ext4 /dev/x rw\n";           // "-" among the first six fields
    const std::vector<MountEntry> entries = parseMountInfo(text);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].mountPoint, "/ok");
}

TEST(MountInfo, DecodesOnlyRealOctalEscapes) {
    EXPECT_EQ(decodeMountInfoField("a\\040b\\134\\011"), "a b\\\t");
    EXPECT_EQ(decodeMountInfoField("\\000x\\999\\"), "\\000x\\999\\");
    EXPECT_EQ(decodeMountInfoField("\\0401"), " 1");
}

TEST(MountInfo, ReadsTheRealTableAndInjectedFiles) {
    const std::vector<MountEntry> real = readMountTable();
    EXPECT_NE(mountHolding(real, "/"), nullptr) << "this process has a root mount";

    TestFolder folder;
    folder.write("mountinfo", "5 1 0:5 / /data rw - cifs //nas/data rw\n");
    const auto injected = readMountTable({.file = folder.path("mountinfo")});
    ASSERT_EQ(injected.size(), 1u);
    EXPECT_EQ(injected[0].source, "//nas/data");
    EXPECT_TRUE(readMountTable({.file = folder.path("missing")}).empty());
}

TEST(MountInfo, TheDeepestAndLatestMountHoldsAPath) {
    const auto mounts = parseMountInfo(
        "1 0 0:1 / / rw - ext4 /dev/a rw\n"
        "2 1 0:2 / /mnt rw - cifs //srv/one rw\n"
        "3 1 0:3 / /mnt rw - tmpfs tmpfs rw\n"  // mounted over the first: hides it
        "4 1 0:4 / /mnt/deep rw - cifs //srv/two rw\n");
    EXPECT_EQ(mountHolding(mounts, "/mnt/x")->fsType, "tmpfs");
    EXPECT_EQ(mountHolding(mounts, "/mnt/deep/x")->source, "//srv/two");
    EXPECT_EQ(mountHolding(mounts, "/mnt/deeper")->fsType, "tmpfs") << "whole names only";
    EXPECT_EQ(mountHolding(mounts, "/etc")->fsType, "ext4");
    EXPECT_EQ(mountHolding({}, "/etc"), nullptr);
}

TEST(UniversalName, KernelSmbMountsKeepThePrefixOfTheSourceOnce) {
    const auto mounts = parseMountInfo(
        "1 0 0:1 / / rw - ext4 /dev/a rw\n"
        "2 1 0:2 / /net/pub rw - cifs //srv/pub rw\n"
        "3 1 0:3 / /net/dept rw - smb3 //srv/pub/dept rw\n"
        "4 1 0:4 /dept /net/dept2 rw - cifs //srv/pub/dept rw\n"  // kernel repeats the prefix
        "5 1 0:5 /sub/ /net/bound rw - cifs //srv/pub rw\n"       // bind mount of a folder
        "6 1 0:6 /x /net/both rw - cifs //srv/pub/dept rw\n"      // bind below the prefix
        "7 1 0:7 / /net/bs rw - cifs \\\\srv\\bs rw\n");
    auto name = [&](const char* path) { return universalNameOf(path, mounts); };
    EXPECT_EQ(name("/net/pub/docs/a.txt").name, "\\\\srv\\pub\\docs\\a.txt");
    EXPECT_EQ(name("/net/pub").name, "\\\\srv\\pub");
    EXPECT_EQ(name("/net/dept/a.txt").name, "\\\\srv\\pub\\dept\\a.txt");
    EXPECT_EQ(name("/net/dept2/a.txt").name, "\\\\srv\\pub\\dept\\a.txt");
    EXPECT_EQ(name("/net/bound/a.txt").name, "\\\\srv\\pub\\sub\\a.txt");
    EXPECT_EQ(name("/net/both/a.txt").name, "\\\\srv\\pub\\dept\\x\\a.txt");
    EXPECT_EQ(name("/net/bs/a").name, "\\\\srv\\bs\\a");
    EXPECT_EQ(name("/net/pub/a.txt").code, kNetNoError);
    EXPECT_EQ(name("/net/public/a.txt").code, kNetErrorNotConnected);
    EXPECT_EQ(name("/etc/hosts").code, kNetErrorNotConnected);
}

TEST(UniversalName, SmbMountsWithoutANetworkPathAreRefused) {
    const auto mounts = parseMountInfo(
        "2 1 0:2 / /a rw - cifs none rw\n"
        "3 1 0:3 / /b rw - cifs //srvonly rw\n"
        "4 1 0:4 / /c rw - cifs //srv/pub rw\n");
    EXPECT_EQ(universalNameOf("/a/x", mounts).code, kNetErrorBadDevice);
    EXPECT_EQ(universalNameOf("/b/x", mounts).code, kNetErrorBadDevice);
    EXPECT_EQ(universalNameOf("/c/back\\slash", mounts).code, kNetErrorBadDevice)
        << "a file name with a backslash has no network path";
    EXPECT_TRUE(universalNameOf("/c/back\\slash", mounts).name.isEmpty());
}

TEST(UniversalName, GvfsSmbShares) {
    const std::vector<MountEntry> none;
    auto name = [&](const char* path, const std::vector<MountEntry>& mounts) {
        return universalNameOf(path, mounts);
    };
    EXPECT_EQ(name("/run/user/1000/gvfs/smb-share:server=srv,share=pub/d/a.txt", none).name,
              "\\\\srv\\pub\\d\\a.txt");
    EXPECT_EQ(name("/run/user/1000/gvfs/smb-share:server=srv,share=pub", none).name,
              "\\\\srv\\pub");
    EXPECT_EQ(
        name("/run/user/42/gvfs/smb-share:domain=WG,server=srv,share=my%20pub,user=bob/a", none)
            .name,
        "\\\\srv\\my pub\\a");
    EXPECT_EQ(name("/run/user/1000/gvfs/sftp:host=srv/a", none).code, kNetErrorNotConnected);
    EXPECT_EQ(name("/run/user/1000/gvfs", none).code, kNetErrorNotConnected);
    EXPECT_EQ(name("/run/user/1000/gvfsx/smb-share:server=s,share=p/a", none).code,
              kNetErrorNotConnected);
    EXPECT_EQ(name("/run/user/1000/gvfs/smb-share:server=srv/a", none).code, kNetErrorBadDevice);
    EXPECT_EQ(name("/run/user/1000/gvfs/smb-share:server=srv,share=a%2fb/x", none).code,
              kNetErrorBadDevice)
        << "a decoded separator in a share name has no network path";

    // An older GVFS mount elsewhere, known from the mount table.
    const auto legacy =
        parseMountInfo("9 1 0:9 / /home/bob/.gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n");
    EXPECT_EQ(name("/home/bob/.gvfs/smb-share:server=nas,share=film/x", legacy).name,
              "\\\\nas\\film\\x");
}
