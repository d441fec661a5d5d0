#include <gtest/gtest.h>

#include <QDir>

#include "common/full_disk.h"
#include "common/other_copy.h"
#include "common/test_folder.h"
#include "errorreport/runtime_error.h"
#include "stores/history_file.h"

namespace {

HistoryEntry entry(const QString& sender, const QString& text, qint16 state = kStateUnread,
                   const QString& attachment = {}) {
    HistoryEntry e;
    e.Kind = attachment.isEmpty() ? kKindPlain : kKindAttachment;
    e.Sender = sender;
    e.Addressee = QStringLiteral("ME");
    e.Text = text;
    e.ReceivedDate = QStringLiteral("07/12/2026");
    e.ReceivedTime = QStringLiteral("19:56:40");
    e.AttachmentPath = attachment;
    e.State = state;
    return e;
}

bool sameEntry(const HistoryEntry& a, const HistoryEntry& b) {
    return a.Kind == b.Kind && a.Sender == b.Sender && a.Addressee == b.Addressee &&
           a.Text == b.Text && a.ReceivedDate == b.ReceivedDate &&
           a.ReceivedTime == b.ReceivedTime && a.AttachmentPath == b.AttachmentPath &&
           a.State == b.State;
}

// Adds a received message as the receive loop does.
void receive(const HistoryEntry& message) {
    HistoryList.add(message);
    gAppendHistoric();
}

void loadFresh() {
    HistoryStore::reset();
    gLoadHistoric();
}

std::vector<QString> senders() {
    std::vector<QString> out;
    for (qint32 n = 1; n <= HistoryList.Count; ++n)
        out.push_back(HistoryList[n].Sender);
    return out;
}

QByteArray threeEntries() {
    return HistoryFormat::entryBytes(entry("A", "first")) +
           HistoryFormat::entryBytes(entry("B", "second")) +
           HistoryFormat::entryBytes(entry("C", "third"));
}

}  // namespace

// Every case starts from an empty table.
class HistoryFile : public ::testing::Test {
protected:
    void SetUp() override { HistoryStore::reset(); }
    void TearDown() override { HistoryStore::reset(); }
};

TEST_F(HistoryFile, NoFileMeansAnEmptyHistoryAndNoFile) {
    TestFolder folder;
    HistoryList.add(entry("stale", "x"));
    gLoadHistoric();
    EXPECT_EQ(HistoryList.Count, 0);
    EXPECT_FALSE(folder.exists("Histo.dat"));
}

TEST_F(HistoryFile, AppendWritesTheExactFormat) {
    TestFolder folder;
    HistoryStore::reset();
    receive(entry("PC\"1", "He said \"hi\"\r\nand left", kStateUnreadWithAttachment,
                  QStringLiteral("\\\\PC1\\share\\a b.txt")));
    EXPECT_EQ(HistoryList[1].Text, "He said 'hi'\r\nand left") << "quotes replaced in memory";
    EXPECT_EQ(HistoryList[1].Sender, "PC'1");
    EXPECT_EQ(folder.read("Histo.dat"),
              "2\r\n"
              "\"PC'1\"\r\n"
              "\"ME\"\r\n"
              "\"He said 'hi'\r\nand left\"\r\n"
              "\"07/12/2026\"\r\n"
              "\"19:56:40\"\r\n"
              "\"\\\\PC1\\share\\a b.txt\"\r\n"
              "4\r\n");
    receive(entry("PC2", QString::fromUtf8("Café €")));
    loadFresh();
    ASSERT_EQ(HistoryList.Count, 2);
    EXPECT_EQ(HistoryList[1].Text, "He said 'hi'\r\nand left");
    EXPECT_EQ(HistoryList[1].AttachmentPath, "\\\\PC1\\share\\a b.txt");
    EXPECT_EQ(HistoryList[1].State, kStateUnreadWithAttachment);
    EXPECT_EQ(HistoryList[1].Kind, kKindAttachment);
    EXPECT_EQ(HistoryList[2].Text, QString::fromUtf8("Café €"));
    EXPECT_TRUE(folder.read("Histo.dat").contains("\"Caf\xe9 \x80\"\r\n"));
}

