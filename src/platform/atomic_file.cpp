#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace pelimo::platform {
namespace {

QString systemError(const char* step) {
    return QString::fromLatin1(step) + QStringLiteral(": ") +
           QString::fromLocal8Bit(std::strerror(errno));
}

// Writes everything or fails; a short write (full disk, size limit) is a failure.
bool writeAll(int fd, QByteArrayView contents) {
    qsizetype done = 0;
    while (done < contents.size()) {
        const ssize_t written =
            ::write(fd, contents.data() + done, static_cast<size_t>(contents.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        done += written;
    }
    return true;
}

// The folder part of an encoded path ("." when it has none).
QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

// Makes a rename or a creation in the folder of `path` durable. A file system that cannot sync
// folders (EINVAL) is taken as done.
bool syncFolderOf(const QByteArray& path) {
    const int fd = ::open(folderOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int savedErrno = errno;
    ::close(fd);
    errno = savedErrno;
    return synced;
}

// A file being written is handed to the disk in pieces of this size.
constexpr qint64 kWritebackBytes = qint64{8} << 20;

// The wall-clock time this module was loaded, at the start of the process.
const std::chrono::system_clock::time_point kProcessStart = std::chrono::system_clock::now();

// The characters mkstemp puts in place of "XXXXXX".
bool isTemporarySuffix(QByteArrayView suffix) {
    if (suffix.size() != 6)
        return false;
    for (const char c : suffix) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && !(c >= '0' && c <= '9'))
            return false;
    }
    return true;
}

bool changedBeforeProcessStart(const struct stat& info) {
    const auto changed = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(info.st_mtim.tv_sec) +
            std::chrono::nanoseconds(info.st_mtim.tv_nsec)));
    return changed < kProcessStart;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const QString& path)
    : target_(QFile::encodeName(path)), temporary_(target_ + ".XXXXXX") {
    fd_ = ::mkstemp(temporary_.data());
    if (fd_ < 0) {
        fail("create");
        return;
    }
    // The new file keeps the old one's permissions; a new store is readable by its owner's group.
    struct stat old {};
    const mode_t mode = ::stat(target_.constData(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fd_, mode) != 0) {
        fail("create");
        discard();
    }
}

void AtomicFileWriter::fail(const char* step) {
    errorNumber_ = errno;
    error_ = systemError(step);
}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

void AtomicFileWriter::discard() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    ::unlink(temporary_.constData());
    fd_ = -1;
}

bool AtomicFileWriter::write(QByteArrayView bytes) {
    if (fd_ < 0)
        return false;
    if (!writeAll(fd_, bytes)) {
        fail("write");
        discard();
        return false;
    }
    written_ += bytes.size();
    if (written_ - handedOver_ >= kWritebackBytes)
        startWriteback();
    return true;
}

void AtomicFileWriter::startWriteback() {
    // The disk writes the new piece while the next one is produced; the piece before it is waited
    // for, so the dirty part stays small and commit()'s sync has only the last pieces to write.
    // These calls only pace the writing: whether the data reached the disk is commit()'s fsync to
    // say, so their failure (a file system without them) changes nothing.
    ::sync_file_range(fd_, handedOver_, written_ - handedOver_, SYNC_FILE_RANGE_WRITE);
    if (handedOver_ > settled_) {
        ::sync_file_range(
            fd_, settled_, handedOver_ - settled_,
            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        settled_ = handedOver_;
    }
    handedOver_ = written_;
}

bool AtomicFileWriter::commit() {
    if (fd_ < 0)
        return false;
    if (::fsync(fd_) != 0) {
        fail("write");
        discard();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || ::rename(temporary_.constData(), target_.constData()) != 0) {
        fail("replace");
        ::unlink(temporary_.constData());
        return false;
    }
    // Without this a power cut could bring back the old file.
    if (!syncFolderOf(target_)) {
        fail("sync folder");
        return false;
    }
    return true;
}

bool replaceFileAtomically(const QString& path, QByteArrayView contents, QString* error) {
    AtomicFileWriter file(path);
    if (file.write(contents) && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

bool appendFileDurably(const QString& path, QByteArrayView bytes, QString* error) {
    const QByteArray name = QFile::encodeName(path);
    const auto fail = [error](const char* step) {
        if (error)
            *error = systemError(step);
        return false;
    };
    bool created = false;
    int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        created = fd >= 0;
    }
    if (fd < 0)
        return fail("open");
    if (!writeAll(fd, bytes) || ::fdatasync(fd) != 0) {
        const int savedErrno = errno;
        ::close(fd);
        errno = savedErrno;
        return fail("write");
    }
    if (::close(fd) != 0)
        return fail("write");
    if (created && !syncFolderOf(name))
        return fail("sync folder");
    return true;
}

int removeStaleTemporaryFiles(const QStringList& paths) {
    int removed = 0;
    for (const QString& path : paths) {
        const QFileInfo target(path);
        const QByteArray folder = QFile::encodeName(target.absolutePath());
        const QByteArray prefix = QFile::encodeName(target.fileName()) + '.';
        DIR* dir = ::opendir(folder.constData());
        if (dir == nullptr)
            continue;
        while (const dirent* item = ::readdir(dir)) {
            const QByteArrayView name(item->d_name);
            if (!name.startsWith(prefix) || !isTemporarySuffix(name.sliced(prefix.size())))
                continue;
            const QByteArray file = folder + '/' + name.toByteArray();
            struct stat info {};
            if (::lstat(file.constData(), &info) != 0 || !S_ISREG(info.st_mode) ||
                info.st_uid != ::geteuid() || !changedBeforeProcessStart(info)) {
                continue;
            }
            if (::unlink(file.constData()) == 0)
                ++removed;
        }
        ::closedir(dir);
    }
    return removed;
}

std::optional<QByteArray> readWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

}  // namespace pelimo::platform
