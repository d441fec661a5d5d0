#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <vector>

namespace pelimo::platform {
namespace {

constexpr qint64 kChunkBytes = 1 << 20;

QString systemError(const char* step) {
    return QString::fromLatin1(step) + QStringLiteral(": ") +
           QString::fromLocal8Bit(std::strerror(errno));
}

// Closes a descriptor and removes the temporary file unless released.
class TemporaryFile {
public:
    explicit TemporaryFile(QByteArray pattern) : name_(std::move(pattern)) {
        fd_ = ::mkstemp(name_.data());
    }
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!kept_)
            ::unlink(name_.constData());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }
    const QByteArray& name() const { return name_; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }
    void keep() { kept_ = true; }

private:
    QByteArray name_;
    int fd_ = -1;
    bool kept_ = false;
};

bool writeAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

CopyOutcome copyFile(const QString& source, const QString& destination,
                     const CopyProgress& progress, QString* error) {
    auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return CopyOutcome::Failed;
    };
    QString target = destination;
    if (QFileInfo(destination).isDir()) {
        target = destination + (destination.endsWith(u'/') ? QString() : QStringLiteral("/")) +
                 QFileInfo(source).fileName();
    }
    QFile input(source);
    if (QFileInfo(source).isDir() || !input.open(QIODevice::ReadOnly)) {
        return fail(QStringLiteral("open: ") + input.errorString());
    }
    const qint64 total = input.size();
    TemporaryFile output(QFile::encodeName(target) + ".XXXXXX");
    if (output.fd() < 0)
        return fail(systemError("create"));
    struct stat sourceStat {};
    if (::fstat(input.handle(), &sourceStat) == 0)
        ::fchmod(output.fd(), sourceStat.st_mode & 0777);

    std::vector<char> chunk(static_cast<std::size_t>(kChunkBytes));
    qint64 copied = 0;
    if (progress && !progress(copied, total))
        return CopyOutcome::Cancelled;
    for (;;) {
        const qint64 read = input.read(chunk.data(), kChunkBytes);
        if (read < 0)
            return fail(QStringLiteral("read: ") + input.errorString());
        if (read == 0)
            break;
        if (!writeAll(output.fd(), chunk.data(), read))
            return fail(systemError("write"));
        copied += read;
        if (progress && !progress(copied, total))
            return CopyOutcome::Cancelled;
    }
    if (::fsync(output.fd()) != 0)
        return fail(systemError("flush"));
    if (!output.close())
        return fail(systemError("close"));
    if (::rename(output.name().constData(), QFile::encodeName(target).constData()) != 0) {
        return fail(systemError("replace"));
    }
    output.keep();
    return CopyOutcome::Copied;
}

}  // namespace pelimo::platform
