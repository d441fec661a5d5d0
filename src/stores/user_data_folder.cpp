#include "stores/user_data_folder.h"

#include <unistd.h>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/file_copy.h"

namespace pelimo::stores {

namespace {

constexpr const char* kDefaultEntries[] = {"orglng.lng", "Language", "Favories", "Picture",
                                           "Sound"};

QString withSlash(QString folder) {
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

bool copyEntry(const QString& source, const QString& destination, QString* error) {
    if (!QFileInfo(source).isDir())
        return platform::copyFile(source, destination, {}, error) == platform::CopyOutcome::Copied;
    if (!QDir().mkpath(destination)) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(destination);
        return false;
    }
    QDirIterator it(source, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        if (!copyEntry(it.filePath(), destination + u'/' + it.fileName(), error))
            return false;
    }
    return true;
}

}  // namespace

QString userDataFolder() {
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) +
           QStringLiteral("pelimo/");
}

QString installedDefaultsFolder(const QString& executableFolder) {
    const QString defaults =
        withSlash(QDir::cleanPath(executableFolder + QStringLiteral("../share/pelimo")));
    return QFileInfo::exists(defaults + QStringLiteral("orglng.lng")) ? defaults : QString();
}

QString chooseApplicationFolder(const QString& executableFolder, const QString& userDataFolder,
                                QString* error) {
    const QString defaults = installedDefaultsFolder(executableFolder);
    // access() rather than the permission bits, so a read-only mount counts as read-only too.
    const bool writable = ::access(QFile::encodeName(executableFolder).constData(), W_OK) == 0;
    // A program whose folder lacks its own language file but has installed defaults is an
    // installed one, even when that folder is writable (root, or a prefix in a home folder).
    const bool ownData = QFileInfo::exists(executableFolder + QStringLiteral("orglng.lng"));
    if (writable && (ownData || defaults.isEmpty()))
        return executableFolder;
    if (!QDir().mkpath(userDataFolder)) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(userDataFolder);
        return withSlash(userDataFolder);
    }
    if (!defaults.isEmpty())
        seedDataFolder(defaults, userDataFolder, error);
    return withSlash(userDataFolder);
}

bool seedDataFolder(const QString& defaultsFolder, const QString& folder, QString* error) {
    const QString target = withSlash(folder);
    for (const char* entry : kDefaultEntries) {
        const QString name = QString::fromLatin1(entry);
        const QString source = withSlash(defaultsFolder) + name;
        if (!QFileInfo::exists(source) || QFileInfo(target + name).exists() ||
            QFileInfo(target + name).isSymLink())
            continue;
        // A folder is filled under a temporary name and renamed into place in one step.
        const QString staging = target + QStringLiteral(".seed-") + name;
        QDir(staging).removeRecursively();
        QFile::remove(staging);
        if (!copyEntry(source, staging, error) || !QDir().rename(staging, target + name)) {
            if (error && error->isEmpty())
                *error = QStringLiteral("cannot copy %1 to %2").arg(source, target + name);
            QDir(staging).removeRecursively();
            QFile::remove(staging);
            return false;
        }
    }
    return true;
}

}  // namespace pelimo::stores
