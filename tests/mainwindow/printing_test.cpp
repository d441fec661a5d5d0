// The print commands and both layouts, printed into PDF files through the dialog seam and read
// back as text.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>

#include "errorreport/error_record.h"
#include "main_window_fixture.h"
#include "mainwindow/message_dates.h"
#include "mainwindow/print_job.h"
#include "mainwindow/print_layouts.h"
#include "pdf_reading.h"
#include "stores/history_file.h"
#include "transport/mailslot_channel.h"
#include "ui/label_button.h"
#include "ui/limited_text_box.h"

namespace {

class PrintingTest : public MainWindowTest {
protected:
    PrintingTest() {
        PrintJob::setPrinterPreparation([this](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf_);
        });
    }
    ~PrintingTest() override { PrintJob::setPrinterPreparation({}); }

    static void click(LabelButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    static void acceptPrintDialog(bool accepted = true) {
        DialogSeam::pushAnswer(DialogAnswer{.accepted = accepted});
    }
    // Leading blanks of the first line holding `part`: the printed x position.
    static qsizetype indent(const QString& text, const QString& part) {
        const QString line = linesWith(text, part).value(0);
        return line.indexOf(QRegularExpression(QStringLiteral("\\S")));
    }

    QString pdf_ = folder_.path(QStringLiteral("printed.pdf"));
};

TEST_F(PrintingTest, TheReadPanelPrintsTheMessageWithAllItsLines) {
    frmPelimo& window = start();
    DialogSeam::clearShown();
    click(part<LabelButton>(window, "lblLabReceivePrint"));
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>({"T82"}));
    EXPECT_FALSE(QFile::exists(pdf_));

    receive("PC7", "ME", "1Dear colleague,\r\nthe second line\r\n\r\nlast line");
    acceptPrintDialog();
    click(part<LabelButton>(window, "lblLabReceivePrint"));
    EXPECT_EQ(reportsShown(), 0);
    const QString text = pdfText(pdf_);
    EXPECT_EQ(pdfPages(pdf_), 1);
    EXPECT_EQ(linesWith(text, QStringLiteral("T19:")).value(0).simplified(),
              QStringLiteral("T19: PC7"));
    EXPECT_EQ(linesWith(text, QStringLiteral("T20:")).value(0).simplified(),
              QStringLiteral("T20: ME"));
    EXPECT_EQ(linesWith(text, QStringLiteral("T21:")).value(0).simplified(),
              QStringLiteral("T21: ") + DecodedMessage.ReceivedDate + QStringLiteral(" - ") +
                  DecodedMessage.ReceivedTime.left(5));
    const qsizetype left = indent(text, QStringLiteral("T19:"));
    for (const char* line : {"T23:", "Dear colleague,", "the second line", "last line"})
        EXPECT_EQ(indent(text, QString::fromLatin1(line)), left) << line;
}

TEST_F(PrintingTest, TheSendPanelPrintsTheMessageBeingComposed) {
    frmPelimo& window = start();
    part<QPlainTextEdit>(window, "txtSendUserList")->setPlainText(QStringLiteral("Alice;PC9"));
    part<LimitedTextBox>(window, "txtSendMessage")->setText(QStringLiteral("draft text"));
    acceptPrintDialog();
    click(part<LabelButton>(window, "lblCmdSendPrint"));
    const QString text = pdfText(pdf_);
    EXPECT_EQ(linesWith(text, QStringLiteral("T19:")).value(0).simplified(),
              QStringLiteral("T19: ") + gComputerName);
    EXPECT_EQ(linesWith(text, QStringLiteral("T20:")).value(0).simplified(),
              QStringLiteral("T20: Alice;PC9"));
    EXPECT_TRUE(linesWith(text, QStringLiteral("T21:"))
                    .value(0)
                    .contains(MessageDates::arrivalDate(QDate::currentDate())));
    EXPECT_EQ(linesWith(text, QStringLiteral("draft text")).size(), 1);
}

TEST_F(PrintingTest, TheHistoryPrintsEveryEntryWholeOnAsManyPagesAsItNeeds) {
    frmPelimo& window = start();
    DialogSeam::clearShown();
    click(part<LabelButton>(window, "CmdHistoricPrint"));
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>({"T80"}));

    for (int i = 1; i <= 300; ++i) {
        HistoryEntry entry;
        entry.Sender = QStringLiteral("PC%1").arg(i);
        entry.Addressee = QStringLiteral("ME");
        entry.Text = QStringLiteral("Entry %1 first\nstill first\r\nhidden %1").arg(i);
        entry.ReceivedDate = QStringLiteral("05/11/2026");
        entry.ReceivedTime = QStringLiteral("08:07:06");
        HistoryList.add(entry);
    }
    acceptPrintDialog();
    click(part<LabelButton>(window, "CmdHistoricPrint"));
    ASSERT_EQ(reportsShown(), 0);
    const QString text = pdfText(pdf_);
    EXPECT_EQ(linesWith(text, QStringLiteral("hidden")).size(), 0);
    EXPECT_EQ(linesWith(text, QStringLiteral("T48")).size(), 1) << "no repeated page head";
    const QString heads = linesWith(text, QStringLiteral("T19:")).value(0).simplified();
    EXPECT_EQ(heads, QStringLiteral("T19: T20: T21: T23:"));
    for (int i = 1; i <= 300; ++i) {
        const QStringList lines = linesWith(text, QStringLiteral("Entry %1 first").arg(i));
        ASSERT_EQ(lines.size(), 1) << i;
        EXPECT_EQ(lines[0].simplified(),
                  QStringLiteral("PC%1 ME 05/11/2026 08:07 Entry %1 first still first").arg(i));
    }
    const int pages = pdfPages(pdf_);
    EXPECT_GT(pages, 3);
    EXPECT_EQ(text.count(u'\f'), pages);
}

