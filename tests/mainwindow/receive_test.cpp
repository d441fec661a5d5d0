// The receive loop: datagrams written into the window's own mailslot, shown, stored and marked.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include "main_window_fixture.h"
#include "mainwindow/panel_state.h"
#include "platform/ansi_codec.h"
#include "platform/local_mailslot.h"
#include "stores/contacts.h"
#include "stores/history_file.h"
#include "transport/mailslot_channel.h"
#include "ui/artwork.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"

namespace {

class ReceiveTest : public MainWindowTest {
protected:
    // A wave file that exists (the player only plays files that are there).
    QString writeSound(const QString& name) {
        folder_.write(name, pcmWaveHeader());
        return folder_.path(name);
    }
};

TEST_F(ReceiveTest, AMessageFromAContactShowsItsNamePhotoAndSound) {
    const QString photo = writePicture(QStringLiteral("alice.bmp"), Qt::red);
    const QString sound = writeSound(QStringLiteral("alice.wav"));
    writeContacts({{"Alice", "PC7", photo, sound}});
    writeSettings(0, 1, 0);
    frmPelimo& window = start();
    part<LimitedTextBox>(window, "txtSendMessage")->setText(QStringLiteral("a draft"));
    receive("PC7", "ME", "1Hello there");

    EXPECT_EQ(gCurrentPanel, kPanelRead);
    EXPECT_TRUE(part<QWidget>(window, "picReadMessage")->isVisible());
    EXPECT_FALSE(part<QWidget>(window, "picSendMessage")->isVisible());
    EXPECT_EQ(part<QLabel>(window, "lblLabReceiveFrom")->text(), QStringLiteral("T1 Alice"));
    EXPECT_EQ(part<QLabel>(window, "lblLabReceiveSendTo")->text(), QStringLiteral("T3 ME"));
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText(),
              QStringLiteral("Hello there"));
    EXPECT_TRUE(
        part<QLabel>(window, "lblLabReceiveDate")->text().endsWith(DecodedMessage.ReceivedTime));
    EXPECT_EQ(shownImage(part<QLabel>(window, "picReceivePhoto")).pixelColor(32, 32),
              QColor(Qt::red));
    EXPECT_EQ(sounds_->opened, QStringList{sound});
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->height(), 227);
    EXPECT_TRUE(part<QLineEdit>(window, "txtReceiveFiles")->text().isEmpty());
    // The draft being composed stays.
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->text(), QStringLiteral("a draft"));
    // Stored at once, unread.
    ASSERT_EQ(HistoryList.Count, 1);
    EXPECT_EQ(HistoryList[1].Sender, QStringLiteral("PC7"));
    EXPECT_EQ(HistoryList[1].Text, QStringLiteral("Hello there"));
    EXPECT_EQ(HistoryList[1].State, kStateUnread);
    EXPECT_EQ(folder_.read(QStringLiteral("Histo.dat")), gHistoryEntryBytes(HistoryList[1]));
    EXPECT_TRUE(part<QTimer>(window, "TimerTestRead")->isActive());
    // The message stays the current one for the read panel's commands.
    EXPECT_EQ(DecodedMessage.Sender, QStringLiteral("PC7"));
}

TEST_F(ReceiveTest, SoundOnlyWhenTheSettingSaysSo) {
    writeContacts({{"Alice", "PC7", "", writeSound(QStringLiteral("a.wav"))}});
    writeSettings(0, 0, 0);
    frmPelimo& window = start();
    receive("PC7", "ME", "1quiet");
    EXPECT_TRUE(sounds_->opened.isEmpty());
    // No photo: the default one.
    EXPECT_EQ(shownImage(part<QLabel>(window, "picReceivePhoto")),
              Artwork::defaultContactPhoto().toImage());
}

TEST_F(ReceiveTest, AnUnknownComputerShowsItsNameTheDefaultPhotoAndNoSound) {
    writeContacts({{"Alice", "PC7", writePicture(QStringLiteral("a.bmp"), Qt::red),
                    writeSound(QStringLiteral("a.wav"))}});
    frmPelimo& window = start();
    receive("PC7", "ME", "1first");
    receive("PC9", "ME", "1second");
    EXPECT_EQ(part<QLabel>(window, "lblLabReceiveFrom")->text(), QStringLiteral("T1 PC9"));
    EXPECT_EQ(shownImage(part<QLabel>(window, "picReceivePhoto")),
              Artwork::defaultContactPhoto().toImage());
    EXPECT_EQ(sounds_->opened.size(), 1);
    EXPECT_EQ(ContactList.Count, 1);  // an ordinary message adds no contact
}

