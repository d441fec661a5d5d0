// Where a received attachment may be saved: the name taken from the network, the folder proposed
// and the program's own folders, which never receive it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "attachments/attachment_save_target.h"
#include "common/download_folder.h"
#include "common/test_folder.h"

namespace {

TEST(AttachmentSaveTarget, ProposesOnlyAPlainFileNameOfTheNetworkPath) {
    EXPECT_EQ(AttachmentSaveTarget::safeFileName(QStringLiteral("\\\\PC\\s\\d\\report.pdf")),
              "report.pdf");
    EXPECT_EQ(AttachmentSaveTarget::safeFileName(QStringLiteral("\\\\PC\\s\\a/../../.bashrc")),
              ".bashrc");
    EXPECT_EQ(AttachmentSaveTarget::safeFileName(QStringLiteral("\\\\PC\\s\\bad\nname\t.txt")),
              "badname.txt");
    for (const char* nothing : {"\\\\PC\\s\\..", "\\\\PC\\s\\.", "\\\\PC\\s\\d\\", "\\\\PC\\s\\a/",
                                "\\\\PC\\s\\\x01\x02"}) {
        EXPECT_EQ(AttachmentSaveTarget::safeFileName(QString::fromLatin1(nothing)), "") << nothing;
    }
    // Longer than a file name may be: cut, its extension kept, never inside a character.
    const QString name = AttachmentSaveTarget::safeFileName(
        QStringLiteral("\\\\PC\\s\\") + QString(200, QChar(0xE9)) + QStringLiteral(".txt"));
    EXPECT_LE(name.toUtf8().size(), 255);
    EXPECT_TRUE(name.endsWith(QStringLiteral("\u00E9.txt"))) << name.toStdString();
}

TEST(AttachmentSaveTarget, StartsInTheUsersDownloadFolderElseTheHomeFolder) {
    DownloadFolder downloads;
    EXPECT_EQ(AttachmentSaveTarget::folder(), downloads.path() + u'/');
    QDir(downloads.path()).removeRecursively();
    EXPECT_EQ(AttachmentSaveTarget::folder(), QDir::homePath() + u'/');
}

TEST(AttachmentSaveTarget, ProgramFoldersAreRefusedThroughAnyLink) {
    TestFolder program;
    DownloadFolder downloads;
    program.write(QStringLiteral("User.dat"), "contacts");
    QDir(program.path()).mkpath(QStringLiteral("Favories"));
    const QString outside = downloads.path() + QStringLiteral("/User.dat");
    EXPECT_FALSE(AttachmentSaveTarget::isInProgramFolders(outside));
    EXPECT_FALSE(AttachmentSaveTarget::isInProgramFolders(program.path().chopped(1) +
                                                          QStringLiteral("-other/x")));
    for (const QString& inside :
         {program.path(QStringLiteral("User.dat")), program.path(QStringLiteral("New.txt")),
          program.path(QStringLiteral("Favories/../Histo.dat")),
          program.path(QStringLiteral("Favories/Hello.txt")),
          QCoreApplication::applicationDirPath() + QStringLiteral("/Settings.ini")}) {
        EXPECT_TRUE(AttachmentSaveTarget::isInProgramFolders(inside)) << inside.toStdString();
    }
    // A link in the download folder to the program's folder, and one to a store.
    ASSERT_TRUE(QFile::link(program.path().chopped(1), downloads.path() + QStringLiteral("/app")));
    ASSERT_TRUE(QFile::link(program.path(QStringLiteral("User.dat")),
                            downloads.path() + QStringLiteral("/contacts")));
    EXPECT_TRUE(AttachmentSaveTarget::isInProgramFolders(downloads.path() +
                                                         QStringLiteral("/app/User.dat")));
    EXPECT_TRUE(AttachmentSaveTarget::isInProgramFolders(downloads.path() +
                                                         QStringLiteral("/app/missing/x")));
    EXPECT_TRUE(
        AttachmentSaveTarget::isInProgramFolders(downloads.path() + QStringLiteral("/contacts")));
}

}  // namespace
