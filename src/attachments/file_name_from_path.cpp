#include "attachments/file_name_from_path.h"

QString gFctGetFileNameFromPathFileName(const QString& path) {
    // Any length: a path longer than a 16-bit counter reaches is walked like a short one.
    const qsizetype backslash = path.lastIndexOf(u'\\');
    if (backslash < 0)
        return {};
    return path.mid(backslash + 1);
}
