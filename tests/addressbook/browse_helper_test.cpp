#include <gtest/gtest.h>

#include <QFile>
#include <QTimer>

#include "addressbook/browse_client.h"
#include "addressbook/browse_protocol.h"
#include "addressbook/detection_stop.h"
#include "common/test_folder.h"

namespace {

// Reads a whole answer fed in pieces of `step` bytes.
BrowseReplyReader readInPieces(const QByteArray& answer, qsizetype step) {
    BrowseReplyReader reader;
    for (qsizetype at = 0; at < answer.size(); at += step)
        reader.feed(QByteArrayView(answer).sliced(at, std::min(step, answer.size() - at)));
    return reader;
}

// A stand-in for pelimo-browse: answers each URL as its name asks.
QString fakeHelper(const TestFolder& folder) {
    folder.write("helper",
                 "#!/bin/sh\n"
                 "while read url; do case \"$url\" in\n"
                 "  *SLOW*) exec sleep 600 ;;\n"
                 "  *FLOOD*) while :; do printf 'E\\t2\\tX\\t\\n'; done ;;\n"
                 "  *) printf 'E\\t2\\tB%%20C\\tnote\\n.\\n' ;;\n"
                 "esac; done\n");
    QFile::setPermissions(folder.path("helper"), QFile::ReadOwner | QFile::ExeOwner);
    return folder.path("helper");
}

}  // namespace

TEST(BrowseProtocol, NamesFromBrowseListsGoIntoUrlsOnlyEncodedAndNetbiosShaped) {
    EXPECT_EQ(BrowseProtocol::smbUrl(QString()), QStringLiteral("smb://"));
    EXPECT_EQ(BrowseProtocol::smbUrl(QStringLiteral("WORK GROUP")),
              QStringLiteral("smb://WORK%20GROUP"));
    EXPECT_EQ(BrowseProtocol::smbUrl(QStringLiteral("A#B&C")), QStringLiteral("smb://A%23B%26C"));
    // A user part, an address, a path, a port, an escape, a control character, a long name.
    for (const char* hostile :
         {"u@10.1.2.3", "10.1.2.3", "a/b", "pc:445", "a%40b", "pc\n", "NAME-OF-16-CHARS"})
        EXPECT_TRUE(BrowseProtocol::smbUrl(QString::fromLatin1(hostile)).isEmpty()) << hostile;
}

TEST(BrowseProtocol, AnswersReadBackWhateverTheNamesHoldAndStayBounded) {
    const SmbEntry odd{3, QStringLiteral("tab\there\nnew%line\\"), QStringLiteral("é\t")};
    const QByteArray answer = BrowseProtocol::entryLine(odd) +
                              BrowseProtocol::entryLine({1, "WG", ""}) + BrowseProtocol::endLine() +
                              "E\t9\tAFTER\t\n";
    for (const qsizetype step : {qsizetype(1), qsizetype(7), answer.size()}) {
        const BrowseReplyReader reader = readInPieces(answer, step);
        ASSERT_EQ(reader.state(), BrowseReplyReader::State::Ended) << step;
        ASSERT_EQ(reader.entries().size(), 2u);  // the line after the end is not this answer's
        EXPECT_EQ(reader.entries()[0].type, 3u);
        EXPECT_EQ(reader.entries()[0].name, odd.name);
        EXPECT_EQ(reader.entries()[0].comment, odd.comment);
    }
    // An entry line stays within the bound however long the name and comment.
    EXPECT_LE(
        BrowseProtocol::entryLine({2, QString(5000, QChar(0x4e2d)), QString(5000, u'%')}).size(),
        kMaxBrowseLine);

    BrowseReplyReader failed;
    failed.feed(BrowseProtocol::errorLine(QStringLiteral("Connection refused")));
    EXPECT_EQ(failed.state(), BrowseReplyReader::State::Failed);
    EXPECT_EQ(failed.reason(), QStringLiteral("Connection refused"));

    QByteArray flood;
    for (int n = 0; n <= kMaxBrowseEntries; ++n)
        flood += BrowseProtocol::entryLine({2, "S", ""});
    for (const QByteArray& broken :
         {flood, QByteArray(kMaxBrowseLine + 1, 'E'), QByteArray("E\tx\tS\t\n"),
          QByteArray("hello\n"), QByteArray(".\textra\n")})
        EXPECT_EQ(readInPieces(broken, 4096).state(), BrowseReplyReader::State::Broken);
}

TEST(BrowseClient, ListsThroughTheHelperAndEndsItWhenItMisbehaves) {
    TestFolder folder;
    DetectionStop::instance().clear();
    std::vector<SmbEntry> entries;
    QString error;

    BrowseClient flooded(fakeHelper(folder));
    flooded.begin();
    ASSERT_TRUE(flooded.list("smb://WG", entries, error)) << error.toStdString();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, QStringLiteral("B C"));
    EXPECT_FALSE(flooded.list("smb://FLOOD", entries, error));
    EXPECT_TRUE(error.contains(QStringLiteral("too many entries")));
    // The helper is gone: the rest of the detection's listings fail at once.
    EXPECT_FALSE(flooded.list("smb://WG", entries, error));
    flooded.begin();  // a new detection starts a new helper
    EXPECT_TRUE(flooded.list("smb://WG", entries, error));

    BrowseClient silent(fakeHelper(folder), BrowseLimits{.listTimeoutMs = 300});
    silent.begin();
    EXPECT_FALSE(silent.list("smb://SLOW", entries, error));
    EXPECT_TRUE(error.contains(QStringLiteral("no answer")));

    // Quit while the helper works: the listing ends without waiting for it.
    BrowseClient stopped(fakeHelper(folder));
    stopped.begin();
    QTimer::singleShot(100, [] { DetectionStop::instance().request(); });
    EXPECT_FALSE(stopped.list("smb://SLOW", entries, error));
    EXPECT_TRUE(DetectionStop::instance().requested());
    DetectionStop::instance().clear();

    BrowseClient missing(QString{});
    missing.begin();
    EXPECT_FALSE(missing.list("smb://WG", entries, error));
    EXPECT_TRUE(error.contains(QStringLiteral("missing")));
}