TEST_F(HistoryFile, DeletingEntriesReachesTheFileAtTheRewrite) {
    TestFolder folder;
    folder.write("Histo.dat", threeEntries());
    loadFresh();
    ASSERT_EQ(HistoryList.Count, 3);
    gDeleteHistoricMessage(0);
    gDeleteHistoricMessage(4);
    gDeleteHistoricMessage(-1);
    EXPECT_EQ(senders(), (std::vector<QString>{"A", "B", "C"}));
    gDeleteHistoricMessage(2);
    EXPECT_EQ(senders(), (std::vector<QString>{"A", "C"}));
    EXPECT_EQ(folder.read("Histo.dat"), threeEntries()) << "the file is untouched until shutdown";

    HistoryList[1].State = kStateRead;
    receive(entry("D", "fourth"));
    EXPECT_EQ(senders(), (std::vector<QString>{"A", "C", "D"}));
    gSaveHistoric();
    auto first = entry("A", "first", kStateRead);
    EXPECT_EQ(folder.read("Histo.dat"), HistoryFormat::entryBytes(first) +
                                            HistoryFormat::entryBytes(entry("C", "third")) +
                                            HistoryFormat::entryBytes(entry("D", "fourth")));
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST_F(HistoryFile, EmptyHistoryRewritesToAnEmptyFile) {
    TestFolder folder;
    folder.write("Histo.dat", threeEntries());
    loadFresh();
    while (HistoryList.Count > 0)
        gDeleteHistoricMessage(1);
    gSaveHistoric();
    EXPECT_TRUE(folder.exists("Histo.dat"));
    EXPECT_EQ(folder.read("Histo.dat"), "");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({"Histo.dat"}));
}

TEST_F(HistoryFile, DeletingTheFile) {
    TestFolder folder;
    folder.write("Histo.dat", threeEntries());
    loadFresh();
    EXPECT_EQ(gFctDeleteHistoricFile(), 1);
    EXPECT_FALSE(folder.exists("Histo.dat"));
    EXPECT_EQ(HistoryList.Count, 3) << "the table is the caller's to reload";
    EXPECT_EQ(gFctDeleteHistoricFile(), 0);
    gLoadHistoric();
    EXPECT_EQ(HistoryList.Count, 0);
}

TEST_F(HistoryFile, RoundTripOfAwkwardTexts) {
    const std::vector<HistoryEntry> entries = {
        entry("A", ""),
        entry("B", "\r\n"),
        entry("C", "ends with a line break\r\n"),
        entry("D", "\r\n\r\nblank lines first"),
        entry("E", "1\r\n\"not\"\r\n2"),  // quotes become apostrophes
        entry("F", "lone\nLF and lone\rCR"),
        entry("G", QString::fromUtf8("\u0081\u009d ÿ € ¤"), -7),
        entry("H", QString(70000, u'z'), 32767),
    };
    QByteArray file;
    for (const HistoryEntry& e : entries)
        file += HistoryFormat::entryBytes(e);
    const std::vector<HistoryEntry> parsed = HistoryFormat::parse(file);
    ASSERT_EQ(parsed.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        HistoryEntry expected = entries[i];
        gReplaceQuotes(expected.Text);
        EXPECT_TRUE(sameEntry(parsed[i], expected)) << i;
    }
}

TEST_F(HistoryFile, ForeignLineEndsAndBlanks) {
    QByteArray lfOnly = threeEntries();
    lfOnly.replace("\r\n", "\n");
    auto parsed = HistoryFormat::parse(lfOnly);
    ASSERT_EQ(parsed.size(), 3u);
    EXPECT_EQ(parsed[2].Text, "third");
    EXPECT_EQ(parsed[2].State, kStateUnread);

    // Blank lines between entries, blanks around items, a missing last line end.
    QByteArray loose =
        "\r\n 1 \r\n  \"A\"  \r\n\"B\"\r\n\"t\"\r\n\"d\"\r\n\"h\"\r\n\"\"\r\n2\r\n\r\n" +
        HistoryFormat::entryBytes(entry("Z", "z"));
    loose.chop(2);
    parsed = HistoryFormat::parse(loose);
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[0].Sender, "A");
    EXPECT_EQ(parsed[0].Kind, 1);
    EXPECT_EQ(parsed[1].Sender, "Z");
    EXPECT_EQ(parsed[1].State, kStateUnread);
}

