// Start-up on a folder another copy is running from, and what an interrupted save left there.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTimer>

#include "common/other_copy.h"
#include "main_window_fixture.h"
#include "stores/history_file.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"
#include "transport/mailslot_channel.h"

using StartupOnAFolderTest = MainWindowTest;

TEST_F(StartupOnAFolderTest, ASecondCopySaysSoOnceAndNeverWritesTheHistory) {
    writeHistory({kStateUnread, kStateUnread});
    const QByteArray before = folder_.read(QStringLiteral("Histo.dat"));
    OtherCopy first(folder_.path());
    ASSERT_TRUE(first.held());
    frmPelimo& window = start();
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{gFctGetMessage(Msg::AnotherCopyRunning)});
    EXPECT_EQ(gStructureMailslotControl.MailSlotHandle, kInvalidHandleValue)
        << "the mailslot is the first copy's";
    EXPECT_EQ(HistoryList.Count, 2);
    HistoryList[1].State = kStateRead;
    DialogSeam::pushButton(MsgBoxResult::Ok);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(folder_.read(QStringLiteral("Histo.dat")), before);
    EXPECT_EQ(DialogSeam::shown().size(), 2u) << "the start-up box and the quit question only";
}

TEST_F(StartupOnAFolderTest, OnlyStaleTemporaryFilesOfOurStoresAreRemoved) {
    const QStringList stale = {"Histo.dat.a1B2c3", "User.dat.XXXXXX", "Settings.ini.q9w8e7"};
    const QStringList kept = {"Histo.dat.a1B2c", "Histo.dat.a1B2c3d", "Histo.dat.a1-2c3",
                              "Notes.txt.a1B2c3", "Histo.dat"};
    for (const QString& name : stale + kept)
        folder_.write(name, "x");
    const QDateTime hourAgo = QDateTime::currentDateTime().addSecs(-3600);
    for (const QString& name : stale + kept) {
        QFile file(folder_.path(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(hourAgo, QFileDevice::FileModificationTime));
    }
    // Written after this process started: perhaps another copy's save in progress.
    folder_.write(QStringLiteral("Histo.dat.Fr35h0"), "x");
    start();
    QStringList expected = kept;
    expected << "Histo.dat.Fr35h0"
             << "Settings.ini"
             << "orglng.lng";
    expected.sort();
    QStringList found = QDir(folder_.path()).entryList(QDir::Files);
    found.sort();
    EXPECT_EQ(found, expected);
}
