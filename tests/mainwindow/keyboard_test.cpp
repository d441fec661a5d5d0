// The program used without the mouse: Tab and Enter through the send panel's boxes, Ctrl+Return
// to send, Tab and Space or Enter on label-buttons, F-keys for the panel bar, Ctrl+Q to quit, and
// Escape to leave every secondary window as its Quit or Cancel command does.
#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

#include "errorreport/frmError.h"
#include "favorites/frmFavorite.h"
#include "main_window_fixture.h"
#include "mainwindow/panel_state.h"
#include "stores/history_file.h"
#include "transport/mailslot_channel.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"

namespace {

class KeyboardTest : public MainWindowTest {
protected:
    frmPelimo& startActive() {
        frmPelimo& window = start();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        return window;
    }
    static QWidget* focused() { return QApplication::focusWidget(); }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(focused(), key, modifiers);
    }
};

TEST_F(KeyboardTest, TheSendPanelIsFilledAndSentFromTheKeyboard) {
    frmPelimo& window = startActive();
    ASSERT_EQ(focused(), window.txtSendUserList) << "the addressee box waits for the typing";
    QTest::keyClicks(focused(), gComputerName);
    press(Qt::Key_Return);
    ASSERT_EQ(focused(), window.txtSendMessage) << "Enter moves on to the message";
    QTest::keyClicks(focused(), QStringLiteral("first"));
    press(Qt::Key_Backtab);
    EXPECT_EQ(focused(), window.txtSendUserList);
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), window.txtSendMessage);
    EXPECT_EQ(window.txtSendUserList->toPlainText(), gComputerName) << "no tab, no line break";
    EXPECT_EQ(window.txtSendMessage->text(), QStringLiteral("first"));

    // Past the boxes Tab reaches the commands (the covered attachment box is skipped); Space
    // and Enter press a command.
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), window.lblCmdSendNow);
    while (focused() != window.lblCmdSendDel && focused() != window.txtSendMessage)
        press(Qt::Key_Tab);
    ASSERT_EQ(focused(), window.lblCmdSendDel);
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
        DialogSeam::pushButton(MsgBoxResult::Cancel);
        press(key);
    }
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>(2, QStringLiteral("T86")));
    EXPECT_EQ(window.lblMenuSendMessage2->focusPolicy(), Qt::NoFocus)
        << "icon entries repeat their text entry";

    // Ctrl+Return sends, from wherever the focus is on the send panel.
    press(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(window.txtSendMessage->text().isEmpty());
    ASSERT_TRUE(gFlushMailslotSends(2000));
    ASSERT_TRUE(QTest::qWaitFor([] { return HistoryList.Count == 1; }, 5000));
    EXPECT_EQ(HistoryList[1].Text, QStringLiteral("first"));
}

TEST_F(KeyboardTest, FunctionKeysSwitchPanelsAndCtrlQAsksBeforeQuitting) {
    writeHistory({kStateUnread});
    frmPelimo& window = startActive();
    press(Qt::Key_F3);
    EXPECT_TRUE(window.picReadMessage->isVisible());
    EXPECT_EQ(focused(), window.txtReceiveMessage);
    // Ctrl+Return sends only from the send panel.
    window.txtSendUserList->setPlainText(QStringLiteral("PC1"));
    window.txtSendMessage->setText(QStringLiteral("kept"));
    press(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(window.txtSendMessage->text(), QStringLiteral("kept"));
    press(Qt::Key_F4);
    EXPECT_TRUE(window.picHistoric->isVisible());
    ASSERT_EQ(focused(), window.MSFlexGrid1);
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), window.CmdHistoricRead) << "Tab leaves the grid";
    press(Qt::Key_Backtab);
    press(Qt::Key_Return);
    EXPECT_EQ(gCurrentPanel, kPanelRead) << "Enter reads the current row";
    EXPECT_EQ(window.txtReceiveMessage->toPlainText(), QStringLiteral("Text 1"));
    press(Qt::Key_F2);
    EXPECT_EQ(gCurrentPanel, kPanelSend);
    EXPECT_EQ(focused(), window.txtSendUserList);
    press(Qt::Key_F5);
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_EQ(DialogSeam::shown()[0].window, QStringLiteral("frmAddressBook"));

    DialogSeam::clearShown();
    DialogSeam::pushButton(MsgBoxResult::Cancel);
    press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{QStringLiteral("T87")});
    EXPECT_FALSE(window.isUnloaded());
    DialogSeam::pushButton(MsgBoxResult::Ok);
    press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(window.isUnloaded());
}

TEST_F(KeyboardTest, EscapeLeavesEachSecondaryWindowAsItsQuitCommandDoes) {
    QDir(folder_.path()).mkdir(QStringLiteral("Favories"));
    frmPelimo& window = startActive();
    window.txtSendMessage->setText(QStringLiteral("draft"));
    // Escape pressed in the window's first box; returns whether it closed, and its result.
    std::pair<bool, int> outcome;
    auto escapeIn = [&outcome](const char* box) {
        DialogSeam::pushAnswer({.act = [&outcome, box](QObject* shown) {
            auto* dialog = qobject_cast<QDialog*>(shown);
            dialog->activateWindow();
            EXPECT_TRUE(
                QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; }));
            QWidget* target = box ? dialog->findChild<QWidget*>(QString::fromLatin1(box)) : dialog;
            if (box) {
                EXPECT_EQ(qobject_cast<LabelButton*>(QApplication::focusWidget()), nullptr)
                    << box << ": the focus starts in a box, not on a command Enter would press";
                QTest::keyClicks(target, QStringLiteral("typed"));
            }
            QTest::keyClick(target, Qt::Key_Escape);
            outcome = {!dialog->isVisible(), dialog->result()};
            return dialog->result();
        }});
    };

    escapeIn("txtFavoris");
    window.lblCmdSendFavori_Click();
    EXPECT_EQ(outcome, std::make_pair(true, int(QDialog::Rejected)));
    EXPECT_EQ(window.txtSendMessage->text(), QStringLiteral("draft")) << "nothing taken";

    escapeIn("txtSign");
    window.MenuSetting_Click();
    EXPECT_EQ(outcome, std::make_pair(true, int(QDialog::Rejected)));
    escapeIn(nullptr);
    window.MenuAbout_Click();
    EXPECT_EQ(outcome, std::make_pair(true, int(QDialog::Rejected)));
    escapeIn(nullptr);
    window.lblMenuAddressBook_Click();
    EXPECT_EQ(outcome.first, true);
    // The report's only way out is Resume, which lets the failed procedure go on.
    escapeIn(nullptr);
    frmError::present();
    EXPECT_EQ(outcome, std::make_pair(true, int(QDialog::Accepted)));
}

}  // namespace
