#include "platform/file_system.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace pelimo::platform {

int fileAttributes(const QString& path) {
    if (path.isEmpty())
        return kInvalidFileAttributes;
    const QFileInfo info(path);
    if (!info.exists())
        return kInvalidFileAttributes;
    int attributes = 0;
    if (info.isDir())
        attributes |= kFileAttributeDirectory;
    if (!info.isWritable())
        attributes |= kFileAttributeReadOnly;
    if (info.isHidden())
        attributes |= kFileAttributeHidden;
    if (info.isFile())
        attributes |= kFileAttributeArchive;
    return attributes == 0 ? kFileAttributeNormal : attributes;
}

QString executableFolder() {
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

}  // namespace pelimo::platform
