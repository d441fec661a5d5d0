#include "stores/history_file.h"

#include <fcntl.h>

#include <QFile>
#include <algorithm>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/file_system.h"
#include "platform/folder_lock.h"
#include "seam/dialog_seam.h"
#include "stores/application.h"
#include "stores/file_operations.h"
#include "stores/history_format.h"

namespace {

// Bytes of the file an entry takes, about, in a history of short messages: the table is reserved
// for that many entries so that it seldom moves while loading (untouched slots cost no memory).
constexpr qint64 kReservedBytesPerEntry = 128;
// The rewrite hands the file this many bytes at a time.
constexpr qsizetype kWriteChunk = qsizetype{1} << 20;

// What the loader knows about the file on disk.
struct HistoryFileState {
    bool unreadable = false;       // the file exists but could not be read whole: never replace it
    bool needsRewrite = false;     // its end is not a clean entry boundary: append by rewriting
    bool saveFailureTold = false;  // the user heard about a failed rewrite already
};
HistoryFileState fileState;

// The lock of the application folder; readOnly when another copy holds it.
struct HistoryLock {
    pelimo::platform::FolderLock folder;
    bool readOnly = false;
};
HistoryLock& historyLock() {
    static HistoryLock lock;
    return lock;
}

QString historyPath() {
    return gApplicationFolder + QString::fromLatin1(kHistoryFileName);
}

// Adds entry `number` of HistoryList to `buffer`; false when its message could not be read.
bool addStored(HistoryFormat::EntryWriter& buffer, qint32 number) {
    QByteArrayView texts[HistoryFormat::kTextItems];
    if (!HistoryList.entryBytes(number, texts))
        return false;
    buffer.add(HistoryList.kind(number), texts, HistoryList.state(number));
    return true;
}

bool historyReadOnly() {
    return historyLock().readOnly;
}

// Replaces the file by the whole table, handing it over in chunks; false when it could not be
// written.
bool rewriteHistoryFile() {
    pelimo::platform::AtomicFileWriter file(historyPath());
    HistoryFormat::EntryWriter buffer;
    for (qint32 number = 1; number <= HistoryList.Count && file.isOpen(); ++number) {
        HistoryList.replaceQuotes(number);
        // A message that cannot be read from the kept file would be lost: the old file stays.
        if (!addStored(buffer, number))
            return false;
        if (buffer.size() >= kWriteChunk) {
            file.write(buffer.bytes());
            buffer.clear();
        }
    }
    if (!file.write(buffer.bytes()) || !file.commit())
        return false;
    fileState.needsRewrite = false;
    return true;
}

}  // namespace

void gLoadHistoric() {
    HistoryList = HistoryListData{};
    fileState.unreadable = false;
    fileState.needsRewrite = false;
    const QString path = historyPath();
    if (gFctGetFileAttributes(path) == pelimo::platform::kInvalidFileAttributes)
        return;
    // The descriptor stays with the table: the messages are read from it when needed.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        fileState.unreadable = true;
        return;
    }
    HistoryList.keepFile(fd);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)) {
        fileState.unreadable = true;
        return;
    }
    try {
        HistoryList.reserve(file.size() / kReservedBytesPerEntry);
        const HistoryFormat::ReadOutcome outcome =
            HistoryFormat::read(file, [](const HistoryFormat::RawEntry& entry) {
                HistoryList.addBytes(entry.kind, entry.texts, entry.state, entry.textAt);
            });
        fileState.unreadable = outcome.failed;
        fileState.needsRewrite = !outcome.cleanEnd;
    } catch (...) {
        // Out of memory: keep what was read, and never replace a file only partly in memory.
        fileState.unreadable = true;
    }
}

void HistoryStore::appendFrom(qint32 first) {
    try {
        first = std::max(first, 1);
        if (historyReadOnly() || first > HistoryList.Count)
            return;
        for (qint32 number = first; number <= HistoryList.Count; ++number)
            HistoryList.replaceQuotes(number);
        // After a damaged end, an appended entry could be read as part of the damage: the file is
        // written whole instead, from the table, which holds everything that could be read.
        if (fileState.needsRewrite && !fileState.unreadable && rewriteHistoryFile())
            return;
        HistoryFormat::EntryWriter buffer;
        for (qint32 number = first; number <= HistoryList.Count; ++number) {
            if (!addStored(buffer, number)) {
                fileState.needsRewrite = true;
                return;
            }
        }
        // A partly written entry would spoil the next one: the next save writes the file whole.
        if (!pelimo::platform::appendFileDurably(historyPath(), buffer.bytes()))
            fileState.needsRewrite = true;
    } catch (...) {
        fileState.needsRewrite = true;
    }
}

void gAppendHistoric() {
    HistoryStore::appendFrom(HistoryList.Count);
}

bool HistoryStore::lock() {
    using pelimo::platform::FolderLock;
    HistoryLock& lock = historyLock();
    lock.readOnly = lock.folder.lock(gApplicationFolder) == FolderLock::Result::HeldElsewhere;
    return !lock.readOnly;
}

void gSaveHistoric() {
    // Another copy owns the file: it was said at start-up that this one keeps no history.
    if (historyReadOnly())
        return;
    bool saved = false;
    try {
        // A file that could not be read is not in memory; replacing it would lose it.
        saved = !fileState.unreadable && rewriteHistoryFile();
    } catch (...) {
        saved = false;
    }
    if (!saved && !fileState.saveFailureTold) {
        fileState.saveFailureTold = true;
        DialogSeam::messageBox(QStringLiteral("Error Saving History Data !\n") + historyPath(),
                               MsgBoxButtons::Ok, MsgBoxIcon::Exclamation,
                               QString::fromLatin1(kApplicationName));
    }
}

void gDeleteHistoricMessage(qint32 number) {
    HistoryList.remove(number);
}

int gFctDeleteHistoricFile() {
    if (historyReadOnly())
        return 0;
    try {
        return ShFileDelete(historyPath()) == 0 ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

void HistoryStore::reset() {
    HistoryList = HistoryListData{};
    fileState = HistoryFileState{};
    historyLock().folder.unlock();
    historyLock().readOnly = false;
}
