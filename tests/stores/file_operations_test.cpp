#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "common/full_disk.h"
#include "common/test_folder.h"
#include "platform/file_system.h"
#include "stores/file_operations.h"

namespace {

// A progress window that records its reports and cancels after a given number of them.
class FakeProgress final : public CopyProgressWindow {
public:
    FakeProgress(std::vector<std::pair<qint64, qint64>>& reports, int cancelAt)
        : reports_(reports), cancelAt_(cancelAt) {}
    bool progress(qint64 copied, qint64 total) override {
        reports_.emplace_back(copied, total);
        return static_cast<int>(reports_.size()) != cancelAt_;
    }

private:
    std::vector<std::pair<qint64, qint64>>& reports_;
    int cancelAt_;
};

// The names in the folder, to see that no temporary file is left behind.
QStringList namesIn(const TestFolder& folder) {
    return QDir(folder.path())
        .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace

TEST(FileOperations, AttributesOfFilesFoldersAndMissingPaths) {
    TestFolder folder;
    folder.write("file.txt", "x");
    EXPECT_EQ(gFctGetFileAttributes(folder.path("missing")), -1);
    EXPECT_EQ(gFctGetFileAttributes(QString()), -1);
    const int file = gFctGetFileAttributes(folder.path("file.txt"));
    EXPECT_NE(file, -1);
    EXPECT_EQ(file & pelimo::platform::kFileAttributeDirectory, 0);
    const int dir = gFctGetFileAttributes(folder.path());
    EXPECT_NE(dir, -1);
    EXPECT_NE(dir & pelimo::platform::kFileAttributeDirectory, 0);
}

TEST(FileOperations, LoadingTextFiles) {
    TestFolder folder;
    QString text = QStringLiteral("stale");
    EXPECT_EQ(gFctLoadTextFile(folder.path("missing.txt"), text), 0);
    EXPECT_EQ(text, "");

    folder.write("empty.txt", "");
    text = QStringLiteral("stale");
    EXPECT_EQ(gFctLoadTextFile(folder.path("empty.txt"), text), 1);
    EXPECT_EQ(text, "");

    folder.write("fav.txt", QByteArray("Caf\xe9 \x80\r\nline two\nno translation\0end", 35));
    EXPECT_EQ(gFctLoadTextFile(folder.path("fav.txt"), text), 1);
    EXPECT_EQ(text, QString::fromUtf8("Café €\r\nline two\nno translation") + QChar(0) + "end");
}

TEST(FileOperations, SavingTextFilesReplacesThemWhole) {
    TestFolder folder;
    folder.write("fav.txt", "a much longer older text");
    EXPECT_EQ(gFctSaveTextFile(folder.path("fav.txt"), QStringLiteral("short é")), 1);
    EXPECT_EQ(folder.read("fav.txt"), "short \xe9");

    EXPECT_EQ(gFctSaveTextFile(folder.path("fav.txt"), QString()), 1);
    EXPECT_TRUE(folder.exists("fav.txt"));
    EXPECT_EQ(QFileInfo(folder.path("fav.txt")).size(), 0);

    EXPECT_EQ(gFctSaveTextFile(folder.path("new.txt"), QStringLiteral("a\r\nb \u4e2d")), 1);
    EXPECT_EQ(folder.read("new.txt"), "a\r\nb ?") << "no line-break translation, '?' outside";
    EXPECT_TRUE(DialogSeam::shown().empty());
    EXPECT_EQ(namesIn(folder), QStringList({"fav.txt", "new.txt"}));
}

TEST(FileOperations, FailedTextSaveKeepsTheOldFileAndSaysSo) {
    TestFolder folder;
    folder.write("fav.txt", "the old favourite");
    {
        FullDisk full;
        EXPECT_EQ(gFctSaveTextFile(folder.path("fav.txt"), QString(1000, u'n')), 0);
    }
    EXPECT_EQ(folder.read("fav.txt"), "the old favourite");
    ASSERT_EQ(shownMessageTexts().size(), 1u);
    EXPECT_TRUE(shownMessageTexts()[0].startsWith("Error Saving File !"));
    EXPECT_EQ(namesIn(folder), QStringList({"fav.txt"}));
}

TEST(FileOperations, CopyReplacesWithoutQuestion) {
    TestFolder folder;
    const QByteArray big(3 * 1024 * 1024 + 17, 'b');
    folder.write("source.bin", big);
    folder.write("dest.bin", "older and different");
    EXPECT_EQ(ShFileCopy(folder.path("source.bin"), folder.path("dest.bin")), 0);
    EXPECT_EQ(folder.read("dest.bin"), big);

    QDir(folder.path()).mkdir("sub");
    EXPECT_EQ(ShFileCopy(folder.path("source.bin"), folder.path("sub")), 0);
    EXPECT_EQ(folder.read("sub/source.bin"), big) << "a folder receives the file";

    EXPECT_EQ(ShFileCopy(folder.path("missing"), folder.path("dest.bin")), -1);
    EXPECT_EQ(ShFileCopy(folder.path("source.bin"), folder.path("nofolder/x.bin")), -1);
    EXPECT_EQ(folder.read("dest.bin"), big);
    EXPECT_TRUE(DialogSeam::shown().empty()) << "failures are silent";
    EXPECT_EQ(namesIn(folder), QStringList({"dest.bin", "source.bin", "sub"}));
}

TEST(FileOperations, CancelledCopyKeepsTheOldDestination) {
    TestFolder folder;
    const QByteArray big(3 * 1024 * 1024, 'c');
    folder.write("source.bin", big);
    folder.write("dest.bin", "old");
    std::vector<std::pair<qint64, qint64>> reports;
    FileOperations::setCopyProgressFactory(
        [&reports] { return std::make_unique<FakeProgress>(reports, 3); });
    EXPECT_EQ(ShFileCopy(folder.path("source.bin"), folder.path("dest.bin")), -1);
    ASSERT_EQ(shownMessageTexts().size(), 1u);
    EXPECT_EQ(shownMessageTexts()[0], "Operation Failed,(ShFileCopy).");
    EXPECT_EQ(DialogSeam::shown()[0].title, "Pelimo");
    EXPECT_EQ(folder.read("dest.bin"), "old");
    EXPECT_EQ(namesIn(folder), QStringList({"dest.bin", "source.bin"}));

    // Uncancelled, the window sees the whole copy.
    reports.clear();
    DialogSeam::clearShown();
    FileOperations::setCopyProgressFactory(
        [&reports] { return std::make_unique<FakeProgress>(reports, -1); });
    EXPECT_EQ(ShFileCopy(folder.path("source.bin"), folder.path("dest.bin")), 0);
    FileOperations::setCopyProgressFactory({});
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front(), std::make_pair(qint64{0}, qint64{big.size()}));
    EXPECT_EQ(reports.back(), std::make_pair(qint64{big.size()}, qint64{big.size()}));
    EXPECT_EQ(folder.read("dest.bin"), big);
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST(FileOperations, ACopyThatCannotBeWrittenKeepsTheOldDestination) {
    TestFolder folder;
    folder.write("source.bin", QByteArray(1 << 20, 's'));
    folder.write("dest.bin", "old");
    {
        FullDisk full(4096);
        EXPECT_EQ(ShFileCopy(folder.path("source.bin"), folder.path("dest.bin")), -1);
    }
    EXPECT_EQ(folder.read("dest.bin"), "old");
    EXPECT_TRUE(DialogSeam::shown().empty());
    EXPECT_EQ(namesIn(folder), QStringList({"dest.bin", "source.bin"}));
}

TEST(FileOperations, DeletingForGood) {
    TestFolder folder;
    folder.write("Histo.dat", "x");
    EXPECT_EQ(ShFileDelete(folder.path("Histo.dat")), 0);
    EXPECT_FALSE(folder.exists("Histo.dat"));
    EXPECT_EQ(ShFileDelete(folder.path("Histo.dat")), -1);

    QDir(folder.path()).mkdir("keep");
    folder.write("keep/inside.txt", "y");
    EXPECT_EQ(ShFileDelete(folder.path("keep")), -1) << "folders are never removed";
    EXPECT_TRUE(folder.exists("keep/inside.txt"));
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST(FileOperations, NetworkPathsGoThroughTheInstalledNetworkCopy) {
    TestFolder folder;
    EXPECT_EQ(ShFileCopy("\\\\SERVER\\share\\a.txt", folder.path("a.txt")), -1)
        << "nothing installed";
    std::vector<QString> sources;
    auto outcome = pelimo::platform::CopyOutcome::Copied;
    FileOperations::setNetworkFileCopy([&](const QString& source, const QString& destination,
                                           const pelimo::platform::CopyProgress& progress) {
        sources.push_back(source);
        EXPECT_EQ(destination, folder.path("a.txt"));
        EXPECT_FALSE(progress) << "no progress window installed";
        return outcome;
    });
    EXPECT_EQ(ShFileCopy("\\\\SERVER\\share\\a.txt", folder.path("a.txt")), 0);
    outcome = pelimo::platform::CopyOutcome::Cancelled;
    EXPECT_EQ(ShFileCopy("//SERVER/share/a.txt", folder.path("a.txt")), -1);
    outcome = pelimo::platform::CopyOutcome::Failed;
    EXPECT_EQ(ShFileCopy("\\\\SERVER\\share\\a.txt", folder.path("a.txt")), -1);
    FileOperations::setNetworkFileCopy({});
    EXPECT_EQ(sources, (std::vector<QString>{"\\\\SERVER\\share\\a.txt", "//SERVER/share/a.txt",
                                             "\\\\SERVER\\share\\a.txt"}));
    EXPECT_EQ(shownMessageTexts(), std::vector<QString>{"Operation Failed,(ShFileCopy)."})
        << "only the cancelled copy says so";
}
