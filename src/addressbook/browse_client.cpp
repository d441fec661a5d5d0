#include "addressbook/browse_client.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include "addressbook/detection_stop.h"

namespace {

constexpr char kHelperName[] = "pelimo-browse";
constexpr int kStartTimeoutMs = 5000;
constexpr int kEndTimeoutMs = 1000;

}  // namespace

QString BrowseClient::helperProgram() {
    const QString folder = QCoreApplication::applicationDirPath();
    const QString candidates[] = {
        folder + u'/' + QLatin1String(kHelperName),
        QDir::cleanPath(folder + u'/' + QLatin1String(PELIMO_BROWSE_HELPER_FROM_BINDIR)),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    }
    return QString();
}

BrowseClient::BrowseClient(QString program, BrowseLimits limits)
    : program_(std::move(program)), limits_(limits) {}

BrowseClient::~BrowseClient() {
    kill();
}

void BrowseClient::begin() {
    kill();
    givenUp_ = false;
    walk_.start();
}

bool BrowseClient::start(QString& error) {
    if (program_.isEmpty()) {
        error = QStringLiteral("%1 is missing").arg(QLatin1String(kHelperName));
        return false;
    }
    process_ = std::make_unique<QProcess>();
    process_->setStandardErrorFile(QProcess::nullDevice());
    process_->start(program_, {});
    if (!process_->waitForStarted(kStartTimeoutMs)) {
        error = process_->errorString();
        kill();
        return false;
    }
    return true;
}

bool BrowseClient::list(const QString& url, std::vector<SmbEntry>& entries, QString& error) {
    entries.clear();
    if (!walk_.isValid())
        walk_.start();
    const qint64 walkLeft = limits_.walkTimeoutMs - walk_.elapsed();
    if (givenUp_ || walkLeft <= 0 || DetectionStop::instance().requested()) {
        givenUp_ = true;
        error = QStringLiteral("browsing ended");
        return false;
    }
    if (!process_ && !start(error)) {
        givenUp_ = true;
        return false;
    }
    BrowseReplyReader reader;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(process_.get(), &QProcess::readyReadStandardOutput, &loop, [&] {
        if (reader.feed(process_->readAllStandardOutput()) != BrowseReplyReader::State::Reading)
            loop.quit();
    });
    QObject::connect(process_.get(), &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&DetectionStop::instance(), &DetectionStop::stopRequested, &loop,
                     &QEventLoop::quit);
    process_->write(url.toUtf8() + '\n');
    timer.start(static_cast<int>(std::min<qint64>(walkLeft, limits_.listTimeoutMs)));
    // Output already waiting (or an exit already seen) would give no further signal.
    if (process_->bytesAvailable() > 0)
        reader.feed(process_->readAllStandardOutput());
    if (reader.state() == BrowseReplyReader::State::Reading &&
        process_->state() == QProcess::Running && !DetectionStop::instance().requested())
        loop.exec();
    switch (reader.state()) {
        case BrowseReplyReader::State::Ended:
            entries = reader.entries();
            return true;
        case BrowseReplyReader::State::Failed:
            error = reader.reason();
            return false;
        case BrowseReplyReader::State::Broken:
            error = QStringLiteral("%1: %2").arg(QLatin1String(kHelperName), reader.reason());
            break;
        case BrowseReplyReader::State::Reading:
            error =
                DetectionStop::instance().requested()
                    ? QStringLiteral("browsing stopped")
                    : QStringLiteral("%1 gave no answer in time").arg(QLatin1String(kHelperName));
            break;
    }
    givenUp_ = true;
    kill();
    return false;
}

void BrowseClient::end() {
    if (!process_)
        return;
    process_->closeWriteChannel();
    if (!process_->waitForFinished(kEndTimeoutMs))
        kill();
    process_.reset();
}

void BrowseClient::kill() {
    if (!process_)
        return;
    process_->disconnect();
    if (process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(kEndTimeoutMs);
    }
    process_.reset();
}
