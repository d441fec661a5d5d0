#include <gtest/gtest.h>

#include <QDir>

#include "common/full_disk.h"
#include "common/test_folder.h"
#include "platform/file_copy.h"

using namespace pelimo::platform;

TEST(FileCopy, AFullDiskFailsAndKeepsTheOldDestination) {
    TestFolder folder;
    folder.write("target.bin", "old");
    // A small file ends in one short write; a large one fails in a later chunk.
    for (const qsizetype size : {qsizetype(100), qsizetype(3 << 20)}) {
        folder.write("source.bin", QByteArray(size, 's'));
        CopyOutcome outcome = CopyOutcome::Copied;
        {
            FullDisk full(16);
            outcome = copyFile(folder.path("source.bin"), folder.path("target.bin"), {}, nullptr);
        }
        EXPECT_EQ(outcome, CopyOutcome::Failed) << size;
        EXPECT_EQ(folder.read("target.bin"), "old") << size;
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2) << "no temporary file left";
    }
}