TEST_F(HistoryFile, DamageCostsOnlyTheDamagedEntries) {
    const QByteArray a = HistoryFormat::entryBytes(entry("A", "first"));
    const QByteArray c = HistoryFormat::entryBytes(entry("C", "third"));
    struct Case {
        const char* what;
        QByteArray middle;
    };
    const Case cases[] = {
        {"text where the kind belongs",
         "one\r\n\"B\"\r\n\"ME\"\r\n\"t\"\r\n\"d\"\r\n\"h\"\r\n\"\"\r\n2\r\n"},
        {"text where the state belongs",
         "1\r\n\"B\"\r\n\"ME\"\r\n\"t\"\r\n\"d\"\r\n\"h\"\r\n\"\"\r\ntwo\r\n"},
        {"state missing", "1\r\n\"B\"\r\n\"ME\"\r\n\"t\"\r\n\"d\"\r\n\"h\"\r\n\"\"\r\n"},
        {"unquoted text", "1\r\n\"B\"\r\nME\r\n\"t\"\r\n\"d\"\r\n\"h\"\r\n\"\"\r\n2\r\n"},
        {"missing closing quote", "1\r\n\"B\"\r\n\"ME\r\n\"t\"\r\n\"d\"\r\n\"h\"\r\n\"\"\r\n2\r\n"},
        {"missing opening quote", "1\r\n\"B\"\r\nME\"\r\n\"t\"\r\n\"d\"\r\n\"h\"\r\n\"\"\r\n2\r\n"},
        {"an item too many",
         "1\r\n\"B\"\r\n\"X\"\r\n\"ME\"\r\n\"t\"\r\n\"d\"\r\n\"h\"\r\n\"\"\r\n2\r\n"},
        {"an item too few", "1\r\n\"B\"\r\n\"t\"\r\n\"d\"\r\n\"h\"\r\n\"\"\r\n2\r\n"},
        {"a text of two megabytes", "1\r\n\"B\"\r\n\"" + QByteArray(2 << 20, 'm') +
                                        "\"\r\n\"t\"\r\n\"d\"\r\n\"h\"\r\n\"\"\r\n2\r\n"},
        {"a line of two megabytes", QByteArray(2 << 20, '7') + "\r\n"},
        {"binary noise", QByteArray("\x00\xff\x01\"\r\n\"\x00", 9) + "\r\n"},
    };
    for (const Case& c2 : cases) {
        SCOPED_TRACE(c2.what);
        const auto parsed = HistoryFormat::parse(a + c2.middle + c);
        std::vector<QString> found;
        for (const HistoryEntry& e : parsed)
            found.push_back(e.Sender);
        EXPECT_TRUE(found.size() <= 3 && !found.empty() && found.front() == "A" &&
                    found.back() == "C")
            << found.size();
        EXPECT_TRUE(sameEntry(parsed.back(), entry("C", "third")));
    }
}

TEST_F(HistoryFile, AFileCutAnywhereKeepsEveryEntryBeforeTheCut) {
    const QByteArray file = threeEntries();
    const qsizetype first = HistoryFormat::entryBytes(entry("A", "first")).size();
    const qsizetype second = first + HistoryFormat::entryBytes(entry("B", "second")).size();
    for (qsizetype cut = 0; cut <= file.size(); ++cut) {
        const auto parsed = HistoryFormat::parse(file.first(cut));
        const qsizetype whole = cut == file.size() ? 3 : cut >= second ? 2 : cut >= first ? 1 : 0;
        ASSERT_GE(static_cast<qsizetype>(parsed.size()), whole) << cut;
        ASSERT_LE(static_cast<qsizetype>(parsed.size()), whole + 1) << cut;
        for (qsizetype i = 0; i < whole; ++i) {
            EXPECT_EQ(parsed[static_cast<std::size_t>(i)].Sender,
                      QString(QChar(static_cast<char16_t>(u'A' + i))))
                << cut;
        }
    }
}

TEST_F(HistoryFile, ACutLastEntryIsKeptAndTheNextArrivalRepairsTheFile) {
    TestFolder folder;
    QByteArray file = threeEntries();
    file.chop(20);  // inside the last entry's texts
    folder.write("Histo.dat", file);
    loadFresh();
    ASSERT_EQ(HistoryList.Count, 3);
    EXPECT_EQ(HistoryList[3].Sender, "C");
    EXPECT_EQ(HistoryList[3].State, 0) << "missing fields stay empty or 0";

    receive(entry("D", "after the crash"));
    loadFresh();
    EXPECT_EQ(senders(), (std::vector<QString>{"A", "B", "C", "D"}));
    EXPECT_EQ(HistoryList[4].Text, "after the crash");
    // From now on arrivals are appended again.
    const QByteArray repaired = folder.read("Histo.dat");
    receive(entry("E", "appended"));
    EXPECT_EQ(folder.read("Histo.dat"),
              repaired + HistoryFormat::entryBytes(entry("E", "appended")));
}

