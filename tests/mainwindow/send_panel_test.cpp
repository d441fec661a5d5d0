// The send panel driven through its controls: checks, sending (to this computer, which delivers
// into the window's own mailslot), the flash window, clearing, replying and picking addressees.
#include <gtest/gtest.h>

#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include "addressbook/frmAddressBook.h"
#include "attachments/unc_name.h"
#include "main_window_fixture.h"
#include "mainwindow/frmSearchComputer.h"
#include "mainwindow/panel_state.h"
#include "stores/contacts.h"
#include "stores/history_file.h"
#include "transport/mailslot_channel.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"

namespace {

class SendPanelTest : public MainWindowTest {
protected:
    void type(frmPelimo& window, const QString& addressees, const QString& text) {
        part<QPlainTextEdit>(window, "txtSendUserList")->setPlainText(addressees);
        part<LimitedTextBox>(window, "txtSendMessage")->setText(text);
    }
    void clickSend(frmPelimo& window) {
        QTest::mouseClick(part<LabelButton>(window, "lblCmdSendNow"), Qt::LeftButton);
    }
    std::vector<DialogRecord> flashes() const {
        std::vector<DialogRecord> found;
        for (const DialogRecord& record : DialogSeam::shown()) {
            if (record.kind == DialogKind::ModalWindow &&
                record.window == QStringLiteral("frmSearchComputer"))
                found.push_back(record);
        }
        return found;
    }
    // Waits until `count` messages sent to this computer have come back through the mailslot.
    void waitForArrivals(qint32 count) {
        ASSERT_TRUE(MailslotChannel::flushSends(2000));
        ASSERT_TRUE(QTest::qWaitFor([count] { return HistoryList.Count >= count; }, 5000));
    }
};

TEST_F(SendPanelTest, ChecksComeInTheirOrderAndARefusedSendChangesNothing) {
    frmPelimo& window = start();
    struct Case {
        QString addressees;
        QString text;
        QString message;
    };
    const Case cases[] = {
        {"", "", "T57"},
        {"PC1", "", "T57"},
        {"", QString(425, u'x'), "T59"},
        {"PC1", QString(425, u'x'), "T59"},
        {"", "hello", "T58"},
        // A line break counts two characters, as the box counts it.
        {"PC1", QString(423, u'x') + u'\n', "T59"},
    };
    for (const Case& test : cases) {
        DialogSeam::clearShown();
        type(window, test.addressees, test.text);
        part<QLineEdit>(window, "txtSendFiles")->setText(QStringLiteral("/tmp/keep.txt"));
        clickSend(window);
        ASSERT_EQ(DialogSeam::shown().size(), 1u) << test.message.toStdString();
        EXPECT_EQ(DialogSeam::shown()[0].text, test.message);
        EXPECT_EQ(DialogSeam::shown()[0].title, QStringLiteral("T56"));
        EXPECT_EQ(DialogSeam::shown()[0].icon, MsgBoxIcon::None);
        EXPECT_EQ(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText(), test.addressees);
        EXPECT_EQ(part<QLineEdit>(window, "txtSendFiles")->text(), QStringLiteral("/tmp/keep.txt"));
        EXPECT_EQ(window.mNbComputerName, 0);
    }
}

TEST_F(SendPanelTest, AMessageSentToThisComputerArrivesAndThePanelIsEmptied) {
    writeSettings(0, 0, 1);
    frmPelimo& window = start();
    ASSERT_FALSE(gComputerName.isEmpty());
    type(window, gComputerName.toLower() + QStringLiteral(" ; "),
         QStringLiteral("line one\nline two"));
    clickSend(window);
    EXPECT_EQ(window.mNbComputerName, 1);
    EXPECT_EQ(window.mComputerNames, QStringList{gComputerName.toLower()});
    EXPECT_TRUE(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText().isEmpty());
    EXPECT_TRUE(part<LimitedTextBox>(window, "txtSendMessage")->text().isEmpty());
    EXPECT_TRUE(part<QLineEdit>(window, "txtSendFiles")->text().isEmpty());
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->height(), 228);
    ASSERT_EQ(flashes().size(), 1u);
    // MinimizedWindows is 1: the window goes down after the send.
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);
    // Nothing of a sent message is kept: the current message is empty, the history too.
    EXPECT_TRUE(DecodedMessage.Sender.isEmpty());
    EXPECT_EQ(HistoryList.Count, 0);

    waitForArrivals(1);
    EXPECT_EQ(HistoryList[1].Sender, gComputerName);
    EXPECT_EQ(HistoryList[1].Addressee, gComputerName.toLower());
    EXPECT_EQ(HistoryList[1].Text, QStringLiteral("line one\r\nline two"));
    EXPECT_EQ(HistoryList[1].Kind, kKindPlain);
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText(),
              QStringLiteral("line one\nline two"));
}

