// The read panel's Reply, Print and Save act on the message it shows, whatever arrived or was sent
// since and whichever way the message was opened; after Reply the answer is typed straight away.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

#include "common/download_folder.h"
#include "main_window_fixture.h"
#include "mainwindow/history_table_model.h"
#include "mainwindow/print_job.h"
#include "pdf_reading.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"

namespace {

class ShownMessageTest : public MainWindowTest {
protected:
    ShownMessageTest() {
        gSetPrinterPreparation([this](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf_);
        });
    }
    ~ShownMessageTest() override { gSetPrinterPreparation({}); }

    static void click(LabelButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // The file name the save dialog proposes (the dialog is cancelled); empty when Save said
    // there was no attached file.
    QString proposedSaveName() {
        DialogSeam::clearShown();
        click(window_->lblLabReceiveSaveFile);
        if (DialogSeam::shown().empty() || DialogSeam::shown()[0].kind != DialogKind::SaveFile)
            return {};
        return QFileInfo(DialogSeam::shown()[0].directory).fileName();
    }
    // The printed page's text.
    QString printed() {
        QFile::remove(pdf_);
        DialogSeam::pushAnswer(DialogAnswer{.accepted = true});
        click(window_->lblLabReceivePrint);
        return gPdfText(pdf_);
    }
    QString replyAddressee() {
        window_->txtSendUserList->clear();
        window_->txtSendMessage->clear();
        click(window_->lblLabReceiveAnswer);
        return window_->txtSendUserList->toPlainText();
    }

    DownloadFolder downloads_;
    QString pdf_ = folder_.path(QStringLiteral("printed.pdf"));
};

TEST_F(ShownMessageTest, IdentificationDatagramsAndSendsLeaveTheShownMessageToItsCommands) {
    frmPelimo& window = start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    receive("PC7", "ME", "20018\\\\PC7\\pub\\plan.odtsee the plan");
    receive("PC9", "ME", "4Pelimo : Identification Answer");
    receive("PC9", "ME", "3Pelimo : Identification Request");
    ASSERT_TRUE(DecodedMessage.AttachmentPath.isEmpty()) << "the current message was reused";
    EXPECT_EQ(window.txtReceiveFiles->text(), QStringLiteral("\\\\PC7\\pub\\plan.odt"));

    EXPECT_EQ(proposedSaveName(), QStringLiteral("plan.odt"));
    const QString page = printed();
    EXPECT_TRUE(page.contains(QStringLiteral("see the plan")));
    EXPECT_FALSE(page.contains(QStringLiteral("Identification")));

    // A send empties the current message too; Reply still answers the message shown, and the
    // caret waits in the message box for the answer.
    window.txtSendUserList->setPlainText(QStringLiteral("NOBODY-HERE"));
    window.txtSendMessage->setText(QStringLiteral("sent meanwhile"));
    click(window.lblCmdSendNow);
    ASSERT_TRUE(window.txtSendMessage->text().isEmpty());
    window.txtSendMessage->setText(QStringLiteral("draft"));
    DialogSeam::pushButton(MsgBoxResult::Yes);
    click(window.lblLabReceiveAnswer);
    EXPECT_EQ(window.txtSendUserList->toPlainText(), QStringLiteral("PC7"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.txtSendMessage->hasFocus(); }, 2000));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("on my way"));
    EXPECT_EQ(window.txtSendMessage->text(), QStringLiteral("on my way"));
    EXPECT_EQ(window.txtSendUserList->toPlainText(), QStringLiteral("PC7"));
    EXPECT_EQ(proposedSaveName(), QStringLiteral("plan.odt"));
}

TEST_F(ShownMessageTest, AMessageOpenedFromTheHistoryIsWhatTheCommandsActOn) {
    writeHistory({kStateRead, kStateUnreadWithAttachment});
    frmPelimo& window = start();
    receive("PC7", "ME", "1the newest, live");
    auto open = [&](int row) {
        click(window.lblMenuHistoric);
        window.MSFlexGrid1->setCurrentIndex(
            window.MSFlexGrid1Model->index(row, HistoryColumn::Sender));
        click(window.CmdHistoricRead);
    };

    open(1);  // the stored entry with an attachment
    receive("PC9", "ME", "4Pelimo : Identification Answer");
    EXPECT_EQ(proposedSaveName(), QStringLiteral("f.txt"));
    EXPECT_TRUE(printed().contains(QStringLiteral("Text 2")));
    EXPECT_EQ(replyAddressee(), QStringLiteral("PC2"));

    open(0);  // without one: Save says so although a file was shown before
    EXPECT_EQ(proposedSaveName(), QString());
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{QStringLiteral("T83")});
    EXPECT_EQ(replyAddressee(), QStringLiteral("PC1"));
}

}  // namespace
