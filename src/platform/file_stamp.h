// The modification time and size of a file, to tell whether what was read from it is still
// current without reading it again.
#pragma once

#include <sys/stat.h>

#include <QFile>
#include <QString>
#include <cstdint>

namespace pelimo::platform {

struct FileStamp {
    bool exists = false;
    std::int64_t modifiedNs = 0;
    std::int64_t size = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};

inline FileStamp fileStamp(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {.exists = true,
            .modifiedNs = std::int64_t(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec,
            .size = std::int64_t(status.st_size),
            .inode = std::uint64_t(status.st_ino)};
}

}  // namespace pelimo::platform
