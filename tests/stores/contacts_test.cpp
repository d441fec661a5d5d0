#include <gtest/gtest.h>

#include "common/full_disk.h"
#include "common/test_folder.h"
#include "errorreport/runtime_error.h"
#include "stores/contacts.h"

namespace {

// A User.dat with `count` as "UserNumber" and `stored` contacts named user1, PC1, ...
QByteArray userFile(const QByteArray& count, int stored) {
    QByteArray file = "[UserSetting]\r\nUserNumber=" + count + "\r\n";
    for (int n = 1; n <= stored; ++n) {
        const QByteArray position = QByteArray::number(n).rightJustified(3, '0');
        const QByteArray number = QByteArray::number(n);
        file += "UserName" + position + "=user" + number + "\r\n";
        file += "UserComputerName" + position + "=PC" + number + "\r\n";
        file += "UserGroupName" + position + "=GROUP\r\n";
        file += "UserPicturePath" + position + "=/pics/" + number + ".bmp\r\n";
        file += "UserSoundPath" + position + "=\r\n";
    }
    return file;
}

void loadFresh() {
    ContactStore::reset();
    gFctLoadUserIni();
}

}  // namespace

// Every case starts from an empty table.
class Contacts : public ::testing::Test {
protected:
    void SetUp() override { ContactStore::reset(); }
    void TearDown() override { ContactStore::reset(); }
};

TEST_F(Contacts, MissingFileLoadsEmptyWithoutMessage) {
    TestFolder folder;
    ContactList.Count = 5;
    gFctLoadUserIni();
    EXPECT_EQ(ContactList.Count, 0);
    EXPECT_TRUE(DialogSeam::shown().empty());
    EXPECT_FALSE(folder.exists("User.dat"));
}

TEST_F(Contacts, HundredLoadAndTheNextAddIsRefused) {
    TestFolder folder;
    folder.write("User.dat", userFile("100", 100));
    loadFresh();
    ASSERT_EQ(ContactList.Count, 100);
    EXPECT_EQ(ContactList[100].UserName, "user100");
    EXPECT_EQ(ContactList[100].UserComputerName, "PC100");
    EXPECT_EQ(ContactList[1].UserGroupName, "GROUP");
    EXPECT_EQ(ContactList[7].UserPicturePath, "/pics/7.bmp");
    EXPECT_TRUE(DialogSeam::shown().empty());

    EXPECT_FALSE(gFctAddContact("new", "NEWPC", "", ""));
    EXPECT_EQ(ContactList.Count, 100);
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(DialogSeam::shown()[0].text, "Nombre de contact maximum atteint");
    EXPECT_EQ(DialogSeam::shown()[0].title, "Pelimo");
    EXPECT_EQ(DialogSeam::shown()[0].icon, MsgBoxIcon::None);
}

TEST_F(Contacts, HandEditedCounts) {
    TestFolder folder;
    struct Case {
        QByteArray count;
        int loaded;
        bool tooMuch;
    };
    const Case cases[] = {
        {"101", 0, true},  {"65536", 0, true},   {"99999999999999999999", 0, true},
        {"-1", 0, false},  {"-32768", 0, false}, {"abc", 0, false},
        {"", 0, false},    {" 3", 3, false},     {"3abc", 3, false},
        {"2.9", 2, false}, {"\"3\"", 3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count.toStdString());
        folder.write("User.dat", userFile(c.count, 101));
        DialogSeam::clearShown();
        ContactList.Count = 42;
        gFctLoadUserIni();
        EXPECT_EQ(ContactList.Count, c.loaded);
        if (c.tooMuch) {
            ASSERT_EQ(DialogSeam::shown().size(), 1u);
            EXPECT_EQ(DialogSeam::shown()[0].text, "Too Much User");
            EXPECT_EQ(DialogSeam::shown()[0].title, "Information");
            EXPECT_EQ(DialogSeam::shown()[0].icon, MsgBoxIcon::None);
        } else {
            EXPECT_TRUE(DialogSeam::shown().empty());
        }
    }
    // A missing "UserNumber" key counts 0.
    folder.write("User.dat", "[UserSetting]\r\nUserName001=a\r\n");
    loadFresh();
    EXPECT_EQ(ContactList.Count, 0);
}

