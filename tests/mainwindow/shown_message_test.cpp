// The read panel's Reply, Print and Save act on the message it shows, whatever arrived or was sent
// since and whichever way it was opened; after Reply the answer is typed straight away.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QScopeGuard>
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

void click(LabelButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

TEST_F(MainWindowTest, TheReadPanelsCommandsActOnTheMessageItShows) {
    DownloadFolder downloads;
    const QString pdf = folder_.path(QStringLiteral("printed.pdf"));
    PrintJob::setPrinterPreparation([&pdf](QPrinter& printer) { printer.setOutputFileName(pdf); });
    const auto noPrinter = qScopeGuard([] { PrintJob::setPrinterPreparation({}); });
    writeHistory({kStateRead});
    frmPelimo& window = start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    // What Save proposes (empty: "no attached file"), Print prints and Reply addresses, after an
    // identification datagram and a send have reused the current message.
    auto expectShown = [&](const QString& file, const QString& text, const QString& sender) {
        receive("PC9", "ME", "3Pelimo : Identification Request");
        part<QPlainTextEdit>(window, "txtSendUserList")
            ->setPlainText(QStringLiteral("NOBODY-HERE"));
        part<LimitedTextBox>(window, "txtSendMessage")->setText(QStringLiteral("sent meanwhile"));
        click(part<LabelButton>(window, "lblCmdSendNow"));
        DialogSeam::clearShown();
        click(part<LabelButton>(window, "lblLabReceiveSaveFile"));
        EXPECT_EQ(QFileInfo(DialogSeam::shown().at(0).directory).fileName(), file);
        DialogSeam::pushAnswer(DialogAnswer{.accepted = true});
        click(part<LabelButton>(window, "lblLabReceivePrint"));
        EXPECT_TRUE(pdfText(pdf).contains(text)) << text.toStdString();
        click(part<LabelButton>(window, "lblLabReceiveAnswer"));
        EXPECT_EQ(part<QPlainTextEdit>(window, "txtSendUserList")->toPlainText(), sender);
    };

    receive("PC7", "ME", "20018\\\\PC7\\pub\\plan.odtsee the plan");
    expectShown(QStringLiteral("plan.odt"), QStringLiteral("see the plan"), QStringLiteral("PC7"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return part<LimitedTextBox>(window, "txtSendMessage")->hasFocus(); }, 2000));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("on my way"));
    EXPECT_EQ(part<LimitedTextBox>(window, "txtSendMessage")->text(), QStringLiteral("on my way"));

    click(part<LabelButton>(window, "lblMenuHistoric"));
    part<QTableView>(window, "MSFlexGrid1")
        ->setCurrentIndex(
            part<HistoryTableModel>(window, "MSFlexGrid1Model")->index(0, HistoryColumn::Sender));
    click(part<LabelButton>(window, "CmdHistoricRead"));
    expectShown(QString(), QStringLiteral("Text 1"), QStringLiteral("PC1"));
}

}  // namespace
