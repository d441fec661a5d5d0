// A process killed in the middle of the history rewrite leaves the old file or the new one, whole.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QElapsedTimer>
#include <csignal>
#include <random>

#include "common/test_folder.h"
#include "stores/history_file.h"

namespace {

// A history of `count` entries whose texts carry `tag`, a few megabytes in all.
void fillHistory(int count, char tag) {
    HistoryStore::reset();
    for (int n = 0; n < count; ++n) {
        HistoryEntry e;
        e.Kind = kKindPlain;
        e.Sender = QStringLiteral("PC%1").arg(n);
        e.Text = QString(200 + n % 300, QChar(tag)) + QStringLiteral("\r\nend");
        e.State = kStateUnread;
        HistoryList.add(e);
    }
}

QByteArray fileOf(int count, char tag) {
    fillHistory(count, tag);
    QByteArray bytes;
    for (qint32 n = 1; n <= HistoryList.Count; ++n)
        bytes += HistoryFormat::entryBytes(HistoryList[n]);
    return bytes;
}

}  // namespace

TEST(HistoryCrash, KilledDuringTheRewriteLeavesTheOldOrTheNewFileWhole) {
    TestFolder folder;
    const QByteArray oldFile = fileOf(8000, 'o');
    const QByteArray newFile = fileOf(6000, 'n');
    // How long one rewrite takes here, so that the kills land before, during and after one.
    fillHistory(6000, 'n');
    QElapsedTimer timer;
    timer.start();
    gSaveHistoric();
    const auto rewriteMicroseconds = static_cast<useconds_t>(timer.nsecsElapsed() / 1000);
    std::mt19937 random(4);
    int sawOld = 0;
    int sawNew = 0;
    int interrupted = 0;  // kills that left a temporary file: they came in the middle of a write
    for (int round = 0; round < 16; ++round) {
        folder.write("Histo.dat", oldFile);
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Rewrites the file again and again until killed.
            fillHistory(6000, 'n');
            if (write(ready[1], "r", 1) != 1)
                _exit(1);
            for (;;)
                gSaveHistoric();
        }
        char signal = 0;
        ASSERT_EQ(read(ready[0], &signal, 1), 1);
        close(ready[0]);
        close(ready[1]);
        if (round % 2 == 0) {
            // Waits until a rewrite is under way: its temporary file exists.
            QElapsedTimer waited;
            waited.start();
            while (QDir(folder.path()).entryList({"Histo.dat.*"}, QDir::Files).isEmpty() &&
                   waited.elapsed() < 10000) {
                usleep(100);
            }
        } else {
            usleep(std::uniform_int_distribution<useconds_t>(0, 3 * rewriteMicroseconds)(random));
        }
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        const QByteArray found = folder.read("Histo.dat");
        ASSERT_TRUE(found == oldFile || found == newFile)
            << "round " << round << ": " << found.size() << " bytes";
        (found == oldFile ? sawOld : sawNew)++;
        // Only temporary files of interrupted rewrites may be left beside it.
        for (const QString& name : QDir(folder.path()).entryList(QDir::Files)) {
            if (name != "Histo.dat") {
                ++interrupted;
                EXPECT_TRUE(name.startsWith("Histo.dat.")) << name.toStdString();
                QFile::remove(folder.path(name));
            }
        }
    }
    std::printf("old file %d times, new file %d times, %d kills during a write\n", sawOld, sawNew,
                interrupted);
    EXPECT_GT(interrupted, 0) << "no kill came during a rewrite";
    HistoryStore::reset();
}
