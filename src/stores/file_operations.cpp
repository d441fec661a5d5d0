#include "stores/file_operations.h"

#include <QFile>
#include <QFileInfo>

#include "platform/ansi_codec.h"
#include "platform/atomic_file.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "seam/dialog_seam.h"
#include "stores/application.h"

namespace {

constexpr qint16 kShellSuccess = 0;
constexpr qint16 kShellFailure = -1;

CopyProgressFactory& progressFactory() {
    static CopyProgressFactory factory;
    return factory;
}

void showOperationFailed(const char* text) {
    DialogSeam::messageBox(QString::fromLatin1(text), MsgBoxButtons::Ok, MsgBoxIcon::None,
                           QString::fromLatin1(kApplicationName));
}

NetworkFileCopy& networkCopy() {
    static NetworkFileCopy copy;
    return copy;
}

// "\\server\share\..." (or with slashes): a file on another computer.
bool isNetworkPath(const QString& path) {
    return path.startsWith(QStringLiteral("\\\\")) || path.startsWith(QStringLiteral("//"));
}

}  // namespace

void FileOperations::setNetworkFileCopy(NetworkFileCopy copy) {
    networkCopy() = std::move(copy);
}

void FileOperations::setCopyProgressFactory(CopyProgressFactory factory) {
    progressFactory() = std::move(factory);
}

int gFctGetFileAttributes(const QString& path) {
    return pelimo::platform::fileAttributes(path);
}

qint16 ShFileCopy(const QString& source, const QString& destination) {
    using pelimo::platform::CopyOutcome;
    try {
        std::unique_ptr<CopyProgressWindow> window;
        if (progressFactory())
            window = progressFactory()();
        pelimo::platform::CopyProgress progress;
        if (window) {
            progress = [&window](qint64 copied, qint64 total) {
                return window->progress(copied, total);
            };
        }
        CopyOutcome outcome = CopyOutcome::Failed;
        if (!isNetworkPath(source)) {
            outcome = pelimo::platform::copyFile(source, destination, progress);
        } else if (networkCopy()) {
            outcome = networkCopy()(source, destination, progress);
        }
        window.reset();
        if (outcome == CopyOutcome::Cancelled) {
            showOperationFailed("Operation Failed,(ShFileCopy).");
            return kShellFailure;
        }
        return outcome == CopyOutcome::Copied ? kShellSuccess : kShellFailure;
    } catch (...) {
        return kShellFailure;
    }
}

qint16 ShFileDelete(const QString& path) {
    // Only files are deleted: a folder named by mistake is never removed with its contents.
    const QFileInfo info(path);
    if (path.isEmpty() || info.isDir() || !(info.exists() || info.isSymLink())) {
        return kShellFailure;
    }
    return QFile::remove(path) ? kShellSuccess : kShellFailure;
}

int gFctLoadTextFile(const QString& path, QString& text) {
    text.clear();
    if (gFctGetFileAttributes(path) == pelimo::platform::kInvalidFileAttributes)
        return 0;
    if (const auto bytes = pelimo::platform::readWholeFile(path)) {
        text = pelimo::platform::ansiToUnicode(*bytes);
    }
    return 1;
}

int gFctSaveTextFile(const QString& path, const QString& text) {
    QString error;
    if (pelimo::platform::replaceFileAtomically(path, pelimo::platform::unicodeToAnsi(text),
                                                &error)) {
        return 1;
    }
    // The old file stays whole; the user must know the text was not saved.
    DialogSeam::messageBox(QStringLiteral("Error Saving File !\n") + path + u'\n' + error,
                           MsgBoxButtons::Ok, MsgBoxIcon::Exclamation,
                           QString::fromLatin1(kApplicationName));
    return 0;
}

qint64 gFctGetFileLength(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.size();
}
