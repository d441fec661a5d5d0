// The cost an attachment adds to a send: turning the chosen file's path into its network path
// through this computer's Samba shares, with the configuration read again for every send (its
// file touched before each one, as every send did before the shares were kept) and kept.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "attachments/unc_name.h"
#include "mainwindow/send_rules.h"

namespace {

struct SharedFolder {
    QTemporaryDir dir;
    QString config;
    QString file;
    SharedFolder() {
        QDir(dir.path()).mkpath(QStringLiteral("pub"));
        QDir(dir.path()).mkpath(QStringLiteral("usershares"));
        config = dir.filePath(QStringLiteral("smb.conf"));
        file = dir.filePath(QStringLiteral("pub/report.odt"));
        QFile out(config);
        out.open(QIODevice::WriteOnly);
        out.write("[global]\nnetbios name = BENCH\nusershare path = " +
                  dir.filePath(QStringLiteral("usershares")).toUtf8() +
                  "\n[pub]\npath = " + dir.filePath(QStringLiteral("pub")).toUtf8() + "\n");
        out.close();
        QFile(file).open(QIODevice::WriteOnly);
        UncNameSources sources;
        sources.shares.config.configFile = config;
        UncNames::setSources(sources);
    }
    ~SharedFolder() { UncNames::reset(); }
};

void convertOnce(const SharedFolder& folder, benchmark::State& state) {
    const AttachmentConversion conversion = SendRules::convertAttachment(folder.file);
    if (conversion.path != QStringLiteral("\\\\BENCH\\pub\\report.odt"))
        state.SkipWithError(
            qPrintable(QStringLiteral("unexpected path: ") + conversion.path + conversion.warning));
    benchmark::DoNotOptimize(conversion);
}

void BM_AttachmentConversionConfigurationChanged(benchmark::State& state) {
    SharedFolder folder;
    long stamp = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const timespec times[2] = {{1000000, ++stamp}, {1000000, stamp}};
        utimensat(AT_FDCWD, QFile::encodeName(folder.config).constData(), times, 0);
        state.ResumeTiming();
        convertOnce(folder, state);
    }
}
BENCHMARK(BM_AttachmentConversionConfigurationChanged)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

void BM_AttachmentConversionConfigurationKept(benchmark::State& state) {
    SharedFolder folder;
    convertOnce(folder, state);  // the first send reads the configuration
    for (auto _ : state)
        convertOnce(folder, state);
}
BENCHMARK(BM_AttachmentConversionConfigurationKept)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
