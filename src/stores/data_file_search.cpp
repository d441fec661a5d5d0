#include "stores/data_file_search.h"

#include <QFileInfo>

#include "stores/application.h"
#include "stores/language_file.h"

namespace {

bool isFile(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

}  // namespace

QString DataFiles::find(const QString& path, const QString& folder) {
    if (isFile(path))
        return path;
    const qsizetype separator = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    const QString name = path.mid(separator + 1);
    if (name.isEmpty() || name == u"." || name == u"..")
        return {};
    for (const QString& candidate :
         {gApplicationFolder + name, gApplicationFolder + folder + u'/' + name}) {
        if (isFile(candidate))
            return candidate;
    }
    return {};
}

QString DataFiles::languageFilePath(const QString& path) {
    if (path.isEmpty())
        return path;
    const QString found = DataFiles::find(path, QString::fromLatin1(kLanguageFolderName));
    return found.isEmpty() ? gApplicationFolder + QString::fromLatin1(kDefaultLanguageFileName)
                           : found;
}