TEST_F(ReceiveTest, APhotoThatCannotBeLoadedGivesTheDefaultPhoto) {
    folder_.write(QStringLiteral("broken.bmp"), "BM not really a picture");
    writeContacts({{"Alice", "PC7", folder_.path(QStringLiteral("broken.bmp")), ""}});
    frmPelimo& window = start();
    receive("PC7", "ME", "1hi");
    EXPECT_EQ(shownImage(part<QLabel>(window, "picReceivePhoto")),
              Artwork::defaultContactPhoto().toImage());
    EXPECT_EQ(Artwork::defaultContactPhoto().size(), QSize(64, 64));
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST_F(ReceiveTest, AnAttachmentShortensTheMessageBoxUntilAMessageWithoutOne) {
    frmPelimo& window = start();
    receive("PC7", "ME", "20016\\\\PC7\\docs\\a.txtsee file");
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText(),
              QStringLiteral("see file"));
    EXPECT_EQ(part<QLineEdit>(window, "txtReceiveFiles")->text(),
              QStringLiteral("\\\\PC7\\docs\\a.txt"));
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->height(), 206);
    ASSERT_EQ(HistoryList.Count, 1);
    EXPECT_EQ(HistoryList[1].State, kStateUnreadWithAttachment);
    receive("PC7", "ME", "1plain");
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->height(), 227);
    EXPECT_TRUE(part<QLineEdit>(window, "txtReceiveFiles")->text().isEmpty());
}

TEST_F(ReceiveTest, PlainThreeFieldDatagramsAreOrdinaryMessages) {
    frmPelimo& window = start();
    receive("WINBOX", "ME", "Lunch at noon?");
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText(),
              QStringLiteral("Lunch at noon?"));
    receive("WINBOX", "ME", "7 dwarfs");
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText(),
              QStringLiteral("7 dwarfs"));
    receive("WINBOX", "ME", "");
    EXPECT_TRUE(part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText().isEmpty());
    EXPECT_EQ(HistoryList.Count, 3);
    EXPECT_EQ(HistoryList[1].Kind, kKindPlain);
}

TEST_F(ReceiveTest, AnIdentificationRequestFromAStrangerAddsMarksAndAnswersIt) {
    frmPelimo& window = start();
    receive("PC5", "ME", "3Pelimo : Identification Request");
    ASSERT_EQ(ContactList.Count, 1);
    EXPECT_EQ(ContactList[1].UserName, QStringLiteral("PC5"));
    EXPECT_EQ(ContactList[1].UserComputerName, QStringLiteral("PC5"));
    EXPECT_TRUE(ContactList[1].Connected);
    EXPECT_TRUE(ContactList[1].Ready);
    // The answer was built (and handed to the transport), then the message cleared.
    EXPECT_EQ(DecodedMessage.Kind, kKindIdentificationAnswer);
    EXPECT_EQ(DecodedMessage.Text, QStringLiteral("4Pelimo : Identification Answer"));
    EXPECT_TRUE(DecodedMessage.Sender.isEmpty());
    // Nothing shown, nothing stored, no contacts file written.
    EXPECT_EQ(gCurrentPanel, kPanelSend);
    EXPECT_TRUE(part<QWidget>(window, "picSendMessage")->isVisible());
    EXPECT_EQ(HistoryList.Count, 0);
    EXPECT_FALSE(folder_.exists(QStringLiteral("Histo.dat")));
    EXPECT_FALSE(folder_.exists(QStringLiteral("User.dat")));
}

TEST_F(ReceiveTest, AnIdentificationAnswerMarksTheContactAndSendsNothing) {
    writeContacts({{"Alice", "PC7", "", ""}, {"Bob", "PC8", "", ""}});
    start();
    receive("pc8", "ME", "4Pelimo : Identification Answer");
    EXPECT_FALSE(ContactList[1].Connected || ContactList[1].Ready);
    EXPECT_TRUE(ContactList[2].Connected && ContactList[2].Ready);
    EXPECT_EQ(ContactList.Count, 2);
    // Decoded, not answered: the text is the decoded answer's, without a kind digit.
    EXPECT_EQ(DecodedMessage.Text, QStringLiteral("Pelimo : Identification Answer"));
}

