#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "common/test_folder.h"
#include "platform/samba_shares.h"

using namespace pelimo::platform;

namespace {

QStringList namesOf(const std::vector<SambaShare>& shares) {
    QStringList names;
    for (const SambaShare& share : shares)
        names.append(share.name);
    return names;
}

}  // namespace

TEST(SambaShares, ReadsTheSharesOfAConfigurationInItsOrder) {
    const auto shares = parseSambaShares(
        "; comment\n"
        "[global]\n  path = /not/a/share\n"
        "[homes]\n  comment = Home Directories\n"
        "[printers]\n  path = /var/tmp\n  printable = yes\n"
        "[Pub]\n  Directory = /srv/pub\n  comment = public files \n  max connections = 5\n"
        "[laser]\n  path = /var/spool\n  print ok = Yes\n"
        "[IPC$]\n  path = /tmp\n"
        "[print$]\n  path = /var/lib/samba/printers\n"
        "[admin]\n  path = /srv\n  administrative share = yes\n"
        "[off]\n  path = /srv/off\n  available = no\n"
        "[nopath]\n  comment = Samba makes it unavailable\n"
        "[odd]\n  path = /srv/odd\n  read_only = maybe\n  available = perhaps\n");
    ASSERT_EQ(namesOf(shares), QStringList({"Pub", "laser", "IPC$", "print$", "admin", "odd"}));
    EXPECT_EQ(shares[0].path, "/srv/pub") << "\"directory\" is a synonym of \"path\"";
    EXPECT_EQ(shares[0].comment, "public files");
    EXPECT_EQ(shares[0].maxUses, 5);
    EXPECT_EQ(shares[0].type, kShareTypeDiskTree);
    EXPECT_EQ(shares[1].type, kShareTypePrintQueue);
    EXPECT_EQ(shares[2].type, kShareTypeIpc | kShareTypeSpecial);
    EXPECT_EQ(shares[3].type, kShareTypeDiskTree) << "a trailing $ only hides a share";
    EXPECT_EQ(shares[4].type, kShareTypeDiskTree | kShareTypeSpecial);
    EXPECT_EQ(shares[5].maxUses, kShareUsesUnlimited);
    EXPECT_TRUE(shares[5].pathReadable);
}

TEST(SambaShares, FollowsSambaSyntax) {
    const auto shares = parseSambaShares(
        "[data]\r\n"
        "\tpath = /srv/\\\r\n"
        "   data\r\n"
        "  # path = /commented\r\n"
        "[other]\npath=/srv/other\n"
        "[DATA]\n  comment = the same share again\n"
        "[ broken \n  path = /srv/broken\n"
        "no section = here\n");
    ASSERT_EQ(namesOf(shares), QStringList({"data", "other"}));
    EXPECT_EQ(shares[0].path, "/srv/   data") << "a backslash joins the next line";
    EXPECT_EQ(shares[0].comment, "the same share again") << "a section named twice is one";
    EXPECT_TRUE(parseSambaShares("").empty());
    EXPECT_TRUE(parseSambaShares("[]\npath = /x\n").empty());
}

TEST(SambaShares, ReadsUsersharesAndTheOnesNetCouldNotOpen) {
    const UsershareListing listing{
        "[music]\npath=/home/ann/My Music \ncomment=tunes\nusershare_acl=S-1-1-0:R,\n"
        "guest_ok=y\n\n[broken]\ncomment=no path\n\n[film]\npath=/home/bob/film\n",
        "info_fn: unable to open /var/lib/samba/usershares/secret. Permission denied\n"
        "info_fn: unable to open /var/lib/samba/usershares/gone. No such file or directory\n"
        "info_fn: file /var/lib/samba/usershares/bad is not a well formed usershare file.\n"};
    const auto shares = parseUsershareListing(listing);
    ASSERT_EQ(namesOf(shares), QStringList({"music", "film", "secret"}));
    EXPECT_EQ(shares[0].path, "/home/ann/My Music ") << "usershare folders are taken verbatim";
    EXPECT_EQ(shares[0].comment, "tunes");
    EXPECT_EQ(shares[0].type, kShareTypeDiskTree);
    EXPECT_TRUE(shares[1].pathReadable);
    EXPECT_FALSE(shares[2].pathReadable);
    EXPECT_TRUE(shares[2].path.isEmpty());
}

TEST(SambaShares, ConfiguredSharesComeFirstAndWinOverUsersharesOfTheSameName) {
    SambaShareSource source;
    source.configText = "[Music]\npath=/srv/music\n[b]\npath=/srv/b\n";
    source.usershares = UsershareListing{"[music]\npath=/home/ann/music\n[a]\npath=/srv/a\n", {}};
    const auto shares = readLocalSambaShares(source);
    ASSERT_EQ(namesOf(shares), QStringList({"Music", "b", "a"}));
    EXPECT_EQ(shares[0].path, "/srv/music");
}

