#include "favorites/favorite_library.h"

#include <QDir>

#include "errorreport/runtime_error.h"
#include "stores/application.h"

QString FavoriteLibrary::folder() {
    return gApplicationFolder + QString::fromLatin1(kFavoriteFolderName);
}

QStringList FavoriteLibrary::fileNames() {
    const QDir folder(FavoriteLibrary::folder());
    if (!folder.exists())
        RunTimeError::raise(RunTimeErrorNumber::PathNotFound);
    return folder.entryList({QString::fromLatin1(kFavoritePattern)}, QDir::Files,
                            QDir::Name | QDir::IgnoreCase);
}
