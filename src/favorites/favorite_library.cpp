#include "favorites/favorite_library.h"

#include <QDir>

#include "errorreport/runtime_error.h"
#include "stores/application.h"

QString gFctFavoriteFolder() {
    return gApplicationFolder + QString::fromLatin1(kFavoriteFolderName);
}

QStringList gFctFavoriteFileNames() {
    const QDir folder(gFctFavoriteFolder());
    if (!folder.exists())
        gRaiseError(RunTimeErrorNumber::PathNotFound);
    return folder.entryList({QString::fromLatin1(kFavoritePattern)}, QDir::Files,
                            QDir::Name | QDir::IgnoreCase);
}