// The printed words joined without blanks: what wrapping must keep whole.
QString joinedWords(const PdfLayout& layout) {
    QString joined;
    for (const PdfWord& word : layout.words)
        joined += word.text;
    return joined;
}

TEST_F(PrintingTest, LongTextsAreWrappedOrCutInsideTenMillimetreMargins) {
    frmPelimo& window = start();
    const QString words = QStringLiteral("wrapped words ").repeated(40);
    const QString unbroken = QStringLiteral("Z").repeated(150);
    const QString addressees = QStringLiteral("ALICE;BOB;").repeated(15);
    receive("PC7", addressees.toLatin1(), ("1" + words + unbroken + "\r\nlast line").toLatin1());
    acceptPrintDialog();
    click(part<LabelButton>(window, "lblLabReceivePrint"));
    ASSERT_EQ(reportsShown(), 0);
    PdfLayout printed = pdfWords(pdf_);
    ASSERT_FALSE(printed.words.isEmpty());
    EXPECT_EQ(wordsOutsideMargins(printed, 10), QStringList());
    QString whole = joinedWords(printed);
    for (const QString& text : {addressees, words + unbroken + QStringLiteral("last line")})
        EXPECT_TRUE(whole.contains(QString(text).remove(u' '))) << text.toStdString();

    HistoryEntry entry;
    entry.Sender = QStringLiteral("S").repeated(60);
    entry.Addressee = QStringLiteral("A").repeated(60);
    entry.Text = words + unbroken + QStringLiteral("\r\nnot printed");
    entry.ReceivedDate = QStringLiteral("05/11/2026");
    entry.ReceivedTime = QStringLiteral("08:07:06");
    HistoryList.add(entry);
    QFile::remove(pdf_);
    acceptPrintDialog();
    click(part<LabelButton>(window, "CmdHistoricPrint"));
    ASSERT_EQ(reportsShown(), 0);
    printed = pdfWords(pdf_);
    EXPECT_EQ(wordsOutsideMargins(printed, 10), QStringList());
    whole = joinedWords(printed);
    EXPECT_TRUE(whole.contains(QString(words + unbroken).remove(u' ')));
    EXPECT_FALSE(whole.contains(QStringLiteral("notprinted")));
    // The narrow columns are cut before the next one; the date stays whole beside them.
    const QString line = linesWith(pdfText(pdf_), QStringLiteral("05/11/2026")).value(0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\s*S{5,59}\\.\\.\\.\\s+A{5,59}\\.\\.\\.\\s+"
                                                  "05/11/2026 08:07\\s+wrapped"))
                    .match(line)
                    .hasMatch())
        << line.toStdString();
}

TEST_F(PrintingTest, CancelPrintsNothingAndPrinterFailuresAreReported) {
    HistoryEntry entry;
    entry.Text = QStringLiteral("one");
    frmPelimo& window = start();
    HistoryList.add(entry);
    acceptPrintDialog(false);
    click(part<LabelButton>(window, "CmdHistoricPrint"));
    EXPECT_FALSE(QFile::exists(pdf_));
    EXPECT_EQ(reportsShown(), 0);
    EXPECT_TRUE(shownMessageTexts().empty());

    pdf_ = folder_.path(QStringLiteral("no such folder/printed.pdf"));
    acceptPrintDialog();
    click(part<LabelButton>(window, "CmdHistoricPrint"));
    EXPECT_EQ(reportsShown(), 1);
    EXPECT_EQ(ErrorRecord.ErrorNumber, 482);
    EXPECT_EQ(ErrorRecord.ErrorProcedure, QStringLiteral("CmdHistoricPrint_Click"));
    EXPECT_TRUE(ErrorRecord.ErrorDescription.contains(pdf_))
        << ErrorRecord.ErrorDescription.toStdString();
}

TEST(PrintedTexts, CutAtTheFirstCrLfAndDatesReadAsDayMonthYear) {
    EXPECT_EQ(mFctTruncateStringAtFirstLineFeed(QStringLiteral("a\nb\rc\r\nd\r\ne")),
              QStringLiteral("a\nb\rc"));
    EXPECT_EQ(mFctTruncateStringAtFirstLineFeed(QStringLiteral("whole")), QStringLiteral("whole"));
    EXPECT_EQ(PrintLayouts::printedDate(QStringLiteral("3/4/2025")), QStringLiteral("03/04/2025"));
    EXPECT_EQ(PrintLayouts::printedDate(QStringLiteral("not a date")),
              QStringLiteral("not a date"));
    EXPECT_EQ(PrintLayouts::printedTime(QStringLiteral("23:59:58")), QStringLiteral("23:59"));
}

}  // namespace