TEST(SambaShares, NothingWithoutSamba) {
    TestFolder folder;
    SambaShareSource source;
    source.config = {QStringLiteral("no-such-testparm"), folder.path("missing.conf")};
    source.netProgram = QStringLiteral("no-such-net");
    EXPECT_TRUE(readLocalSambaShares(source).empty());
}

// The real Samba tools on a private configuration: testparm applies synonyms and includes, net
// lists the usershares of every user.
TEST(SambaShares, ReadsThroughTheRealSambaTools) {
    if (QStandardPaths::findExecutable("testparm").isEmpty() ||
        QStandardPaths::findExecutable("net").isEmpty()) {
        GTEST_SKIP() << "testparm or net (Samba) is not installed";
    }
    TestFolder folder;
    QDir(folder.path()).mkpath("usershares");
    QDir(folder.path()).mkpath("state");
    const QByteArray root = folder.path().toLocal8Bit();
    folder.write("more.conf", "[extra]\n  directory = /srv/extra\n");
    folder.write("smb.conf",
                 "[global]\n  netbios name = unctest\n  usershare path = " + root +
                     "/usershares\n  usershare max shares = 10\n  usershare owner only = no\n"
                     "  lock directory = " +
                     root + "/state\n  state directory = " + root + "/state\n  cache directory = " +
                     root + "/state\n  private dir = " + root + "/state\n  include = " + root +
                     "/more.conf\n"
                     "[conf]\n  path = /srv/conf\n");
    folder.write("usershares/mine",
                 "#VERSION 2\npath=" + root + "\ncomment=c\nusershare_acl=S-1-1-0:R\nguest_ok=n\n");
    SambaShareSource source;
    source.config.configFile = folder.path("smb.conf");
    const auto shares = readLocalSambaShares(source);
    ASSERT_EQ(namesOf(shares), QStringList({"extra", "conf", "mine"}))
        << "the included file is read where [global] includes it";
    EXPECT_EQ(shares[0].path, "/srv/extra") << "testparm turns \"directory\" into \"path\"";
    EXPECT_EQ(shares[2].path, folder.path());

    if (geteuid() == 0)
        return;  // root reads every file: the refusal below cannot happen
    ASSERT_EQ(chmod(folder.path("usershares/mine").toLocal8Bit().constData(), 0), 0);
    const auto refused = readLocalSambaShares(source);
    ASSERT_EQ(namesOf(refused), QStringList({"extra", "conf", "mine"}));
    EXPECT_FALSE(refused[2].pathReadable);
}

TEST(SambaShares, TheSystemsSharesAreReadAgainOnlyWhenTheirFilesChange) {
    TestFolder folder;
    const QString calls = folder.path(QStringLiteral("calls"));
    // Stand-ins for testparm and net that count their runs.
    for (const char* tool : {"testparm", "net"}) {
        const QString script = folder.path(QString::fromLatin1(tool));
        folder.write(QString::fromLatin1(tool),
                     "#!/bin/sh\necho " + QByteArray(tool) + " >>'" + calls.toUtf8() + "'\n" +
                         (QByteArray(tool) == "testparm" ? "cat \"$2\"\n" : ""));
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QDir().mkpath(folder.path(QStringLiteral("usershares")));
    const QByteArray global =
        "[global]\nusershare path = " + folder.path(QStringLiteral("usershares")).toUtf8() + "\n";
    folder.write(QStringLiteral("smb.conf"), global + "[one]\npath = /srv/one\n");
    SambaShareSource source;
    source.config = {folder.path(QStringLiteral("testparm")),
                     folder.path(QStringLiteral("smb.conf"))};
    source.netProgram = folder.path(QStringLiteral("net"));
    auto runs = [&] { return folder.read(QStringLiteral("calls")).count('\n'); };

    EXPECT_EQ(namesOf(readLocalSambaShares(source)), QStringList({"one"}));
    EXPECT_EQ(runs(), 2);
    EXPECT_EQ(namesOf(readLocalSambaShares(source)), QStringList({"one"}));
    EXPECT_EQ(runs(), 2) << "nothing changed: nothing is run again";

    folder.write(QStringLiteral("smb.conf"), global + "[two]\npath = /srv/two\n");
    EXPECT_EQ(namesOf(readLocalSambaShares(source)), QStringList({"two"}));
    EXPECT_EQ(runs(), 4);
    folder.write(QStringLiteral("usershares/mine"), "path=/srv/mine\n");
    readLocalSambaShares(source);
    EXPECT_EQ(runs(), 6) << "a new usershare is read";
}
