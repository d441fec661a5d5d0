#include "platform/atomic_file.h"

#include <QFile>
#include <QSaveFile>

namespace pelimo::platform {

bool replaceFileAtomically(const QString& path, QByteArrayView contents, QString* error) {
    QSaveFile file(path);
    // A missing or unwritable folder is reported by open(); a full disk by write() or commit().
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    if (file.write(contents.data(), contents.size()) != contents.size()) {
        if (error) *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

std::optional<QByteArray> readWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return bytes;
}

}  // namespace pelimo::platform
