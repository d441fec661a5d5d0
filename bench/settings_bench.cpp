// Loading Settings.ini, and writing the 501 keys of a 100-contact file in one batch versus one
// write at a time (each single write replaces the whole file).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "platform/profile_file.h"
#include "seam/dialog_seam.h"
#include "stores/application.h"
#include "stores/settings.h"

using namespace pelimo::platform;

namespace {

constexpr const char* kStems[] = {"UserName", "UserComputerName", "UserGroupName",
                                  "UserPicturePath", "UserSoundPath"};

template <class Write>
void writeContacts(Write&& write) {
    write(QStringLiteral("UserNumber"), QStringLiteral("100"));
    for (int position = 1; position <= 100; ++position) {
        const QString number = QStringLiteral("%1").arg(position, 3, 10, QChar(u'0'));
        for (const char* stem : kStems) {
            write(QString::fromLatin1(stem) + number,
                  QStringLiteral("value of contact %1 for %2").arg(position).arg(stem));
        }
    }
}

void BM_LoadSettingsIni(benchmark::State& state) {
    QTemporaryDir dir;
    Application::setFolder(dir.path());
    gLoadSettingsIni();
    Settings.Signup = QStringLiteral("Best regards\r\nThe team");
    gSaveSettingsIni();
    for (auto _ : state) {
        gLoadSettingsIni();
        benchmark::DoNotOptimize(Settings.MessageChannel);
    }
}
BENCHMARK(BM_LoadSettingsIni)->Unit(benchmark::kMicrosecond);

void BM_ContactsFileOneBatch(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("User.dat"));
    for (auto _ : state) {
        ProfileBatch batch(path);
        writeContacts([&](const QString& key, const QString& value) {
            batch.write(u"UserSetting", key, value);
        });
        if (!batch.commit())
            state.SkipWithError("commit failed");
    }
}
BENCHMARK(BM_ContactsFileOneBatch)->Unit(benchmark::kMillisecond);

void BM_ContactsFileSingleWrites(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("User.dat"));
    for (auto _ : state) {
        writeContacts([&](const QString& key, const QString& value) {
            writePrivateProfileString(u"UserSetting", key, value, path);
        });
    }
}
BENCHMARK(BM_ContactsFileSingleWrites)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    DialogSeam::setScripted(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
