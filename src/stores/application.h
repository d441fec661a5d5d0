// The program's name, version and folder, from which every data file name is formed.
#pragma once

#include <QString>

inline constexpr char kApplicationName[] = "Pelimo";
inline constexpr int kVersionMajor = PELIMO_VERSION_MAJOR;
inline constexpr int kVersionMinor = PELIMO_VERSION_MINOR;

// The folder of the program file, always ending in "/"; for an installed program the user's own
// data folder (stores/user_data_folder.h).
extern QString gApplicationFolder;

namespace Application {

// "Pelimo V1.0": the main window's title.
QString title();
// "1.0"
QString versionText();

// Sets gApplicationFolder from the running executable.
void initFolder();
// Sets gApplicationFolder to `folder`, adding the trailing "/" when missing (tests, tools).
void setFolder(const QString& folder);

}  // namespace Application
