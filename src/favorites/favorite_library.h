// The library of predefined messages: one text file per message in the "Favories" folder of the
// application folder.
#pragma once

#include <QString>
#include <QStringList>

inline constexpr char kFavoriteFolderName[] = "Favories";
inline constexpr char kFavoritePattern[] = "*.txt";

namespace FavoriteLibrary {

// gApplicationFolder + "Favories".
QString folder();

// The names of the "*.txt" files of the library (any case of the extension), sorted by name
// without regard to case. A missing folder raises run-time error 76 (path not found).
QStringList fileNames();

}  // namespace FavoriteLibrary
