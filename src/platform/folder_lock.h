// An advisory lock on a folder, held by one process at a time: the copy of the program that owns
// the stores of that folder. The folder is locked rather than a file in it because the stores are
// replaced by renaming, and a lock on the old file would not cover the new one.
#pragma once

#include <QString>

namespace pelimo::platform {

class FolderLock {
public:
    enum class Result { Locked, HeldElsewhere, Failed };

    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock of `folder` without waiting. HeldElsewhere when another holder (another
    // process, or another FolderLock of this one) has it; Failed when the folder cannot be opened.
    Result lock(const QString& folder);
    void unlock();
    bool isLocked() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace pelimo::platform