TEST_F(ReceiveTest, WithAHundredContactsAStrangersIdentificationAddsAndMarksNobody) {
    std::vector<QStringList> contacts;
    for (int i = 1; i <= kMaxContacts; ++i)
        contacts.push_back({QStringLiteral("U%1").arg(i), QStringLiteral("PC%1").arg(i), "", ""});
    writeContacts(contacts);
    start();
    ASSERT_EQ(ContactList.Count, kMaxContacts);
    receive("STRANGER", "ME", "3Pelimo : Identification Request");
    EXPECT_EQ(ContactList.Count, kMaxContacts);
    for (int i = 1; i <= kMaxContacts; ++i)
        EXPECT_FALSE(ContactList[i].Connected);
    // No modal box from the receiver: a stranger may not freeze the window.
    EXPECT_TRUE(shownMessageTexts().empty());
    // A known one among the hundred is still marked.
    receive("PC100", "ME", "4x");
    EXPECT_TRUE(ContactList[100].Ready);
}

TEST_F(ReceiveTest, TheNewestMessageIsMarkedReadAfterTheDelay) {
    frmPelimo& window = start();
    // Long enough for the second message to arrive before the first would be marked.
    part<QTimer>(window, "TimerTestRead")->setInterval(500);
    receive("PC7", "ME", "1one");
    receive("PC7", "ME", "20003\\\\xtwo");
    ASSERT_EQ(HistoryList.Count, 2);
    EXPECT_TRUE(QTest::qWaitFor([] { return HistoryList[2].State == kStateReadWithAttachment; }));
    EXPECT_FALSE(part<QTimer>(window, "TimerTestRead")->isActive());
    // The earlier one was not on screen for the whole delay: it stays unread.
    EXPECT_EQ(HistoryList[1].State, kStateUnread);
    // The marking is in memory only until the rewrite.
    EXPECT_EQ(gParseHistoric(folder_.read(QStringLiteral("Histo.dat")))[1].State,
              kStateUnreadWithAttachment);
}

TEST_F(ReceiveTest, APanelSwitchWithinTheDelayCancelsTheMarking) {
    frmPelimo& window = start();
    part<QTimer>(window, "TimerTestRead")->setInterval(60);
    receive("PC7", "ME", "1one");
    QTest::mouseClick(part<LabelButton>(window, "lblMenuSendMessage"), Qt::LeftButton);
    EXPECT_FALSE(part<QTimer>(window, "TimerTestRead")->isActive());
    QTest::qWait(150);  // a fixed wait: past the delay, nothing may be marked
    EXPECT_EQ(HistoryList[1].State, kStateUnread);
}

TEST_F(ReceiveTest, AMessageArrivingWhileMinimisedStaysUnread) {
    frmPelimo& window = start();
    part<QTimer>(window, "TimerTestRead")->setInterval(30);
    window.setWindowState(Qt::WindowMinimized);
    receive("PC7", "ME", "1while away");
    QTest::qWait(120);  // a fixed wait: past the delay, nothing may be marked
    EXPECT_FALSE(part<QTimer>(window, "TimerTestRead")->isActive());
    EXPECT_EQ(HistoryList[1].State, kStateUnread);
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);  // OpenWindows is 0
}

TEST_F(ReceiveTest, OpenWindowsBringsTheWindowBackFromTheTray) {
    trayAvailable_ = true;
    writeSettings(1, 0, 0);
    frmPelimo& window = start();
    window.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
    receive("PC7", "ME", "1wake up");
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(part<QWidget>(window, "picReadMessage")->isVisible());
}

TEST_F(ReceiveTest, WithoutOpenWindowsTheHiddenWindowStaysHidden) {
    trayAvailable_ = true;
    writeSettings(0, 0, 0);
    frmPelimo& window = start();
    part<QTimer>(window, "TimerTestRead")->setInterval(30);
    window.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
    receive("PC7", "ME", "1later");
    QTest::qWait(100);  // a fixed wait: past the delay, nothing may show or be marked
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText(),
              QStringLiteral("later"));
    EXPECT_EQ(HistoryList[1].State, kStateUnread);
}

TEST_F(ReceiveTest, HostileDatagramsAreShownSafely) {
    frmPelimo& window = start();
    const QByteArray longSender(200, 'S');
    QByteArray text(64 * 1024 - 300, 'x');
    text.replace(0, 13, QByteArray("\x01\x1b[2J\r\n<b>\x81\x9d\xff", 13));
    receive(longSender, "ME\r\n\t*", "1" + text);
    EXPECT_EQ(part<QLabel>(window, "lblLabReceiveFrom")->text(),
              QStringLiteral("T1 ") + QString(200, u'S'));
    EXPECT_EQ(part<QLabel>(window, "lblLabReceiveSendTo")->text(), QStringLiteral("T3 ME   *"));
    const QString shown = part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText();
    EXPECT_EQ(shown.size(), text.size() - 1);  // CR LF shown as one line break
    EXPECT_TRUE(shown.startsWith(QStringLiteral("\uFFFD\uFFFD[2J\n<b>\uFFFD\uFFFD\u00FF")));
    // Stored as received.
    ASSERT_EQ(HistoryList.Count, 1);
    EXPECT_EQ(HistoryList[1].Sender.size(), 200);
    EXPECT_EQ(HistoryList[1].Text, pelimo::platform::ansiToUnicode(text));
    EXPECT_EQ(reportsShown(), 0);
}

