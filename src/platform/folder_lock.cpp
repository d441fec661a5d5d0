#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>

namespace pelimo::platform {

FolderLock::~FolderLock() {
    unlock();
}

FolderLock::Result FolderLock::lock(const QString& folder) {
    unlock();
    // flock belongs to the open file description: it lasts while this descriptor is open, and
    // the stores' own opening and closing of files never releases it.
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Result::Failed;
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const Result result = errno == EWOULDBLOCK ? Result::HeldElsewhere : Result::Failed;
        ::close(fd);
        return result;
    }
    fd_ = fd;
    return Result::Locked;
}

void FolderLock::unlock() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
}

}  // namespace pelimo::platform
