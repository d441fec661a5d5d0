// Start-up of the main window offscreen, from construction until the window is shown, with 100
// contacts and a 100 000-entry history (--entries=N for another size), as the program starts.
//   bench_mainwindow_startup [benchmark options]   the start-up timed over several runs
//   bench_mainwindow_startup --once                 one start-up in this fresh process: its time
//                                                   and the process's peak resident size
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "common/module_reset.h"
#include "mainwindow/frmPelimo.h"
#include "platform/mailslot_transport_config.h"
#include "process_memory.h"
#include "seam/dialog_seam.h"
#include "stores/application.h"
#include "stores/contacts.h"
#include "stores/history_file.h"
#include "stores_history_generator.h"
#include "transport/mailslot_channel.h"

namespace {

constexpr int kContacts = 100;
int gHistoryEntries = 100000;

void writeFile(const QString& path, const QByteArray& contents) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// A program folder as a long-used installation holds it.
class ProgramFolder {
public:
    ProgramFolder() {
        const QString channel = QStringLiteral("pmbench%1").arg(::getpid());
        writeFile(path("Settings.ini"),
                  "[Setting]\r\nOpenWindows=1\r\nPlaySound=1\r\nMessageChannel=" +
                      channel.toLatin1() + "\r\n");
        QByteArray contacts =
            "[UserSetting]\r\nUserNumber=" + QByteArray::number(kContacts) + "\r\n";
        for (int i = 1; i <= kContacts; ++i) {
            const QByteArray n = QString::asprintf("%03d", i).toLatin1();
            contacts += "UserName" + n + "=Colleague " + QByteArray::number(i) +
                        "\r\nUserComputerName" + n + "=PC" + QByteArray::number(i) +
                        "\r\nUserGroupName" + n + "=WORKGROUP\r\nUserPicturePath" + n + "=" +
                        path("Picture/p.bmp").toLatin1() + "\r\nUserSoundPath" + n + "=\r\n";
        }
        writeFile(path("User.dat"), contacts);
        QByteArray language = "[Langage]\r\nNbMessage=101\r\n";
        for (int i = 1; i <= 101; ++i)
            language += QString::asprintf("%05d=Text %d\r\n", i, i).toLatin1();
        writeFile(path("orglng.lng"), language);
        if (!writeHistoryFile(path("Histo.dat"), gHistoryEntries))
            std::exit(1);
    }
    QString path(const char* name) const { return dir_.path() + u'/' + QString::fromLatin1(name); }
    QString folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

void resetModules(const ProgramFolder& folder) {
    resetAllModules();
    // Nothing reaches the network: the mailslot is local only.
    MailslotChannel::setTransportConfig(pelimo::platform::MailslotTransportConfig::offline());
    Application::setFolder(folder.folder());
}

// One start-up: the window built, loaded and shown.
std::unique_ptr<frmPelimo> startWindow() {
    auto window = std::make_unique<frmPelimo>();
    window->Form_Load();
    window->show();
    QCoreApplication::processEvents();
    return window;
}

void BM_MainWindowStartup(benchmark::State& state) {
    static const ProgramFolder folder;
    for (auto _ : state) {
        state.PauseTiming();
        resetModules(folder);
        state.ResumeTiming();
        std::unique_ptr<frmPelimo> window = startWindow();
        benchmark::DoNotOptimize(window.get());
        state.PauseTiming();
        if (HistoryList.Count != gHistoryEntries || ContactList.Count != kContacts) {
            state.SkipWithError("the stores did not load");
        }
        window.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = double(statusKilobytes("VmHWM")) / 1024.0;
}
BENCHMARK(BM_MainWindowStartup)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3);

int runOnce() {
    const ProgramFolder folder;
    resetModules(folder);
    // The peak starts again from the present size: generating the files does not count.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = statusKilobytes("VmRSS");
    const auto begin = std::chrono::steady_clock::now();
    // Each start-up step with the time at which it began.
    frmPelimo::setStepProbe([begin](const QString& step) {
        std::printf(
            "  %7.1f ms  %s\n",
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                .count(),
            qPrintable(step));
    });
    std::unique_ptr<frmPelimo> window = startWindow();
    const auto shown = std::chrono::steady_clock::now();
    std::printf("start-up until shown: %.1f ms (%d contacts, %d history entries)\n",
                std::chrono::duration<double, std::milli>(shown - begin).count(),
                int(ContactList.Count), int(HistoryList.Count));
    std::printf("peak resident size: %.1f MB (%.1f MB resident before the window)\n",
                double(statusKilobytes("VmHWM")) / 1024.0, double(before) / 1024.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DialogSeam::setScripted(true);
    gHistoryEntries = benchHistoryEntries(argc, argv, gHistoryEntries);
    if (argc > 1 && std::strcmp(argv[1], "--once") == 0)
        return runOnce();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
