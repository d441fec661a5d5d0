// The stores with realistic and large data: a history of 100 000 entries (or --entries=N: load,
// load against a plain read of the same bytes, rewrite, append with that file on disk), 100
// contacts and a 101-message language file.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>

#include "platform/atomic_file.h"
#include "seam/dialog_seam.h"
#include "stores/application.h"
#include "stores/contacts.h"
#include "stores/history_file.h"
#include "stores/language_file.h"
#include "stores_history_generator.h"

namespace {

int gHistoryEntries = 100000;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A folder made the application folder, holding the history of the benchmark's size.
struct HistoryFolder {
    QTemporaryDir dir;
    QString path;
    qint64 bytes = 0;
    HistoryFolder() {
        Application::setFolder(dir.path());
        path = gApplicationFolder + QString::fromLatin1(kHistoryFileName);
        writeHistoryFile(path, gHistoryEntries);
        bytes = QFile(path).size();
    }
};

// Each iteration reads the file's bytes plainly, then loads it; the time is the load's.
void BM_HistoryLoad(benchmark::State& state) {
    HistoryFolder folder;
    double plain = 0;
    double load = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        const auto bytes = pelimo::platform::readWholeFile(folder.path);
        benchmark::DoNotOptimize(bytes->size());
        plain += secondsSince(start);
        HistoryStore::reset();  // loading starts from an empty table, as at start-up
        start = std::chrono::steady_clock::now();
        gLoadHistoric();
        const double seconds = secondsSince(start);
        load += seconds;
        state.SetIterationTime(seconds);
        if (HistoryList.Count != gHistoryEntries)
            state.SkipWithError("entries lost");
    }
    state.counters["file_MB"] = static_cast<double>(folder.bytes) / 1e6;
    state.counters["plain_read_ms"] = plain * 1000 / static_cast<double>(state.iterations());
    state.counters["load_to_plain_read"] = load / plain;
    HistoryStore::reset();
}
BENCHMARK(BM_HistoryLoad)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_HistoryRewrite(benchmark::State& state) {
    HistoryFolder folder;
    gLoadHistoric();
    for (auto _ : state)
        gSaveHistoric();
    if (!DialogSeam::shown().empty())
        state.SkipWithError("the rewrite failed");
    HistoryStore::reset();
}
BENCHMARK(BM_HistoryRewrite)->Unit(benchmark::kMillisecond);

// One arriving message: added to the table and appended to the 100 000-entry file.
void BM_HistoryAppend(benchmark::State& state) {
    HistoryFolder folder;
    gLoadHistoric();
    HistoryEntry message;
    message.Kind = kKindPlain;
    message.Sender = QStringLiteral("PC-007");
    message.Addressee = QStringLiteral("DESK42");
    message.Text = QString(200, u'a') + QStringLiteral("\r\n\"quoted\" end");
    message.ReceivedDate = QStringLiteral("07/12/2026");
    message.ReceivedTime = QStringLiteral("19:56:40");
    message.State = kStateUnread;
    for (auto _ : state) {
        HistoryList.add(message);
        gAppendHistoric();
    }
    if (QFile(folder.path).size() <= folder.bytes)
        state.SkipWithError("nothing appended");
    HistoryStore::reset();
}
BENCHMARK(BM_HistoryAppend)->Unit(benchmark::kMicrosecond);

void fillContacts() {
    ContactStore::reset();
    for (int n = 1; n <= kMaxContacts; ++n) {
        gFctAddContact(QStringLiteral("Contact numéro %1").arg(n), QStringLiteral("PC-%1").arg(n),
                       QStringLiteral("/home/user/Pelimo/Picture/photo %1.bmp").arg(n),
                       QStringLiteral("/home/user/Pelimo/Sound/son %1.wav").arg(n));
        ContactList[n].UserGroupName = QStringLiteral("WORKGROUP");
    }
}

void BM_ContactsLoad100(benchmark::State& state) {
    QTemporaryDir dir;
    Application::setFolder(dir.path());
    fillContacts();
    gSaveUserIni();
    for (auto _ : state) {
        gFctLoadUserIni();
        if (ContactList.Count != kMaxContacts)
            state.SkipWithError("contacts lost");
    }
    ContactStore::reset();
}
BENCHMARK(BM_ContactsLoad100)->Unit(benchmark::kMillisecond);

void BM_ContactsSave100(benchmark::State& state) {
    QTemporaryDir dir;
    Application::setFolder(dir.path());
    fillContacts();
    for (auto _ : state)
        gSaveUserIni();
    if (!DialogSeam::shown().empty())
        state.SkipWithError("the save failed");
    ContactStore::reset();
}
BENCHMARK(BM_ContactsSave100)->Unit(benchmark::kMillisecond);

void BM_LanguageLoad101(benchmark::State& state) {
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/../orglng.lng");
    if (!QFile::exists(path)) {
        state.SkipWithError("orglng.lng is not beside the build");
        return;
    }
    for (auto _ : state) {
        gLoadLanguageFile(path);
        if (LanguageTable.count() < kLanguageMessageCount)
            state.SkipWithError("messages lost");
    }
    LanguageStore::reset();
}
BENCHMARK(BM_LanguageLoad101)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    DialogSeam::setScripted(true);
    gHistoryEntries = benchHistoryEntries(argc, argv, gHistoryEntries);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