TEST_F(ReceiveTest, AFloodIsTakenManyPerTickInOrderAndTheWindowStaysResponsive) {
    frmPelimo& window = start();
    part<QTimer>(window, "TimerMailSlot")->stop();
    pelimo::platform::LocalMailslotWriter writer;
    constexpr int kFlood = 400;
    for (int i = 0; i < kFlood; ++i) {
        writer.deliver(channel_.toLatin1(),
                       QByteArray("FLOOD\0ME\0", 9) + "1message " + QByteArray::number(i) + '\0');
    }
    // The user's click is handled while the flood waits in the mailslot.
    QTest::mouseClick(part<LabelButton>(window, "lblMenuSendMessage"), Qt::LeftButton);
    EXPECT_TRUE(part<QWidget>(window, "picSendMessage")->isVisible());
    window.TimerMailSlot_Timer();
    EXPECT_GT(HistoryList.Count, 1);
    // The writer holds back what the mailslot's socket cannot take yet, as the router does.
    for (int tick = 0; tick < 10 * kFlood && HistoryList.Count < kFlood; ++tick) {
        writer.retryPending();
        window.TimerMailSlot_Timer();
    }
    ASSERT_EQ(HistoryList.Count, kFlood);
    for (qint32 i = 1; i <= kFlood; ++i)
        EXPECT_EQ(HistoryList[i].Text, QStringLiteral("message %1").arg(i - 1));
    EXPECT_EQ(gParseHistoric(folder_.read(QStringLiteral("Histo.dat"))).size(), kFlood);
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText(),
              QStringLiteral("message %1").arg(kFlood - 1));
    EXPECT_EQ(reportsShown(), 0);
}

TEST_F(ReceiveTest, OneTickStoresEveryMessageAndShowsMarksAndCountsTheNewest) {
    const QString sound = writeSound(QStringLiteral("alice.wav"));
    writeContacts({{"Alice", "PC7", "", sound}});
    writeSettings(0, 1, 0);
    frmPelimo& window = start();
    part<QTimer>(window, "TimerMailSlot")->stop();
    part<QTimer>(window, "TimerTestRead")->setInterval(50);
    deliver("PC7", "ME", "1first");
    deliver("PC7", "ME", "20003\\\\xsecond");
    deliver("PC8", "ME", "4Pelimo : Identification Answer");
    window.TimerMailSlot_Timer();

    ASSERT_EQ(HistoryList.Count, 2);
    EXPECT_EQ(HistoryList[1].Text, QStringLiteral("first"));
    EXPECT_EQ(gParseHistoric(folder_.read(QStringLiteral("Histo.dat"))).size(), 2u);
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText(),
              QStringLiteral("second"));
    EXPECT_EQ(DecodedMessage.Text, QStringLiteral("second"));
    EXPECT_EQ(sounds_->opened.size(), 1);
    EXPECT_TRUE(ContactList[2].Ready);  // the answer after them was handled in the same tick
    EXPECT_TRUE(
        part<QLabel>(window, "lblInfo1")->text().startsWith(QStringLiteral(" 2 T54  2 T55")));
    // Only the newest is marked read; the count line follows.
    ASSERT_TRUE(QTest::qWaitFor([] { return HistoryList[2].State == kStateReadWithAttachment; }));
    EXPECT_EQ(HistoryList[1].State, kStateUnread);
    EXPECT_TRUE(
        part<QLabel>(window, "lblInfo1")->text().startsWith(QStringLiteral(" 2 T54  1 T55")));
}

TEST_F(ReceiveTest, TheShutdownStoresWhatStillWaitsInTheMailslot) {
    frmPelimo& window = start();
    part<QTimer>(window, "TimerMailSlot")->stop();
    deliver("PC7", "ME", "1left behind");
    deliver("PC5", "ME", "3Pelimo : Identification Request");
    deliver("PC7", "ME", "1and another");
    ASSERT_TRUE(window.Form_Unload(false));
    const std::vector<HistoryEntry> stored =
        gParseHistoric(folder_.read(QStringLiteral("Histo.dat")));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].Text, QStringLiteral("left behind"));
    EXPECT_EQ(stored[1].Text, QStringLiteral("and another"));
    EXPECT_EQ(stored[1].State, kStateUnread);
    EXPECT_EQ(ContactList.Count, 0);  // identification datagrams are dropped, not handled
}

}  // namespace
