// The history grid sorted by a click on a column heading, and kept in its order while entries
// are deleted or arrive: every row keeps showing the entry its number names.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "main_window_fixture.h"
#include "mainwindow/history_table_model.h"
#include "stores/history_file.h"
#include "ui/label_button.h"

namespace {

HistoryEntry entry(const char* sender, const char* addressee, const char* text) {
    HistoryEntry e;
    e.Kind = kKindPlain;
    e.Sender = QString::fromLatin1(sender);
    e.Addressee = QString::fromLatin1(addressee);
    e.Text = QString::fromLatin1(text);
    e.ReceivedDate = QStringLiteral("01/02/2024");
    e.ReceivedTime = QStringLiteral("10:00:00");
    e.State = kStateUnread;
    return e;
}

class HistorySortTest : public MainWindowTest {
protected:
    // A history file of these entries (five by default), read at start-up, and the panel opened.
    frmPelimo& startWithHistory(std::initializer_list<HistoryEntry> entries = {
                                    entry("zeta", "B", "pear\r\nand more"),
                                    entry("10", "A", "Apple"), entry("Alpha", "C", "12 lemons"),
                                    entry("9", "B", "banana"), entry("alpha", "A", "apple pie")}) {
        QByteArray file;
        for (const HistoryEntry& e : entries)
            file += HistoryFormat::entryBytes(e);
        folder_.write(QStringLiteral("Histo.dat"), file);
        frmPelimo& window = start();
        QTest::mouseClick(part<LabelButton>(window, "lblMenuHistoric"), Qt::LeftButton);
        return window;
    }
    HistoryTableModel& grid() { return *part<HistoryTableModel>(*window_, "MSFlexGrid1Model"); }
    QString cell(int row, int column) { return grid().index(row, column).data().toString(); }
    void clickHeading(int column) {
        QHeaderView* headings = part<QTableView>(*window_, "MSFlexGrid1")->horizontalHeader();
        const QPoint middle(
            headings->sectionViewportPosition(column) + headings->sectionSize(column) / 2,
            headings->height() / 2);
        QTest::mouseClick(headings->viewport(), Qt::LeftButton, {}, middle);
    }
    // The entry numbers of the rows, top to bottom.
    QString numbers() {
        QStringList shown;
        for (int row = 0; row < grid().rowCount(); ++row)
            shown << cell(row, HistoryColumn::Number);
        return shown.join(u' ');
    }
    // Every row shows the texts of the entry whose number it shows.
    void expectRowsShowTheirEntries() {
        for (int row = 0; row < grid().rowCount(); ++row) {
            const HistoryEntry shown =
                std::as_const(HistoryList)[cell(row, HistoryColumn::Number).toInt()];
            EXPECT_EQ(cell(row, HistoryColumn::Sender), shown.Sender) << row;
            EXPECT_EQ(cell(row, HistoryColumn::Addressee), shown.Addressee) << row;
            EXPECT_EQ(cell(row, HistoryColumn::Text), HistoryCells::firstLine(shown.Text)) << row;
        }
    }
};

}  // namespace

TEST_F(HistorySortTest, HeadingsSortAsTheMenuDoesAndADeletionKeepsTheOrder) {
    frmPelimo& window = startWithHistory();
    clickHeading(HistoryColumn::Sender);
    EXPECT_EQ(numbers(), "0004 0002 0003 0005 0001") << "numbers first, case ignored";
    clickHeading(HistoryColumn::Text);
    EXPECT_EQ(numbers(), "0003 0002 0005 0004 0001") << "by the first line";
    clickHeading(HistoryColumn::Addressee);
    EXPECT_EQ(numbers(), "0002 0005 0001 0004 0003") << "equal cells in arrival order";
    clickHeading(HistoryColumn::Received);
    EXPECT_EQ(numbers(), "0001 0002 0003 0004 0005");
    clickHeading(HistoryColumn::Sender);
    clickHeading(HistoryColumn::Sender);
    EXPECT_EQ(numbers(), "0004 0002 0003 0005 0001") << "no descending order";

    // "Alpha" goes: the others keep their order, the later entries their new numbers.
    part<QTableView>(window, "MSFlexGrid1")
        ->setCurrentIndex(grid().index(2, HistoryColumn::Sender));
    part<QAction>(window, "MHide2DelOne")->trigger();
    EXPECT_EQ(numbers(), "0003 0002 0004 0001");
    EXPECT_EQ(cell(2, HistoryColumn::Sender), QStringLiteral("alpha"));
    EXPECT_EQ(part<QTableView>(window, "MSFlexGrid1")->currentIndex().row(), 2)
        << "the next row is current";
    expectRowsShowTheirEntries();
    clickHeading(HistoryColumn::Number);
    EXPECT_EQ(numbers(), "0001 0002 0003 0004");
    expectRowsShowTheirEntries();
}

