// What reaches the disk before the history operations return: the file's data synced, and its
// folder when an entry in it was created or replaced. The sync calls of this program are counted
// by wrappers around the C library's.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include "common/test_folder.h"
#include "stores/history_file.h"

namespace {

struct SyncCalls {
    int dataSyncs = 0;
    int fileSyncs = 0;
    int folderSyncs = 0;
};
SyncCalls calls;

template <class Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

HistoryEntry message(const char* text) {
    HistoryEntry e;
    e.Kind = kKindPlain;
    e.Sender = QStringLiteral("PC1");
    e.Text = QString::fromLatin1(text);
    e.State = kStateUnread;
    return e;
}

}  // namespace

extern "C" int fdatasync(int fd) {
    ++calls.dataSyncs;
    return next<int (*)(int)>("fdatasync")(fd);
}

extern "C" int fsync(int fd) {
    struct stat info {};
    const bool folder = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
    ++(folder ? calls.folderSyncs : calls.fileSyncs);
    return next<int (*)(int)>("fsync")(fd);
}

TEST(HistoryDurability, ATicksArrivalsAreAppendedWithOneDataSync) {
    TestFolder folder;
    HistoryStore::reset();
    HistoryList.add(message("one"));
    calls = {};
    gAppendHistoric();
    EXPECT_EQ(calls.dataSyncs, 1);
    EXPECT_EQ(calls.folderSyncs, 1) << "the new file's name is made durable too";

    const qint32 first = HistoryList.Count + 1;
    for (const char* text : {"two", "three", "four"})
        HistoryList.add(message(text));
    calls = {};
    HistoryStore::appendFrom(first);
    EXPECT_EQ(calls.dataSyncs, 1);
    EXPECT_EQ(calls.folderSyncs, 0);
    QByteArray expected;
    for (qint32 n = 1; n <= HistoryList.Count; ++n)
        expected += HistoryFormat::entryBytes(HistoryList[n]);
    EXPECT_EQ(folder.read("Histo.dat"), expected);

    calls = {};
    HistoryStore::appendFrom(HistoryList.Count + 1);
    EXPECT_EQ(calls.dataSyncs + calls.fileSyncs, 0) << "nothing to append";
    HistoryStore::reset();
}

TEST(HistoryDurability, TheRewriteSyncsTheFileAndItsFolder) {
    TestFolder folder;
    HistoryStore::reset();
    HistoryList.add(message("one"));
    calls = {};
    gSaveHistoric();
    EXPECT_EQ(calls.fileSyncs, 1);
    EXPECT_EQ(calls.folderSyncs, 1);
    EXPECT_EQ(folder.read("Histo.dat"), HistoryFormat::entryBytes(HistoryList[1]));
    HistoryStore::reset();
}
