// The history panel: the grid over the stored entries, reading, sorting and deleting.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

#include "main_window_fixture.h"
#include "mainwindow/history_count_line.h"
#include "mainwindow/history_table_model.h"
#include "mainwindow/panel_state.h"
#include "stores/history_file.h"
#include "ui/label_button.h"

namespace {

class HistoryPanelTest : public MainWindowTest {
protected:
    HistoryTableModel& grid() { return *part<HistoryTableModel>(*window_, "MSFlexGrid1Model"); }
    QString cell(int row, int column) { return grid().index(row, column).data().toString(); }
    qint64 iconKey(int row) {
        return grid()
            .index(row, HistoryColumn::State)
            .data(Qt::DecorationRole)
            .value<QPixmap>()
            .cacheKey();
    }
    static void click(LabelButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void selectRow(int row) {
        part<QTableView>(*window_, "MSFlexGrid1")
            ->setCurrentIndex(grid().index(row, HistoryColumn::Sender));
    }
};

TEST_F(HistoryPanelTest, ListsEntriesWithNumbersStateIconsAndCountLine) {
    writeHistory({2, 1, 4});
    frmPelimo& window = start();
    HistoryList[1].State = kStateRead;  // not yet on the count line

    click(part<LabelButton>(window, "lblMenuHistoric2"));
    EXPECT_EQ(gCurrentPanel, kPanelHistoric);
    EXPECT_TRUE(part<QWidget>(window, "picHistoric")->isVisible());
    EXPECT_EQ(part<QLabel>(window, "lblInfo1")->text(), QStringLiteral(" 3 T54  2 T55"))
        << "icon leaves it";
    click(part<LabelButton>(window, "lblMenuHistoric"));
    EXPECT_EQ(part<QLabel>(window, "lblInfo1")->text(), QStringLiteral(" 3 T54  1 T55"))
        << "text refreshes it";
    HistoryList[1].State = kStateUnread;
    click(part<LabelButton>(window, "lblMenuHistoric"));

    ASSERT_EQ(grid().rowCount(), 3);
    EXPECT_EQ(cell(0, HistoryColumn::Number), QStringLiteral("0001"));
    EXPECT_EQ(cell(2, HistoryColumn::Number), QStringLiteral("0003"));
    EXPECT_EQ(cell(1, HistoryColumn::Sender), QStringLiteral("PC2"));
    EXPECT_EQ(cell(1, HistoryColumn::Received), QStringLiteral("01/02/2024 - 10:00:00"));
    EXPECT_EQ(iconKey(0), part<QLabel>(window, "picMessNoRead")->pixmap().cacheKey());
    EXPECT_EQ(iconKey(1), part<QLabel>(window, "picMessRead")->pixmap().cacheKey());
    EXPECT_EQ(iconKey(2), part<QLabel>(window, "picMessfileNoRead")->pixmap().cacheKey());
    EXPECT_EQ(grid().headerData(HistoryColumn::Number, Qt::Horizontal), QStringLiteral("T22"));
    // With no click, reading opens the newest entry.
    EXPECT_EQ(part<QTableView>(window, "MSFlexGrid1")->currentIndex().row(), 2);
}

TEST_F(HistoryPanelTest, SortsBySenderAndReadsTheEntryNamedInTheRow) {
    frmPelimo& window = start();
    const char* senders[] = {"zeta", "10", "Alpha", "9", "alpha"};
    for (const char* sender : senders) {
        HistoryEntry entry;
        entry.Kind = kKindPlain;
        entry.Sender = QString::fromLatin1(sender);
        entry.Text = QStringLiteral("first of ") + entry.Sender + QStringLiteral("\r\nsecond");
        entry.State = kStateUnread;
        HistoryList.add(entry);
    }
    HistoryList[4].Text = QStringLiteral("4 apples");
    HistoryList[4].AttachmentPath = QStringLiteral("\\\\PC\\share\\a.txt");
    HistoryList[4].State = kStateUnreadWithAttachment;
    click(part<LabelButton>(window, "lblMenuHistoric"));
    EXPECT_EQ(cell(0, HistoryColumn::Text), QStringLiteral("first of zeta")) << "first line only";

    part<QAction>(window, "MTriSender")->trigger();
    QStringList order;
    for (int row = 0; row < grid().rowCount(); ++row)
        order << cell(row, HistoryColumn::Sender) + u'/' + cell(row, HistoryColumn::Number);
    EXPECT_EQ(order, QStringList({"9/0004", "10/0002", "Alpha/0003", "alpha/0005", "zeta/0001"}));
    EXPECT_EQ(HistoryList[1].Sender, QStringLiteral("zeta")) << "the table keeps its order";

    selectRow(0);
    click(part<LabelButton>(window, "CmdHistoricRead"));
    EXPECT_EQ(gCurrentPanel, kPanelRead);
    EXPECT_EQ(DecodedMessage.Sender, QStringLiteral("9"));
    EXPECT_EQ(DecodedMessage.Kind, kKindPlain);
    EXPECT_EQ(part<QPlainTextEdit>(window, "txtReceiveMessage")->toPlainText(),
              QStringLiteral("4 apples"));
    EXPECT_EQ(HistoryList[4].State, kStateReadWithAttachment);
    EXPECT_EQ(part<QLabel>(window, "lblInfo1")->text(), QStringLiteral(" 5 T54  4 T55"));

    click(part<LabelButton>(window, "lblMenuHistoric"));
    EXPECT_EQ(iconKey(3), part<QLabel>(window, "picMessfileRead")->pixmap().cacheKey());
    part<QAction>(window, "MTriSender")->trigger();
    part<QAction>(window, "MTriDate")->trigger();
    EXPECT_EQ(cell(0, HistoryColumn::Sender), QStringLiteral("zeta"));
    EXPECT_EQ(cell(4, HistoryColumn::Number), QStringLiteral("0005"));
}

TEST_F(HistoryPanelTest, DeletesOneEntryOrTheWholeHistory) {
    writeHistory({2, 1, 4});
    frmPelimo& window = start();
    click(part<LabelButton>(window, "lblMenuHistoric"));
    part<QAction>(window, "MTriSender")->trigger();
    selectRow(1);
    part<QAction>(window, "MHide2DelOne")->trigger();
    ASSERT_EQ(grid().rowCount(), 2);
    EXPECT_EQ(cell(1, HistoryColumn::Number), QStringLiteral("0002"));
    EXPECT_EQ(cell(1, HistoryColumn::Sender), QStringLiteral("PC3"));
    EXPECT_EQ(part<QLabel>(window, "lblInfo1")->text(), QStringLiteral(" 2 T54  2 T55"));

    // The file cannot be deleted: a folder stands in its place.
    const QString file = folder_.path(QStringLiteral("Histo.dat"));
    ASSERT_TRUE(QFile::remove(file) && QDir().mkdir(file));
    DialogSeam::clearShown();
    DialogSeam::pushButton(MsgBoxResult::Ok);
    part<QAction>(window, "MHide2DelAll")->trigger();
    EXPECT_EQ(shownMessageTexts(),
              std::vector<QString>({"T85", "error, can't erase historic messages."}));
    EXPECT_EQ(HistoryList.Count, 2);
    EXPECT_EQ(grid().rowCount(), 2);

    ASSERT_TRUE(QDir().rmdir(file));
    folder_.write(QStringLiteral("Histo.dat"), gHistoryEntryBytes(HistoryList[1]));
    DialogSeam::pushButton(MsgBoxResult::Cancel);
    part<QAction>(window, "MHide2DelAll")->trigger();
    EXPECT_TRUE(folder_.exists(QStringLiteral("Histo.dat")));
    DialogSeam::pushButton(MsgBoxResult::Ok);
    part<QAction>(window, "MHide2DelAll")->trigger();
    EXPECT_FALSE(folder_.exists(QStringLiteral("Histo.dat")));
    EXPECT_EQ(HistoryList.Count, 0);
    EXPECT_EQ(grid().rowCount(), 0);

    // Nothing left: the delete button tells so, reading and deleting do nothing.
    DialogSeam::clearShown();
    click(part<LabelButton>(window, "lblCmdDeleteHistoric"));
    click(part<LabelButton>(window, "CmdHistoricRead"));
    part<QAction>(window, "MHide2DelOne")->trigger();
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>({"T84"}));
    EXPECT_EQ(gCurrentPanel, kPanelHistoric);
}

TEST_F(HistoryPanelTest, TenThousandEntriesShowFiveDigitsAndSortBackToArrival) {
    frmPelimo& window = start();
    for (int i = 1; i <= 10000; ++i) {
        HistoryEntry entry;
        entry.Sender = QStringLiteral("PC%1").arg(i % 7);
        entry.State = kStateRead;
        HistoryList.add(entry);
    }
    click(part<LabelButton>(window, "lblMenuHistoric"));
    EXPECT_EQ(cell(9999, HistoryColumn::Number), QStringLiteral("10000"));
    EXPECT_EQ(cell(998, HistoryColumn::Number), QStringLiteral("0999"));
    part<QAction>(window, "MTriSender")->trigger();
    EXPECT_EQ(cell(0, HistoryColumn::Number), QStringLiteral("0007"));
    part<QAction>(window, "MTriDate")->trigger();
    for (int row = 0; row < 10000; ++row)
        ASSERT_EQ(grid().entryNumber(row), row + 1) << row;
}

}  // namespace
