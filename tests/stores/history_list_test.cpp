// The compact history's own edges: messages of loaded entries are read from the kept file when
// they are asked for, whatever happened to the file or to the entries before them since.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QFile>

#include "common/test_folder.h"
#include "stores/history_file.h"

namespace {

HistoryEntry entry(const char* sender, const char* text) {
    HistoryEntry e;
    e.Kind = kKindPlain;
    e.Sender = QString::fromLatin1(sender);
    e.Addressee = QStringLiteral("ME");
    e.Text = QString::fromLatin1(text);
    e.ReceivedDate = QStringLiteral("07/12/2026");
    e.ReceivedTime = QStringLiteral("19:56:40");
    e.State = kStateUnread;
    return e;
}

QByteArray fileOf(std::initializer_list<HistoryEntry> entries) {
    QByteArray bytes;
    for (const HistoryEntry& e : entries)
        bytes += HistoryFormat::entryBytes(e);
    return bytes;
}

class CompactHistory : public ::testing::Test {
protected:
    void SetUp() override {
        HistoryStore::reset();
        folder_.write("Histo.dat", fileOf({entry("A", "first\r\nline"), entry("B", "second"),
                                           entry("C", "third")}));
        gLoadHistoric();
        ASSERT_EQ(HistoryList.Count, 3);
    }
    void TearDown() override { HistoryStore::reset(); }

    TestFolder folder_;
};

}  // namespace

TEST_F(CompactHistory, LoadedMessagesOutliveTheFileAndFollowTheirEntries) {
    // Another file put in its place, then none at all: the table still has its messages.
    folder_.write("Histo.new", fileOf({entry("X", "not ours")}));
    ASSERT_EQ(::rename(QFile::encodeName(folder_.path("Histo.new")).constData(),
                       QFile::encodeName(folder_.path("Histo.dat")).constData()),
              0);
    EXPECT_EQ(HistoryList.text(3, HistoryText::Text), "third");
    EXPECT_EQ(gFctDeleteHistoricFile(), 1);

    // An entry changed through the table, then the first one removed: every text moves with its
    // entry, the changed one included.
    HistoryList[3].Text = QStringLiteral("third, \"changed\"");
    gDeleteHistoricMessage(1);
    EXPECT_EQ(HistoryList.text(1, HistoryText::Text), "second");
    EXPECT_EQ(HistoryList.text(2, HistoryText::Text), "third, \"changed\"");
    EXPECT_EQ(HistoryList.text(2, HistoryText::Sender), "C");
    EXPECT_EQ(std::as_const(HistoryList)[1].Sender, "B");

    gSaveHistoric();
    EXPECT_EQ(folder_.read("Histo.dat"),
              fileOf({entry("B", "second"), entry("C", "third, 'changed'")}));
}

TEST_F(CompactHistory, AFileCutUnderneathIsNeverReplacedFromWhatIsMissing) {
    // Another program cuts the loaded file in place: the messages past the cut are gone.
    ASSERT_TRUE(QFile::resize(folder_.path("Histo.dat"), 10));
    EXPECT_EQ(HistoryList.text(1, HistoryText::Sender), "A") << "kept in memory";
    EXPECT_EQ(HistoryList.text(3, HistoryText::Text), "") << "read short: nothing";
    gSaveHistoric();
    EXPECT_EQ(folder_.read("Histo.dat").size(), 10) << "no rewrite with messages missing";
    ASSERT_EQ(shownMessageTexts().size(), 1u);
    EXPECT_TRUE(shownMessageTexts()[0].startsWith("Error Saving History Data !"));
}
