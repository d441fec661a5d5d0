// ModGlobal: the file name at the end of a network path.
#pragma once

#include <QString>

// The characters after the last backslash of `path`; empty when it has no backslash or ends
// with one.
QString gFctGetFileNameFromPathFileName(const QString& path);
