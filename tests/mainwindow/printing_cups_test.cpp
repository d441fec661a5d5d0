// Printing through a real CUPS spooler: the program offers the spooler's queue as the default
// printer, and the file the queue writes holds the printed layouts, inside the margins.
#include <gtest/gtest.h>

#include <QPrinterInfo>
#include <QTest>

#include "cups_spooler.h"
#include "main_window_fixture.h"
#include "pdf_reading.h"
#include "stores/history_file.h"
#include "ui/label_button.h"

namespace {

class SpoolerPrintingTest : public MainWindowTest {
protected:
    // Prints with the accepted dialog's printer and returns the text the queue received.
    QString printAndRead(LabelButton* command, int* pages) {
        DialogSeam::pushAnswer(DialogAnswer{.accepted = true});
        QTest::mouseClick(command, Qt::LeftButton);
        EXPECT_EQ(reportsShown(), 0);
        EXPECT_TRUE(spooler_.waitForJobs(30000)) << "a job is still queued";
        const QString copy = folder_.path(QStringLiteral("job.pdf"));
        folder_.write(QStringLiteral("job.pdf"), spooler_.printed());
        *pages = pdfPages(copy);
        // The queue's paper and its hardware margins, whatever they are, keep 10 mm clear.
        EXPECT_EQ(wordsOutsideMargins(pdfWords(copy), 10), QStringList());
        return pdfText(copy);
    }

    CupsSpooler spooler_;
};

TEST_F(SpoolerPrintingTest, TheMessageAndTheHistoryComeOutOfTheDefaultQueue) {
    if (!spooler_.failure().isEmpty())
        GTEST_SKIP() << spooler_.failure().toStdString();
    // The program's printing reads these when it first looks for printers, which is below.
    qputenv("CUPS_SERVER", spooler_.socket().toLocal8Bit());
    qputenv("HOME", spooler_.home().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", spooler_.home().toLocal8Bit());
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
    // Never print anywhere but the private queue.
    ASSERT_EQ(QPrinterInfo::defaultPrinterName(), CupsSpooler::queue());

    frmPelimo& window = start();
    receive("PC7", "ME", "1first line\r\nsecond line");
    int pages = 0;
    QString text = printAndRead(part<LabelButton>(window, "lblLabReceivePrint"), &pages);
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(linesWith(text, QStringLiteral("T19:")).value(0).simplified(),
              QStringLiteral("T19: PC7"));
    EXPECT_EQ(linesWith(text, QStringLiteral("second line")).size(), 1);

    for (int i = 1; i <= 300; ++i) {
        HistoryEntry entry;
        entry.Sender = QStringLiteral("PC%1").arg(i);
        entry.Text = QStringLiteral("Entry %1 shown\r\nnot shown").arg(i);
        HistoryList.add(entry);
    }
    text = printAndRead(part<LabelButton>(window, "CmdHistoricPrint"), &pages);
    EXPECT_EQ(linesWith(text, QStringLiteral("not shown")).size(), 0);
    for (int i = 1; i <= 300; ++i)
        EXPECT_EQ(linesWith(text, QStringLiteral("Entry %1 shown").arg(i)).size(), 1) << i;
    EXPECT_GT(pages, 3);
    EXPECT_EQ(text.count(u'\f'), pages);
}

}  // namespace