TEST_F(HistoryFile, AFailedRewriteKeepsTheOldFileAndIsToldOnce) {
    TestFolder folder;
    folder.write("Histo.dat", threeEntries());
    loadFresh();
    gDeleteHistoricMessage(1);
    {
        FullDisk full;
        gSaveHistoric();
        gSaveHistoric();
    }
    EXPECT_EQ(folder.read("Histo.dat"), threeEntries());
    ASSERT_EQ(shownMessageTexts().size(), 1u);
    EXPECT_TRUE(shownMessageTexts()[0].startsWith("Error Saving History Data !"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({"Histo.dat"}));
}

TEST_F(HistoryFile, AFailedAppendIsRepairedByTheNextWrite) {
    TestFolder folder;
    folder.write("Histo.dat", threeEntries());
    loadFresh();
    {
        FullDisk full(threeEntries().size() + 10);  // room for ten bytes of the entry only
        receive(entry("D", "a message that does not fit"));
    }
    EXPECT_EQ(HistoryList.Count, 4);
    receive(entry("E", "the next one"));
    loadFresh();
    EXPECT_EQ(senders(), (std::vector<QString>{"A", "B", "C", "D", "E"}));
}

TEST_F(HistoryFile, AHistoryThatCannotBeReadIsNeverReplaced) {
    TestFolder folder;
    QDir(folder.path()).mkdir("Histo.dat");  // exists, but is no readable file
    folder.write("Histo.dat/keep", "x");
    loadFresh();
    EXPECT_EQ(HistoryList.Count, 0);
    HistoryList.add(entry("A", "x"));
    gSaveHistoric();
    EXPECT_TRUE(folder.exists("Histo.dat/keep"));
    EXPECT_EQ(shownMessageTexts().size(), 1u);
}

TEST_F(HistoryFile, EntriesOutsideTheTableRaiseSubscriptOutOfRange) {
    HistoryStore::reset();
    EXPECT_THROW(HistoryList[1], RunTimeError);
    HistoryList.add(entry("A", "x"));
    EXPECT_NO_THROW(HistoryList[1]);
    EXPECT_THROW(HistoryList[0], RunTimeError);
}

TEST_F(HistoryFile, AQuoteInAnAttachmentPathCostsTheRestOfThePathOnly) {
    // An older writer left the quotes of attachment paths as they were.
    const QByteArray quoted =
        "2\r\n\"B\"\r\n\"ME\"\r\n\"see\"\r\n\"d\"\r\n\"h\"\r\n\"\\\\PC\\a\"b.txt\"\r\n4\r\n";
    const auto parsed =
        HistoryFormat::parse(HistoryFormat::entryBytes(entry("A", "first")) + quoted +
                             HistoryFormat::entryBytes(entry("C", "third")));
    ASSERT_EQ(parsed.size(), 3u);
    EXPECT_EQ(parsed[1].Sender, "B");
    EXPECT_EQ(parsed[1].Text, "see");
    EXPECT_EQ(parsed[1].AttachmentPath, "\\\\PC\\a");
    EXPECT_EQ(parsed[1].State, kStateUnreadWithAttachment);
    EXPECT_EQ(parsed[2].Sender, "C");
}

TEST_F(HistoryFile, WhileAnotherCopyHoldsTheFolderNothingIsWritten) {
    TestFolder folder;
    ASSERT_TRUE(HistoryStore::lock());
    EXPECT_FALSE(lockFreeForOthers(folder.path())) << "our lock keeps other processes out";
    HistoryStore::reset();
    EXPECT_TRUE(lockFreeForOthers(folder.path()));

    folder.write("Histo.dat", threeEntries());
    OtherCopy first(folder.path());
    ASSERT_TRUE(first.held());
    EXPECT_FALSE(HistoryStore::lock());
    gLoadHistoric();
    EXPECT_EQ(HistoryList.Count, 3) << "the history is still read";
    gDeleteHistoricMessage(1);
    receive(entry("D", "not ours to keep"));
    gSaveHistoric();
    EXPECT_EQ(gFctDeleteHistoricFile(), 0);
    EXPECT_EQ(folder.read("Histo.dat"), threeEntries());
    EXPECT_TRUE(DialogSeam::shown().empty()) << "the start-up says it, not every save";
}
