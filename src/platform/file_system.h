// File attribute queries with the Windows attribute bits the stores expect.
#pragma once

#include <QString>

namespace pelimo::platform {

inline constexpr int kInvalidFileAttributes = -1;
inline constexpr int kFileAttributeReadOnly = 0x01;
inline constexpr int kFileAttributeHidden = 0x02;
inline constexpr int kFileAttributeDirectory = 0x10;
inline constexpr int kFileAttributeArchive = 0x20;
inline constexpr int kFileAttributeNormal = 0x80;

// GetFileAttributesA: -1 when nothing exists at `path`, else the attribute bits.
int fileAttributes(const QString& path);

// The folder of the running executable, ending in "/".
QString executableFolder();

}  // namespace pelimo::platform
