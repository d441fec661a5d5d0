// The program used without the mouse: the send panel's boxes, label-buttons, Ctrl+Return, the
// F-keys, the history grid, Ctrl+Q, and Escape in every secondary window.
#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QTableView>
#include <QTest>

#include "main_window_fixture.h"
#include "stores/history_file.h"
#include "transport/mailslot_channel.h"
#include "ui/frmError.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"

namespace {

QWidget* focused() {
    return QApplication::focusWidget();
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(focused(), key, modifiers);
}

TEST_F(MainWindowTest, EverythingIsDoneFromTheKeyboard) {
    writeHistory({kStateUnread});
    frmPelimo& window = start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_EQ(focused(), part<QPlainTextEdit>(window, "txtSendUserList"));
    QTest::keyClicks(focused(), gComputerName);
    press(Qt::Key_Return);  // on to the message box
    QTest::keyClicks(focused(), QStringLiteral("first"));
    for (const Qt::Key key : {Qt::Key_Backtab, Qt::Key_Tab, Qt::Key_Tab})
        press(key);
    EXPECT_EQ(focused(), part<LabelButton>(window, "lblCmdSendNow"))
        << "the covered attachment box is skipped";
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText() + u'|' +
                  part<LimitedTextBox>(window, "txtSendMessage")->text(),
              gComputerName + QStringLiteral("|first"));
    part<LabelButton>(window, "lblCmdSendDel")->setFocus();
    DialogSeam::pushButton(MsgBoxResult::Cancel);
    press(Qt::Key_Space);
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{QStringLiteral("T86")});
    press(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(MailslotChannel::flushSends(2000));
    ASSERT_TRUE(QTest::qWaitFor([] { return HistoryList.Count == 2; }, 5000));

    press(Qt::Key_F4);
    ASSERT_EQ(focused(), part<QTableView>(window, "MSFlexGrid1"));
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), part<LabelButton>(window, "CmdHistoricRead")) << "Tab leaves the grid";
    press(Qt::Key_Backtab);
    press(Qt::Key_Return);
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText(),
              QStringLiteral("first"));
    press(Qt::Key_F2);
    EXPECT_EQ(focused(), part<QPlainTextEdit>(window, "txtSendUserList"));
    DialogSeam::clearShown();
    DialogSeam::pushButton(MsgBoxResult::Cancel);
    press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{QStringLiteral("T87")});
    EXPECT_FALSE(window.isUnloaded());
}

TEST_F(MainWindowTest, EscapeLeavesEachSecondaryWindowAsItsQuitCommandDoes) {
    QDir(folder_.path()).mkdir(QStringLiteral("Favories"));
    frmPelimo& window = start();
    part<LimitedTextBox>(window, "txtSendMessage")->setText(QStringLiteral("draft"));
    // Types into `box` (when given), which must have the focus rather than a command, presses
    // Escape and expects the window closed with the result of its Quit or Cancel command.
    auto escape = [](const char* box, int result) {
        DialogSeam::pushAnswer({.act = [box, result](QObject* shown) {
            auto* dialog = qobject_cast<QDialog*>(shown);
            dialog->activateWindow();
            EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == dialog; }));
            if (box) {
                EXPECT_EQ(focused()->objectName(), QString::fromLatin1(box));
                QTest::keyClicks(focused(), QStringLiteral("typed"));
            }
            QTest::keyClick(box ? focused() : dialog, Qt::Key_Escape);
            EXPECT_FALSE(dialog->isVisible()) << dialog->objectName().toStdString();
            EXPECT_EQ(dialog->result(), result) << dialog->objectName().toStdString();
            return dialog->result();
        }});
    };
    escape("File1", QDialog::Rejected);
    window.lblCmdSendFavori_Click();
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->text(), QStringLiteral("draft"))
        << "nothing taken";
    escape("chkOpenwindows", QDialog::Rejected);
    window.MenuSetting_Click();
    escape(nullptr, QDialog::Rejected);
    window.MenuAbout_Click();
    escape(nullptr, QDialog::Rejected);
    window.lblMenuAddressBook_Click();
    escape(nullptr, QDialog::Accepted);  // the report's only way out is Resume
    frmError::present();
    EXPECT_EQ(DialogSeam::pendingAnswers(), 0u);
}

}  // namespace