TEST_F(SendPanelTest, EveryAddresseeGetsTheSamePayload) {
    writeContacts({{"Me", "PLACEHOLDER", "", ""}});
    frmPelimo& window = start();
    ContactList[1].UserComputerName = gComputerName;  // known only once the window has started
    type(window, QStringLiteral("me;") + gComputerName + QStringLiteral(";NOBODY-HERE"),
         QString(424, u'z'));
    clickSend(window);
    EXPECT_EQ(window.mComputerNames, (QStringList{gComputerName, gComputerName, "NOBODY-HERE"}));
    waitForArrivals(2);
    QTest::qWait(300);  // a fixed wait: no third message may arrive meanwhile
    EXPECT_EQ(HistoryList.Count, 2);
    EXPECT_EQ(HistoryList[1].Text, QString(424, u'z'));
    EXPECT_EQ(HistoryList[2].Text, QString(424, u'z'));
}

TEST_F(SendPanelTest, TheFlashWindowShowsMessage98Under96For800Milliseconds) {
    frmPelimo& window = start();
    QString title, text;
    int interval = 0;
    bool topmost = false;
    DialogSeam::pushAnswer(DialogAnswer{.act = [&](QObject* shown) {
        auto* flash = qobject_cast<frmSearchComputer*>(shown);
        if (flash == nullptr)
            return 0;
        title = part<QLabel>(*flash, "lblLabTitleFlashMessage")->text();
        text = part<QLabel>(*flash, "lblFlashMessage")->text();
        interval = part<QTimer>(*flash, "Timer1")->interval();
        topmost = flash->windowFlags() & Qt::WindowStaysOnTopHint;
        return 1;
    }});
    type(window, QStringLiteral("NOBODY-HERE"), QStringLiteral("hi"));
    clickSend(window);
    EXPECT_EQ(title, QStringLiteral("T96"));
    EXPECT_EQ(text, QStringLiteral("T98"));
    EXPECT_EQ(interval, 800);
    EXPECT_TRUE(topmost);
}

TEST_F(SendPanelTest, TheFlashWindowClosesItselfWhenItsTimeIsUp) {
    frmSearchComputer flash(QStringLiteral("sent"), 20);
    flash.show();
    EXPECT_TRUE(part<QFrame>(flash, "picFlashMessage")->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !flash.isVisible(); }, 2000));
    EXPECT_EQ(flash.result(), QDialog::Accepted);
}

TEST_F(SendPanelTest, AnAttachmentOnNoShareIsRefusedAndNothingGoes) {
    frmPelimo& window = start();
    folder_.write(QStringLiteral("mountinfo"), QByteArray());
    UncNameSources sources;
    sources.mounts.file = folder_.path(QStringLiteral("mountinfo"));
    sources.shares.configText = QByteArray("[global]\n");
    sources.shares.usershares = pelimo::platform::UsershareListing{};
    sources.computerName = QStringLiteral("HOST1");
    UncNames::setSources(sources);
    type(window, gComputerName, QStringLiteral("with file"));
    const QString file = folder_.path(QStringLiteral("private.txt"));
    part<QLineEdit>(window, "txtSendFiles")->setText(file);
    clickSend(window);
    ASSERT_EQ(shownMessageTexts(), std::vector<QString>{QStringLiteral("T123\n") + file});
    EXPECT_EQ(DialogSeam::shown()[0].title, QStringLiteral("Pelimo"));
    EXPECT_TRUE(flashes().empty());
    // The panel keeps everything so the user can pick another file.
    EXPECT_EQ(part<QLineEdit>(window, "txtSendFiles")->text(), file);
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->text(), QStringLiteral("with file"));
    // Anything sent would be in the mailslot once the sender is idle: one scan finds it.
    ASSERT_TRUE(MailslotChannel::flushSends(2000));
    window.TimerMailSlot_Timer();
    EXPECT_EQ(HistoryList.Count, 0);
}