TEST_F(HistorySortTest, TextsAlikeInTheirFirstBytesSortByTheWholeFirstLine) {
    startWithHistory({entry("a", "B", "Meeting at noon, room 2"),
                      entry("b", "B", "meeting at noon, room 1"), entry("c", "B", "Meeting"),
                      entry("d", "B", "MEETING AT NOON\r\nzzz"),
                      entry("e", "B", "meeting at noon, room 1"), entry("f", "B", "3.5")});
    clickHeading(HistoryColumn::Text);
    EXPECT_EQ(numbers(), "0006 0003 0004 0002 0005 0001");
}

TEST_F(HistorySortTest, TextsSortByTheirWholeFirstLineWithoutCaseWhereverTheyLieInTheFile) {
    // First lines alike up to any length, past the first 8 and 40 bytes too, in any case, in a
    // file much longer than one read of it, with long equal texts among them.
    std::mt19937 random(11);
    auto pick = [&random](int high) { return std::uniform_int_distribution<int>(0, high)(random); };
    const std::string stem = "Meeting at noon in the big room on floor 3, bring the printed plan";
    std::vector<HistoryEntry> entries;
    for (int n = 0; n < 1500; ++n) {
        std::string line = stem.substr(0, static_cast<std::size_t>(pick(int(stem.size()))));
        for (int extra = pick(12); extra > 0; --extra)
            line += "aAb "[pick(3)];
        if (pick(2) == 0)
            std::transform(line.begin(), line.end(), line.begin(), ::toupper);
        if (pick(9) == 0)
            line += "\r\nnext line";
        entries.push_back(entry("s", "B", line.c_str()));
        if (n % 50 == 0)
            entries.push_back(entry("f", "B", std::string(5000, 'z').c_str()));
    }
    QByteArray file;
    for (const HistoryEntry& e : entries)
        file += HistoryFormat::entryBytes(e);
    folder_.write(QStringLiteral("Histo.dat"), file);
    QTest::mouseClick(part<LabelButton>(start(), "lblMenuHistoric"), Qt::LeftButton);
    clickHeading(HistoryColumn::Text);

    // The order of the decoded lines folded, equal ones in arrival order.
    std::vector<qint32> expected(entries.size());
    std::iota(expected.begin(), expected.end(), 1);
    auto folded = [&entries](qint32 number) {
        return HistoryCells::firstLine(entries[static_cast<std::size_t>(number - 1)].Text)
            .toCaseFolded();
    };
    std::stable_sort(expected.begin(), expected.end(),
                     [&folded](qint32 a, qint32 b) { return folded(a) < folded(b); });
    QStringList shown;
    for (qint32 number : expected)
        shown << HistoryCells::numberText(number);
    EXPECT_EQ(numbers(), shown.join(u' '));
}

TEST_F(HistorySortTest, ArrivalsWhileSortedLeaveEveryRowOnItsEntry) {
    frmPelimo& window = startWithHistory();
    clickHeading(HistoryColumn::Sender);
    // Enough arrivals to take the table and its texts to new storage.
    for (int n = 0; n < 5000; ++n) {
        HistoryEntry arrival = entry("beta", "A", "");
        arrival.Text = QStringLiteral("arrival %1 ").arg(n).repeated(20);
        HistoryList.add(arrival);
    }
    HistoryStore::appendFrom(6);
    EXPECT_EQ(numbers(), "0004 0002 0003 0005 0001") << "the rows of the sort stay";
    expectRowsShowTheirEntries();

    QTest::mouseClick(part<LabelButton>(window, "lblMenuHistoric"), Qt::LeftButton);
    clickHeading(HistoryColumn::Sender);
    ASSERT_EQ(grid().rowCount(), 5005);
    EXPECT_EQ(cell(4, HistoryColumn::Number), QStringLiteral("0006")) << "after alpha";
    EXPECT_EQ(cell(5004, HistoryColumn::Sender), QStringLiteral("zeta"));
    expectRowsShowTheirEntries();
}
