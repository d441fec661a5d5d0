#include "attachments/network_copy.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QHostAddress>
#include <QTimer>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/network_path.h"
#include "seam/dialog_seam.h"
#include "stores/application.h"
#include "stores/file_operations.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"

using namespace pelimo::platform;

namespace {

constexpr int kProgressIntervalMs = 50;

QString& lastErrorSlot() {
    static QString error;
    return error;
}

CopyFailure& lastFailureSlot() {
    static CopyFailure failure = CopyFailure::None;
    return failure;
}

// A copy under way, which the shutdown can stop.
struct RunningCopy {
    SmbFetchControl& control;
    bool stoppedForShutdown = false;
};

std::vector<RunningCopy*>& runningCopies() {
    static std::vector<RunningCopy*> copies;
    return copies;
}

// Lists a copy for as long as it runs.
class RunningCopyScope {
public:
    explicit RunningCopyScope(RunningCopy& copy) : copy_(copy) {
        runningCopies().push_back(&copy_);
    }
    ~RunningCopyScope() { std::erase(runningCopies(), &copy_); }
    RunningCopyScope(const RunningCopyScope&) = delete;
    RunningCopyScope& operator=(const RunningCopyScope&) = delete;

private:
    RunningCopy& copy_;
};

ComputerNameResolver& resolverOverride() {
    static ComputerNameResolver resolver;
    return resolver;
}

// The address to connect to: the server when it is an address, else the address its name
// resolves to; nothing for a computer that cannot be found.
std::optional<QString> connectAddress(const QString& server) {
    if (!QHostAddress(server).isNull())
        return server;
    const ComputerNameResolver resolver =
        resolverOverride() ? resolverOverride() : LocalComputerName::resolver();
    if (const auto address = resolver(server))
        return QHostAddress(*address).toString();
    return std::nullopt;
}

struct FetchAttempt {
    SmbFetchResult result;
    CopyFailure failure = CopyFailure::None;
};

// One fetch on its own thread; the calling thread keeps handling events and reports progress.
FetchAttempt fetchWhileHandlingEvents(const NetworkPath& path, const QString& destination,
                                      const std::optional<SmbCredentials>& credentials,
                                      const CopyProgress& progress) {
    SmbFetchControl control;
    RunningCopy running{control};
    const RunningCopyScope listed(running);
    std::atomic<bool> done{false};
    FetchAttempt attempt;
    SmbFetchResult& result = attempt.result;
    QEventLoop loop;
    std::thread worker([&] {
        if (const auto address = connectAddress(path.server)) {
            result = fetchSmbFile(smbUrlOf(path, *address), destination, credentials, control);
            attempt.failure = CopyFailures::classify(result);
        } else {
            result = {SmbFetchStatus::Failed, QStringLiteral("unknown computer ") + path.server};
            attempt.failure = CopyFailure::NameNotFound;
        }
        done = true;
        // Wakes the loop at once instead of at its next tick.
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (progress && !control.cancel &&
            !progress(control.copied, std::max<qint64>(control.total, 0))) {
            control.cancel = true;
        }
        if (done)
            loop.quit();
    });
    tick.start(kProgressIntervalMs);
    if (!done)
        loop.exec();
    worker.join();
    if (result.status == SmbFetchStatus::Copied && progress)
        progress(control.copied, control.copied);
    // The program is ending: a plain failure, so nothing asks about the cancel or tries again.
    if (running.stoppedForShutdown && result.status != SmbFetchStatus::Copied) {
        result = {SmbFetchStatus::Failed, QStringLiteral("stopped by the shutdown")};
        attempt.failure = CopyFailure::Cancelled;
    }
    return attempt;
}

std::optional<SmbCredentials> askCredentials(const NetworkPath& path) {
    SmbCredentials credentials;
    const QString share = QStringLiteral("\\\\") + path.server + u'\\' + path.share;
    if (!DialogSeam::askCredentials(
            QString::fromLatin1(kApplicationName),
            gFctGetMessage(Msg::ShareAsksCredentials) + u'\n' + share,
            {gFctGetMessage(Msg::ShareUserName), gFctGetMessage(Msg::SharePassword)},
            credentials.user, credentials.password)) {
        return std::nullopt;
    }
    // "DOMAIN\user" names the user's domain or workgroup.
    const qsizetype slash = credentials.user.indexOf(u'\\');
    if (slash > 0) {
        credentials.workgroup = credentials.user.left(slash);
        credentials.user = credentials.user.mid(slash + 1);
    }
    return credentials;
}

CopyOutcome outcomeOf(SmbFetchStatus status) {
    switch (status) {
        case SmbFetchStatus::Copied:
            return CopyOutcome::Copied;
        case SmbFetchStatus::Cancelled:
            return CopyOutcome::Cancelled;
        case SmbFetchStatus::Failed:
        case SmbFetchStatus::AccessDenied:
            break;
    }
    return CopyOutcome::Failed;
}

}  // namespace

CopyOutcome NetworkCopy::copyFrom(const QString& source, const QString& destination,
                                  const CopyProgress& progress) {
    const std::optional<NetworkPath> path = parseNetworkPath(source);
    if (!path || destination.isEmpty()) {
        lastErrorSlot() = QStringLiteral("not a usable network path: ") + source;
        lastFailureSlot() = CopyFailure::InvalidPath;
        return CopyOutcome::Failed;
    }
    QString target = destination;
    if (QFileInfo(destination).isDir()) {
        target = destination + (destination.endsWith(u'/') ? QString() : QStringLiteral("/")) +
                 path->components.last();
    }
    FetchAttempt attempt = fetchWhileHandlingEvents(*path, target, std::nullopt, progress);
    if (attempt.result.status == SmbFetchStatus::AccessDenied) {
        if (const auto credentials = askCredentials(*path))
            attempt = fetchWhileHandlingEvents(*path, target, credentials, progress);
    }
    lastErrorSlot() = attempt.result.error;
    lastFailureSlot() = attempt.failure;
    return outcomeOf(attempt.result.status);
}

QString NetworkCopy::lastError() {
    return lastErrorSlot();
}

CopyFailure NetworkCopy::lastFailure() {
    return lastFailureSlot();
}

void NetworkCopy::cancelAll() noexcept {
    for (RunningCopy* copy : runningCopies()) {
        copy->stoppedForShutdown = true;
        copy->control.cancel = true;
    }
}

void NetworkCopy::install() {
    FileOperations::setNetworkFileCopy(NetworkCopy::copyFrom);
}

void NetworkCopy::setResolver(ComputerNameResolver resolver) {
    resolverOverride() = std::move(resolver);
}