TEST_F(Contacts, HandEditedValues) {
    TestFolder folder;
    const QByteArray longValue(10000, 'x');
    folder.write("User.dat",
                 "[usersetting]\nusernumber=2\nUserName001=first\nUSERNAME001=second\n"
                 "UserComputerName001=" +
                     longValue +
                     "\nUserName002=\x81\x9f\xc9t\xe9\n"
                     "UserSoundPath002=  \"/snd/a b.wav\"  \n");
    loadFresh();
    ASSERT_EQ(ContactList.Count, 2);
    EXPECT_EQ(ContactList[1].UserName, "first") << "the first of duplicate keys counts";
    EXPECT_EQ(ContactList[1].UserComputerName, QString(1023, u'x'));
    EXPECT_EQ(ContactList[1].UserGroupName, "");
    EXPECT_EQ(ContactList[2].UserName, QString::fromUtf8("\u0081\u0178\u00c9t\u00e9"));
    EXPECT_EQ(ContactList[2].UserSoundPath, "/snd/a b.wav");
}

TEST_F(Contacts, DeletingTheSecondOfThreeAndSavingKeepsStaleKeys) {
    TestFolder folder;
    folder.write("User.dat", userFile("3", 3));
    loadFresh();
    ContactList[3].Connected = true;
    ASSERT_TRUE(gFctDeleteContact(2));
    EXPECT_EQ(ContactList.Count, 2);
    EXPECT_EQ(ContactList[1].UserName, "user1");
    EXPECT_EQ(ContactList[2].UserName, "user3");
    EXPECT_TRUE(ContactList[2].Connected) << "flags move with their contact";
    EXPECT_FALSE(gFctDeleteContact(3)) << "beyond the count";
    EXPECT_FALSE(gFctDeleteContact(0));

    gSaveUserIni();
    const QByteArray file = folder.read("User.dat");
    EXPECT_TRUE(
        file.startsWith("[UserSetting]\r\nUserNumber=2\r\nUserName001=user1\r\n"
                        "UserComputerName001=PC1\r\n"))
        << file.toStdString();
    EXPECT_TRUE(file.contains("UserName002=user3\r\nUserComputerName002=PC3\r\n"));
    EXPECT_TRUE(file.contains("UserName003=user3\r\nUserComputerName003=PC3\r\n"))
        << "the keys of position 003 stay";
    loadFresh();
    EXPECT_EQ(ContactList.Count, 2);
    EXPECT_EQ(ContactList[2].UserComputerName, "PC3");
    EXPECT_FALSE(ContactList[2].Connected) << "loading clears the flags";

    while (ContactList.Count > 0)
        ASSERT_TRUE(gFctDeleteContact(1));
    EXPECT_FALSE(gFctDeleteContact(1)) << "an empty table";
}

TEST_F(Contacts, AddedAfterDeletionIsLastWithEmptyGroupAndNoFlags) {
    TestFolder folder;
    folder.write("User.dat", userFile("3", 3));
    loadFresh();
    ContactList[3].Ready = true;
    ContactList[3].Connected = true;
    ASSERT_TRUE(gFctDeleteContact(1));
    ASSERT_TRUE(gFctAddContact("new", "NEWPC", "/p.bmp", "/s.wav"));
    ASSERT_EQ(ContactList.Count, 3);
    const Contact& added = ContactList[3];
    EXPECT_EQ(added.UserName, "new");
    EXPECT_EQ(added.UserComputerName, "NEWPC");
    EXPECT_EQ(added.UserGroupName, "");
    EXPECT_EQ(added.UserPicturePath, "/p.bmp");
    EXPECT_EQ(added.UserSoundPath, "/s.wav");
    EXPECT_FALSE(added.Connected);
    EXPECT_FALSE(added.Ready);
}

