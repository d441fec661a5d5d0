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

bool replaceFileAtomically(const QString& path, QByteArrayView contents, QString* error) {
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        if (error)
            *error = systemError("create");
        return false;
    }
    // The new file keeps the old one's permissions; a new store is readable by its owner's group.
    struct stat old {};
    const mode_t mode = ::stat(target.constData(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    const bool written = ::fchmod(fd, mode) == 0 && writeAll(fd, contents) && ::fsync(fd) == 0;
    const QString writeError = written ? QString() : systemError("write");
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.constData(), target.constData()) != 0) {
        if (error)
            *error = !writeError.isEmpty() ? writeError : systemError("replace");
        ::unlink(temporary.constData());
        return false;
    }
    return true;
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
