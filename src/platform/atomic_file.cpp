#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>
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

}  // namespace

AtomicFileWriter::AtomicFileWriter(const QString& path)
    : target_(QFile::encodeName(path)), temporary_(target_ + ".XXXXXX") {
    fd_ = ::mkstemp(temporary_.data());
    if (fd_ < 0) {
        error_ = systemError("create");
        return;
    }
    // The new file keeps the old one's permissions; a new store is readable by its owner's group.
    struct stat old {};
    const mode_t mode = ::stat(target_.constData(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fd_, mode) != 0) {
        error_ = systemError("create");
        discard();
    }
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
        error_ = systemError("write");
        discard();
        return false;
    }
    return true;
}

bool AtomicFileWriter::commit() {
    if (fd_ < 0)
        return false;
    if (::fsync(fd_) != 0) {
        error_ = systemError("write");
        discard();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || ::rename(temporary_.constData(), target_.constData()) != 0) {
        error_ = systemError("replace");
        ::unlink(temporary_.constData());
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