TEST_F(SendPanelTest, ASharedAttachmentTravelsAsItsNetworkPath) {
    frmPelimo& window = start();
    QDir().mkpath(folder_.path(QStringLiteral("pub")));
    folder_.write(QStringLiteral("mountinfo"), QByteArray());
    UncNameSources sources;
    sources.mounts.file = folder_.path(QStringLiteral("mountinfo"));
    sources.shares.configText =
        "[pub]\npath = " + folder_.path(QStringLiteral("pub")).toUtf8() + "\n";
    sources.shares.usershares = pelimo::platform::UsershareListing{};
    sources.computerName = QStringLiteral("HOST1");
    UncNames::setSources(sources);
    type(window, gComputerName, QStringLiteral("look"));
    part<QLineEdit>(window, "txtSendFiles")->setText(folder_.path(QStringLiteral("pub/plan.odt")));
    clickSend(window);
    EXPECT_TRUE(shownMessageTexts().empty());
    waitForArrivals(1);
    EXPECT_EQ(HistoryList[1].AttachmentPath, QStringLiteral("\\\\HOST1\\pub\\plan.odt"));
    EXPECT_EQ(part<QLineEdit>(window, "txtReceiveFiles")->text(),
              QStringLiteral("\\\\HOST1\\pub\\plan.odt"));
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText(),
              QStringLiteral("look"));
}

TEST_F(SendPanelTest, ClearingAsksFirst) {
    frmPelimo& window = start();
    type(window, QStringLiteral("PC1"), QStringLiteral("text"));
    part<QLineEdit>(window, "txtSendFiles")->setText(QStringLiteral("/x"));
    DialogSeam::pushButton(MsgBoxResult::Cancel);
    QTest::mouseClick(part<LabelButton>(window, "lblCmdSendDel"), Qt::LeftButton);
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{QStringLiteral("T86")});
    EXPECT_EQ(DialogSeam::shown()[0].buttons, MsgBoxButtons::OkCancel);
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->text(), QStringLiteral("text"));
    DialogSeam::pushButton(MsgBoxResult::Ok);
    QTest::mouseClick(part<LabelButton>(window, "lblCmdSendDel"), Qt::LeftButton);
    EXPECT_TRUE(part<LimitedTextBox>(window, "txtSendMessage")->text().isEmpty());
    EXPECT_TRUE(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText().isEmpty());
    EXPECT_TRUE(part<QLineEdit>(window, "txtSendFiles")->text().isEmpty());
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->height(), 228);
}

TEST_F(SendPanelTest, ReplyingAddressesTheSenderOfTheMessageShown) {
    frmPelimo& window = start();
    receive("PC7", "ME", "1question?");
    QTest::mouseClick(part<LabelButton>(window, "lblLabReceiveAnswer"), Qt::LeftButton);
    EXPECT_TRUE(DialogSeam::shown().empty());
    EXPECT_EQ(gCurrentPanel, kPanelSend);
    EXPECT_TRUE(part<QWidget>(window, "picSendMessage")->isVisible());
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText(),
              QStringLiteral("PC7"));
    EXPECT_TRUE(part<LimitedTextBox>(window, "txtSendMessage")->text().isEmpty());
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->height(), 227);

    // With something typed, the reply asks; No keeps the draft.
    part<LimitedTextBox>(window, "txtSendMessage")->setText(QStringLiteral("draft"));
    DialogSeam::pushButton(MsgBoxResult::No);
    QTest::mouseClick(part<LabelButton>(window, "lblLabReceiveAnswer"), Qt::LeftButton);
    ASSERT_EQ(shownMessageTexts(), std::vector<QString>{QStringLiteral("T86")});
    EXPECT_EQ(DialogSeam::shown()[0].buttons, MsgBoxButtons::YesNo);
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->text(), QStringLiteral("draft"));
    DialogSeam::pushButton(MsgBoxResult::Yes);
    QTest::mouseClick(part<LabelButton>(window, "lblLabReceiveAnswer"), Qt::LeftButton);
    EXPECT_TRUE(part<LimitedTextBox>(window, "txtSendMessage")->text().isEmpty());
}

