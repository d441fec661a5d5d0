#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFile>

#include "common/full_disk.h"
#include "common/test_folder.h"
#include "platform/profile_file.h"

using namespace pelimo::platform;

namespace {

QString get(const TestFolder& folder, const QString& section, const QString& key,
            const QString& def = QStringLiteral("DEF"), int size = 1024) {
    return getPrivateProfileString(section, key, def, size, folder.path(QStringLiteral("p.ini")));
}

}  // namespace

TEST(ProfileRead, MatchesWindowsLookupRules) {
    TestFolder folder;
    folder.write("p.ini",
                 "; comment\r\n"
                 "[Setting]\r\n"
                 "  Name  =  value with blanks  \r\n"
                 "Quoted=\"  kept inside  \"\r\n"
                 "Single='x'\r\n"
                 "Mismatch=\"x'\r\n"
                 "Empty=\r\n"
                 "Twice=first\r\n"
                 "twice=second\r\n"
                 "Equals=a=b\r\n"
                 "no equals sign here\r\n"
                 "[other]\r\n"
                 "Name=other section\r\n"
                 "[SETTING]\r\n"
                 "Late=in duplicate section\r\n");
    EXPECT_EQ(get(folder, "setting", "NAME"), "value with blanks");
    EXPECT_EQ(get(folder, "Setting", "Quoted"), "  kept inside  ");
    EXPECT_EQ(get(folder, "Setting", "Single"), "x");
    EXPECT_EQ(get(folder, "Setting", "Mismatch"), "\"x'");
    EXPECT_EQ(get(folder, "Setting", "Empty"), "") << "an empty value is not the default";
    EXPECT_EQ(get(folder, "Setting", "Twice"), "first");
    EXPECT_EQ(get(folder, "Setting", "Equals"), "a=b");
    EXPECT_EQ(get(folder, "Setting", "no equals sign here"), "DEF");
    EXPECT_EQ(get(folder, "other", "Name"), "other section");
    EXPECT_EQ(get(folder, "Setting", "Late"), "DEF") << "only the first section of a name counts";
    EXPECT_EQ(get(folder, "Missing", "Name"), "DEF");
    EXPECT_EQ(get(folder, "Setting", "Missing", "trail  "), "trail");
}

TEST(ProfileRead, MissingFileAndBufferCut) {
    TestFolder folder;
    EXPECT_EQ(get(folder, "a", "b", "fallback"), "fallback");
    EXPECT_FALSE(folder.exists("p.ini")) << "reading never creates the file";
    folder.write("p.ini", "[a]\nb=" + QByteArray(100000, 'x') + "\n");
    EXPECT_EQ(get(folder, "a", "b", "", 1024).size(), 1023);
    EXPECT_EQ(get(folder, "a", "b", "", 1).size(), 0);
    EXPECT_EQ(get(folder, "a", "z", "defaultdefault", 5), "defa");
}

TEST(ProfileRead, OddLineEndsAndBinaryBytes) {
    TestFolder folder;
    folder.write("p.ini", "[s]\nlf=1\rcr=2\r\ncrlf=3\n\n[t]\rk=v");
    EXPECT_EQ(get(folder, "s", "lf"), "1");
    EXPECT_EQ(get(folder, "s", "cr"), "2");
    EXPECT_EQ(get(folder, "s", "crlf"), "3");
    EXPECT_EQ(get(folder, "t", "k"), "v");

    static constexpr char binary[] = "[s]\nbin=\xe9t\xe9\x00hidden\nnul\x00key=1\n";
    folder.write("p.ini", QByteArray(binary, sizeof binary - 1));
    EXPECT_EQ(get(folder, "s", "bin"), QString::fromUtf8("été")) << "the value ends at a zero";
}

TEST(ProfileWrite, ChangesInPlaceAndKeepsOtherLines) {
    TestFolder folder;
    const QString path = folder.path("p.ini");
    folder.write("p.ini", "; keep me\n[A]\nx = 1\n\n[B]\ny=2");
    EXPECT_TRUE(writePrivateProfileString(u"a", u"X", u"10", path));
    EXPECT_TRUE(writePrivateProfileString(u"A", u"new", u"n", path));
    EXPECT_TRUE(writePrivateProfileString(u"B", u"z", u"3", path));
    EXPECT_TRUE(writePrivateProfileString(u"C", u"w", u"4", path));
    EXPECT_EQ(folder.read("p.ini"),
              "; keep me\n[A]\nx=10\nnew=n\r\n\n[B]\ny=2\r\nz=3\r\n[C]\r\nw=4\r\n");
}

TEST(ProfileWrite, CreatesTheFileAndRoundTripsCodePageText) {
    TestFolder folder;
    const QString path = folder.path("new.ini");
    const QString text = QString::fromUtf8("caf\u00e9 \u20ac \u4e2d");
    EXPECT_TRUE(writePrivateProfileString(u"S", u"k", text, path));
    EXPECT_EQ(folder.read("new.ini"), "[S]\r\nk=caf\xe9 \x80 ?\r\n");
    EXPECT_EQ(getPrivateProfileString(u"S", u"K", u"", 1024, path), QString::fromUtf8("café € ?"));
}

TEST(ProfileWrite, FailureLeavesTheOldFileWhole) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    TestFolder folder;
    folder.write("p.ini", "[S]\r\nk=old\r\n");
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(writePrivateProfileString(u"S", u"k", u"new", folder.path("p.ini")));
    QFile::setPermissions(folder.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(folder.read("p.ini"), "[S]\r\nk=old\r\n");
}

TEST(ProfileWrite, FullDiskLeavesTheOldFileWhole) {
    TestFolder folder;
    folder.write("p.ini", "[S]\r\nk=old\r\n");
    {
        FullDisk full;
        EXPECT_FALSE(
            writePrivateProfileString(u"S", u"k", QString(200, u'n'), folder.path("p.ini")));
    }
    EXPECT_EQ(folder.read("p.ini"), "[S]\r\nk=old\r\n");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"p.ini"});
}

TEST(ProfileWrite, MissingFolderIsAFailureNotACrash) {
    TestFolder folder;
    EXPECT_FALSE(writePrivateProfileString(u"S", u"k", u"v", folder.path("no/such/p.ini")));
}

TEST(ProfileBatch, ManyWritesOneReplacement) {
    TestFolder folder;
    const QString path = folder.path("User.dat");
    folder.write("User.dat", "[UserSetting]\r\nUserNumber=1\r\nUserName001=old\r\n");
    ProfileBatch batch(path);
    for (int i = 1; i <= 100; ++i) {
        ASSERT_TRUE(batch.write(u"UserSetting",
                                QStringLiteral("UserName%1").arg(i, 3, 10, QChar('0')),
                                QStringLiteral("user %1").arg(i)));
    }
    ASSERT_TRUE(batch.write(u"usersetting", u"USERNUMBER", u"100"));
    EXPECT_EQ(folder.read("User.dat"), "[UserSetting]\r\nUserNumber=1\r\nUserName001=old\r\n")
        << "nothing is written before commit";
    ASSERT_TRUE(batch.commit());
    const ProfileReader reader(path);
    EXPECT_EQ(reader.get(u"UserSetting", u"UserNumber", u"", 1024), "100");
    EXPECT_EQ(reader.get(u"UserSetting", u"UserName001", u"", 1024), "user 1");
    EXPECT_EQ(reader.get(u"UserSetting", u"UserName100", u"", 1024), "user 100");
    EXPECT_EQ(folder.read("User.dat").count("UserName001"), 1);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"User.dat"})
        << "no temporary file is left behind";
}
