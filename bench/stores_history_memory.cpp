// Loading a history as at start-up, in a fresh process: the time against a plain read of the same
// bytes, and the growth of the process's peak resident size during gLoadHistoric.
//   stores_history_memory [--entries=N] [FILE]   (without FILE: a generated history of N entries,
//                                                 100 000 by default)
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/atomic_file.h"
#include "process_memory.h"
#include "seam/dialog_seam.h"
#include "stores/application.h"
#include "stores/history_file.h"
#include "stores_history_generator.h"

namespace {

// Starts a new peak from the present resident size.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    DialogSeam::setScripted(true);
    const int entries = benchHistoryEntries(argc, argv, 100000);
    QTemporaryDir dir;
    QString path;
    if (argc > 1) {
        const QString file = QString::fromLocal8Bit(argv[1]);
        const int slash = static_cast<int>(file.lastIndexOf(u'/'));
        Application::setFolder(slash < 0 ? QStringLiteral(".") : file.left(slash));
        path = gApplicationFolder + QString::fromLatin1(kHistoryFileName);
        if (path != file && QFileInfo(file).absoluteFilePath() != path) {
            std::fprintf(stderr, "the file must be named %s\n", kHistoryFileName);
            return 2;
        }
    } else {
        Application::setFolder(dir.path());
        path = gApplicationFolder + QString::fromLatin1(kHistoryFileName);
        writeHistoryFile(path, entries);
    }
    const double fileMegabytes = static_cast<double>(QFile(path).size()) / 1e6;
    // A plain read of the same bytes in the same fresh process, for comparison.
    double plainSeconds = 0;
    {
        const auto start = std::chrono::steady_clock::now();
        const auto bytes = pelimo::platform::readWholeFile(path);
        plainSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!bytes)
            return 1;
    }
    resetPeak();
    const long before = statusKilobytes("VmRSS");
    const auto start = std::chrono::steady_clock::now();
    gLoadHistoric();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peak = statusKilobytes("VmHWM");
    const long after = statusKilobytes("VmRSS");
    std::printf("file %.1f MB, %d entries loaded in %.3f s; plain read %.3f s (load %.1f times)\n",
                fileMegabytes, static_cast<int>(HistoryList.Count), seconds, plainSeconds,
                seconds / plainSeconds);
    std::printf(
        "resident before %ld kB, peak during load %ld kB (+%.1f MB), after %ld kB (+%.1f MB)\n",
        before, peak, (peak - before) / 1024.0, after, (after - before) / 1024.0);
    return 0;
}
