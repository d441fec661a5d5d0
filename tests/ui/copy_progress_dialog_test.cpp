#include <gtest/gtest.h>

#include "common/test_folder.h"
#include "ui/copy_progress_dialog.h"

TEST(CopyProgressDialog, CancelStopsTheCopyAndScriptedModeNeverShowsIt) {
    ASSERT_TRUE(DialogSeam::isScripted());
    CopyProgressDialog window;
    EXPECT_TRUE(window.progress(0, 10));
    EXPECT_TRUE(window.progress(5, 10));
    EXPECT_FALSE(window.dialog().isVisible());
    window.dialog().cancel();
    EXPECT_FALSE(window.progress(6, 10));
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST(CopyProgressDialog, InstalledItTakesPartInCopies) {
    TestFolder folder;
    folder.write("a.bin", QByteArray(100, 'a'));
    CopyProgress::installDialog();
    EXPECT_EQ(ShFileCopy(folder.path("a.bin"), folder.path("b.bin")), 0);
    FileOperations::setCopyProgressFactory({});
    EXPECT_EQ(folder.read("b.bin"), QByteArray(100, 'a'));
}

TEST(CopyProgressDialog, ShownOutsideScriptedModeItReportsProgress) {
    DialogSeam::setScripted(false);
    {
        CopyProgressDialog window;
        window.dialog().setMinimumDuration(0);
        EXPECT_TRUE(window.progress(1, 4));
        EXPECT_EQ(window.dialog().value(), 250);
        EXPECT_TRUE(window.dialog().isVisible());
        window.dialog().cancel();
        EXPECT_FALSE(window.progress(2, 4));
    }
    DialogSeam::setScripted(true);
}
