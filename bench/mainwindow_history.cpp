// The history panel and history printing with large histories, offscreen.
// --entries=N sets the size of the panel's history (100 000 by default).
//   bench_mainwindow_history [benchmark options]   opening the panel with 100 000 entries until
//                                                  the grid has painted its rows, sorting by
//                                                  sender, arrival and text, and printing a
//                                                  10 000-entry history into a PDF file
//   bench_mainwindow_history --memory              the resident memory the first opening adds
//   bench_mainwindow_history --pdf FILE            prints the 10 000-entry history into FILE
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPrinter>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/window_part.h"
#include "mainwindow/frmPelimo.h"
#include "mainwindow/history_table_model.h"
#include "mainwindow/print_layouts.h"
#include "mainwindow/print_surface.h"
#include "process_memory.h"
#include "seam/dialog_seam.h"
#include "stores/application.h"
#include "stores/history_file.h"
#include "stores_history_generator.h"
#include "ui/artwork.h"

namespace {

int gPanelEntries = 100000;
constexpr int kPrintedEntries = 10000;

// Loads a generated history of `entries` entries into HistoryList.
void loadHistory(int entries) {
    static QTemporaryDir folder;
    Application::setFolder(folder.path());
    if (!writeHistoryFile(folder.path() + QStringLiteral("/Histo.dat"), entries))
        std::exit(1);
    HistoryStore::reset();
    gLoadHistoric();
}

std::unique_ptr<frmPelimo> shownWindow() {
    auto window = std::make_unique<frmPelimo>();
    window->show();
    QCoreApplication::processEvents();
    return window;
}

// Opens the panel and waits until the grid has painted.
void openPanel(frmPelimo& window) {
    window.lblMenuHistoric_Click();
    part<QTableView>(window, "MSFlexGrid1")->viewport()->repaint();
}

void BM_OpenHistoryPanel(benchmark::State& state) {
    loadHistory(gPanelEntries);
    auto window = shownWindow();
    for (auto _ : state) {
        openPanel(*window);
        state.PauseTiming();
        window->lblMenuSendMessage_Click();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenHistoryPanel)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5);

// Sorting by the column given (1 sender, 2 text, 5 arrival), from the order of another sort.
void BM_SortHistory(benchmark::State& state) {
    loadHistory(gPanelEntries);
    auto window = shownWindow();
    openPanel(*window);
    const int column = static_cast<int>(state.range(0));
    const int other =
        column == HistoryColumn::Number ? HistoryColumn::Sender : HistoryColumn::Number;
    for (auto _ : state) {
        state.PauseTiming();
        window->MSFlexGrid1_HeadingClick(other);
        state.ResumeTiming();
        window->MSFlexGrid1_HeadingClick(column);
        part<QTableView>(*window, "MSFlexGrid1")->viewport()->repaint();
    }
}
BENCHMARK(BM_SortHistory)
    ->ArgName("column")
    ->Arg(HistoryColumn::Sender)
    ->Arg(HistoryColumn::Number)
    ->Arg(HistoryColumn::Text)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(5);

int printHistory(const QString& file) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    PrintSurface surface(printer, file);
    const Letterhead head{Artwork::picture(QString::fromLatin1(Artwork::kLetterhead)),
                          QSize(5595, 600)};
    gFctHistoriquePrint(surface, head, HistoryList);
    return surface.pageCount();
}

void BM_PrintHistoryToPdf(benchmark::State& state) {
    loadHistory(kPrintedEntries);
    const QTemporaryDir folder;
    int pages = 0;
    for (auto _ : state)
        pages = printHistory(folder.path() + QStringLiteral("/history.pdf"));
    state.counters["pages"] = pages;
}
BENCHMARK(BM_PrintHistoryToPdf)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(5);

int measureMemory() {
    loadHistory(gPanelEntries);
    auto window = shownWindow();
    const long before = statusKilobytes("VmRSS");
    openPanel(*window);
    window->MTriSender_Click();
    window->MTriDate_Click();
    part<QTableView>(*window, "MSFlexGrid1")->viewport()->repaint();
    const long after = statusKilobytes("VmRSS");
    std::printf("history panel with %d entries adds %.1f MB resident (%.1f -> %.1f MB)\n",
                int(HistoryList.Count), double(after - before) / 1024.0, double(before) / 1024.0,
                double(after) / 1024.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DialogSeam::setScripted(true);
    gPanelEntries = benchHistoryEntries(argc, argv, gPanelEntries);
    if (argc > 1 && std::strcmp(argv[1], "--memory") == 0)
        return measureMemory();
    if (argc > 2 && std::strcmp(argv[1], "--pdf") == 0) {
        loadHistory(kPrintedEntries);
        std::printf("%d pages\n", printHistory(QString::fromLocal8Bit(argv[2])));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
