// Finding a data file whose stored path no longer exists: a Settings.ini or User.dat written on
// another computer names files by paths of that computer ("C:\...\orglng.lng"). Such a file is
// looked for by its name in the application folder and in its data folder.
#pragma once

#include <QString>

inline constexpr char kPictureFolderName[] = "Picture";
inline constexpr char kSoundFolderName[] = "Sound";

namespace DataFiles {

// `path` when a file exists there; else the file of the same name (the text after the last "\"
// or "/") in gApplicationFolder, then in gApplicationFolder + `folder`; else the empty text.
QString find(const QString& path, const QString& folder);

// The language file to load for the setting `path`: the file found as above in the "Language"
// folder, else the default "orglng.lng" of the application folder. An empty path stays empty.
QString languageFilePath(const QString& path);

}  // namespace DataFiles
