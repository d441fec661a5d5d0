// The application folder of an installed program: each user's own data folder, seeded with the
// defaults the package installs.
#pragma once

#include <QString>

namespace pelimo::stores {

// $XDG_DATA_HOME/pelimo/ (by default ~/.local/share/pelimo/), ending in "/".
QString userDataFolder();

// The installed defaults of a program in `executableFolder` (<prefix>/bin/): <prefix>/share/pelimo/
// ending in "/" when it holds the default language file, else empty.
QString installedDefaultsFolder(const QString& executableFolder);

// The application folder for a program in `executableFolder` (ending in "/"): that folder when it
// is writable and holds its own data (a build folder, a copy in a home folder), else
// `userDataFolder`, created and seeded from the installed defaults. Failures to seed go to `error`.
QString chooseApplicationFolder(const QString& executableFolder, const QString& userDataFolder,
                                QString* error = nullptr);

// Copies each default entry of `defaultsFolder` (orglng.lng, Language/, Favories/, Picture/,
// Sound/) that `folder` lacks, whole; an entry the user has, changed or emptied, stays as it is.
// Each entry appears complete or not at all. False with `error` set when one cannot be copied.
bool seedDataFolder(const QString& defaultsFolder, const QString& folder, QString* error = nullptr);

}  // namespace pelimo::stores
