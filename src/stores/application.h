// The program's name, version and folder, from which every data file name is formed.
#pragma once

#include <QString>

inline constexpr char kApplicationName[] = "Pelimo";
inline constexpr int kVersionMajor = PELIMO_VERSION_MAJOR;
inline constexpr int kVersionMinor = PELIMO_VERSION_MINOR;

// "Pelimo V1.0": the main window's title.
QString gApplicationTitle();
// "1.0"
QString gVersionText();

// The folder of the program file, always ending in "/"; for an installed program the user's own
// data folder (stores/user_data_folder.h).
extern QString gApplicationFolder;

// Sets gApplicationFolder from the running executable.
void gInitApplicationFolder();
// Sets gApplicationFolder to `folder`, adding the trailing "/" when missing (tests, tools).
void gSetApplicationFolder(const QString& folder);
