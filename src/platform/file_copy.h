// Copying a local file in chunks with progress reports and cancellation. The destination is
// written under a temporary name in its own folder and renamed into place when complete, so a
// failed or cancelled copy leaves any earlier destination file as it was.
#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

namespace pelimo::platform {

enum class CopyOutcome { Copied, Failed, Cancelled };

// Called after each chunk with the bytes copied so far and the source's size; returning false
// cancels the copy.
using CopyProgress = std::function<bool(qint64 copied, qint64 total)>;

// Copies the file `source` to `destination`, replacing an existing file; a destination that is an
// existing folder receives the file under the source's name.
CopyOutcome copyFile(const QString& source, const QString& destination,
                     const CopyProgress& progress = {}, QString* error = nullptr);

}  // namespace pelimo::platform
