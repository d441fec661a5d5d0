// Plain file work shared by the stores and windows: existence test, copy (with a progress window
// and Cancel for long copies), deletion for good, and whole text files in the ANSI code page.
#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

#include "platform/file_copy.h"

// GetFileAttributesA: -1 when nothing exists at `path`, else its attribute bits.
int gFctGetFileAttributes(const QString& path);

// The length in bytes of the file at `path`; 0 when it is missing or cannot be read.
qint64 gFctGetFileLength(const QString& path);

// Copies `source` over `destination` (an existing file is replaced without a question). The
// destination appears only once it is complete. 0 on success, -1 on failure; a copy cancelled in
// its progress window shows "Operation Failed,(ShFileCopy)." and gives -1.
qint16 ShFileCopy(const QString& source, const QString& destination);

// Deletes the file at `path` for good (no recycle bin). 0 on success, -1 on failure.
qint16 ShFileDelete(const QString& path);

// Reads the whole file as Windows-1252 text. 1 when the file exists (`text` then holds what could
// be read), 0 with an empty `text` when it does not.
int gFctLoadTextFile(const QString& path, QString& text);

// Replaces the file by `text` in Windows-1252, atomically: the old file stays whole until the new
// one is complete. 1 when saved; when it cannot be written the old file stays as it was, the user
// is told in a message box ("Error Saving File !") and the result is 0.
int gFctSaveTextFile(const QString& path, const QString& text);

// The progress window of a long copy. The window layer installs a factory; without one (and in
// scripted tests) copies run without a window.
class CopyProgressWindow {
public:
    virtual ~CopyProgressWindow() = default;
    // Called with the bytes copied so far and the total; false when the user cancelled.
    virtual bool progress(qint64 copied, qint64 total) = 0;
};

using CopyProgressFactory = std::function<std::unique_ptr<CopyProgressWindow>()>;

// Copies a file from a network path ("\\server\share\..."), reporting progress like a local
// copy. The attachments layer installs it; without one, copies from network paths fail.
using NetworkFileCopy =
    std::function<pelimo::platform::CopyOutcome(const QString& source, const QString& destination,
                                                const pelimo::platform::CopyProgress& progress)>;

namespace FileOperations {

void setCopyProgressFactory(CopyProgressFactory factory);
void setNetworkFileCopy(NetworkFileCopy copy);

}  // namespace FileOperations
