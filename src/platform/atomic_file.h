// Whole-file reads and atomic whole-file replacement: a store is never left half-written.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace pelimo::platform {

// Writes a temporary file beside `path`, syncs it and renames it over `path`. A short write
// (full disk) fails instead of leaving a cut file.
// On any failure the old file stays as it was; `error` gets the reason.
bool replaceFileAtomically(const QString& path, QByteArrayView contents, QString* error = nullptr);

// The whole content of a file, or nothing when it cannot be opened or read.
std::optional<QByteArray> readWholeFile(const QString& path);

}  // namespace pelimo::platform