TEST_F(Contacts, SearchesIgnoreWindows1252CaseAndTheLastMatchWins) {
    TestFolder folder;
    ASSERT_TRUE(gFctAddContact("Eric", "PC-A", "", ""));
    ASSERT_TRUE(gFctAddContact("ÉLODIE", "Pc-\u0160", "", ""));
    ASSERT_TRUE(gFctAddContact("eRIC", "pc-a", "", ""));
    ASSERT_TRUE(gFctAddContact("x\u00d7", "\u0178", "", ""));

    EXPECT_EQ(gSearchContactWithUserName("ERIC"), 3);
    EXPECT_EQ(gSearchContactWithUserName("élodie"), 2);
    EXPECT_EQ(gSearchContactWithUserName("elodie"), 0) << "accents are letters of their own";
    EXPECT_EQ(gSearchContactWithUserName("X\u00d7"), 4);
    EXPECT_EQ(gSearchContactWithUserName("x\u00f7"), 0) << "the multiplication sign has no case";
    EXPECT_EQ(gSearchContactWithUserName("nobody"), 0);
    EXPECT_EQ(gSearchContactWithComputerName("PC-a"), 3);
    EXPECT_EQ(gSearchContactWithComputerName("pc-\u0161"), 2);
    EXPECT_EQ(gSearchContactWithComputerName("\u00ff"), 4);
    EXPECT_TRUE(DialogSeam::shown().empty());

    EXPECT_EQ(gSearchContactWithComputerName(""), 0);
    EXPECT_TRUE(DialogSeam::shown().empty()) << "an empty computer name is silent";
    EXPECT_EQ(gSearchContactWithUserName(""), 0);
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(DialogSeam::shown()[0].text, "Error, no user name");
    EXPECT_EQ(DialogSeam::shown()[0].title, "Attention");
    EXPECT_EQ(DialogSeam::shown()[0].icon, MsgBoxIcon::Exclamation);
}

TEST_F(Contacts, RoundTripOfAFullTable) {
    TestFolder folder;
    for (int n = 1; n <= kMaxContacts; ++n) {
        ASSERT_TRUE(gFctAddContact(QStringLiteral("Zoé %1").arg(n), QStringLiteral("PC%1").arg(n),
                                   QStringLiteral("/photos/€ %1.bmp").arg(n), {}));
        ContactList[n].UserGroupName = QStringLiteral("GROUPE");
    }
    gSaveUserIni();
    const QByteArray file = folder.read("User.dat");
    EXPECT_TRUE(file.contains("UserName100=Zo\xe9 100\r\n")) << "Windows-1252 in the file";
    EXPECT_TRUE(file.contains("UserPicturePath001=/photos/\x80 1.bmp\r\n"));
    loadFresh();
    ASSERT_EQ(ContactList.Count, kMaxContacts);
    for (int n = 1; n <= kMaxContacts; ++n) {
        EXPECT_EQ(ContactList[n].UserName, QStringLiteral("Zoé %1").arg(n));
        EXPECT_EQ(ContactList[n].UserGroupName, "GROUPE");
        EXPECT_EQ(ContactList[n].UserPicturePath, QStringLiteral("/photos/€ %1.bmp").arg(n));
        EXPECT_EQ(ContactList[n].UserSoundPath, "");
    }
}

TEST_F(Contacts, FailedSaveKeepsTheOldFileAndTellsTheUser) {
    TestFolder folder;
    folder.write("User.dat", userFile("3", 3));
    const QByteArray before = folder.read("User.dat");
    loadFresh();
    ASSERT_TRUE(gFctAddContact("fourth", "PC4", "", ""));
    {
        FullDisk full;
        gSaveUserIni();
    }
    EXPECT_EQ(folder.read("User.dat"), before);
    ASSERT_EQ(shownMessageTexts().size(), 1u);
    EXPECT_EQ(shownMessageTexts()[0], "Error Saving Contact Data !");
    EXPECT_EQ(DialogSeam::shown()[0].title, "Pelimo");
}

TEST_F(Contacts, PositionsOutsideTheTableRaiseSubscriptOutOfRange) {
    EXPECT_THROW(ContactList[0], RunTimeError);
    EXPECT_THROW(ContactList[101], RunTimeError);
    EXPECT_NO_THROW(ContactList[100]);
}
