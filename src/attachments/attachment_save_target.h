// Where a received attachment may be saved. Its name comes from the network, so only a plain file
// name is taken from it; the program's own folders never receive it, whatever the user picks.
#pragma once

#include <QString>

namespace AttachmentSaveTarget {

// The folder the save dialog starts in: the user's download folder (XDG user dirs), else the home
// folder; it ends with "/".
QString folder();

// The file name to propose for `attachmentPath`: its last part (after the last backslash or
// slash) without control characters, cut to 255 bytes with its extension kept. Empty when nothing
// usable is left, "." and ".." included.
QString safeFileName(const QString& attachmentPath);

// Whether `path` lies in one of the program's own folders: the application folder, the folder of
// the executable, the user's data folder and the installed defaults. Symbolic links are followed
// both for the folder holding `path` and for `path` itself.
bool isInProgramFolders(const QString& path);

}  // namespace AttachmentSaveTarget