TEST_F(SendPanelTest, AfterASendTheReplyStillAnswersTheShownMessage) {
    frmPelimo& window = start();
    receive("PC7", "ME", "1question?");
    type(window, QStringLiteral("NOBODY-HERE"), QStringLiteral("answer"));
    clickSend(window);
    QTest::mouseClick(part<LabelButton>(window, "lblLabReceiveAnswer"), Qt::LeftButton);
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText(),
              QStringLiteral("PC7"));
    // A refused send clears the current message too; the shown one is still answered.
    receive("PC8", "ME", "1again");
    type(window, QString(), QString());
    clickSend(window);
    QTest::mouseClick(part<LabelButton>(window, "lblLabReceiveAnswer"), Qt::LeftButton);
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText(),
              QStringLiteral("PC8"));
}

TEST_F(SendPanelTest, ADatagramTakenWhileABoxIsOpenDoesNotChangeTheOutgoingMessage) {
    frmPelimo& window = start();
    part<QTimer>(window, "TimerMailSlot")->stop();
    // The empty first item shows "Error, no user name"; meanwhile the receive loop runs.
    DialogAnswer whileOpen;
    whileOpen.act = [&](QObject*) {
        deliver("PC9", "ME", "1somebody else's text");
        deliver("PC9", "ME", "3Pelimo : Identification Request");
        window.TimerMailSlot_Timer();
        return 0;
    };
    DialogSeam::pushAnswer(whileOpen);
    type(window, QStringLiteral(";") + gComputerName, QStringLiteral("typed text"));
    clickSend(window);
    part<QTimer>(window, "TimerMailSlot")->start();
    waitForArrivals(2);
    EXPECT_EQ(HistoryList[1].Text, QStringLiteral("somebody else's text"));
    EXPECT_EQ(HistoryList[2].Sender, gComputerName);
    EXPECT_EQ(HistoryList[2].Text, QStringLiteral("typed text"));
}

TEST_F(SendPanelTest, PickedContactsAreAppendedToTheAddresseeList) {
    writeContacts({{"Alice", "PC7", "", ""}, {"Bob", "PC8", "", ""}});
    frmPelimo& window = start();
    window.mAddUserToSendUserList(0);
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{QStringLiteral("T88")});
    EXPECT_EQ(DialogSeam::shown()[0].icon, MsgBoxIcon::Exclamation);
    EXPECT_TRUE(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText().isEmpty());
    window.mAddUserToSendUserList(1);
    window.mAddUserToSendUserList(2);
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText(),
              QStringLiteral("Alice; Bob; "));
    part<QPlainTextEdit>(window, "txtSendUserList")->setPlainText(QStringLiteral("PC1"));
    window.mAddUserToSendUserList(2);
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText(),
              QStringLiteral("PC1; Bob; "));
    // A position outside the table adds nothing.
    window.mAddUserToSendUserList(101);
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText(),
              QStringLiteral("PC1; Bob; "));
}

TEST_F(SendPanelTest, TypingStopsAt424Characters) {
    frmPelimo& window = start();
    part<LimitedTextBox>(window, "txtSendMessage")->setFocus();
    QTest::keyClicks(part<LimitedTextBox>(window, "txtSendMessage"), QString(430, u'k'));
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->text().size(), 424);
}

}  // namespace

TEST_F(SendPanelTest, SendToPicksFromTheAddressBookAndMenuOpensItToBrowse) {
    writeContacts({{"alice", "PCA"}, {"bob", "PCB"}});
    frmPelimo& window = start();
    DialogSeam::pushAnswer({.act = [](QObject* shown) {
        auto* book = static_cast<frmAddressBook*>(shown);
        QTest::mouseDClick(part<ContactCard>(*book, "picUser_1"), Qt::LeftButton);
        return book->result();
    }});
    QTest::mouseClick(part<LabelButton>(window, "lblCmdSendSelectUser"), Qt::LeftButton);
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText(),
              QStringLiteral("bob; "));
    EXPECT_EQ(gAddressBookMode, kAddressBookPickMode);

    DialogSeam::pushAnswer({.act = [](QObject* shown) {
        auto* book = static_cast<frmAddressBook*>(shown);
        QTest::mouseClick(part<LabelButton>(*book, "lblCmdSelect"),
                          Qt::LeftButton);  // browse mode: just closes
        return book->result();
    }});
    QTest::mouseClick(part<LabelButton>(window, "lblMenuAddressBook"), Qt::LeftButton);
    EXPECT_EQ(gAddressBookMode, kAddressBookBrowseMode);
    EXPECT_EQ(gAddressBookPickedUser, 0);
    EXPECT_EQ(DialogSeam::shown().back().window, QStringLiteral("frmAddressBook"));
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText(),
              QStringLiteral("bob; "));
}
