#include "attachments/attachment_save_target.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include "stores/application.h"
#include "stores/user_data_folder.h"

namespace {

// The longest file name Linux file systems take, in bytes.
constexpr qsizetype kMaxFileNameBytes = 255;
// A longer "extension" is taken as part of the name when a name must be cut.
constexpr qsizetype kMaxKeptExtension = 16;

QString withSlash(QString folder) {
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

// `path` with symbolic links resolved as far as it exists: the deepest existing folder on its way
// is resolved and the rest appended.
QString resolvedPath(const QString& path) {
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString rest;
    while (!QFileInfo::exists(existing)) {
        const qsizetype slash = existing.lastIndexOf(u'/');
        if (slash <= 0)
            return QDir::cleanPath(path);
        rest = existing.mid(slash) + rest;
        existing = existing.left(slash);
    }
    return QFileInfo(existing).canonicalFilePath() + rest;
}

QStringList programFolders() {
    const QString executableFolder = withSlash(QCoreApplication::applicationDirPath());
    QStringList folders{gApplicationFolder, executableFolder, pelimo::stores::userDataFolder()};
    const QString defaults = pelimo::stores::installedDefaultsFolder(executableFolder);
    if (!defaults.isEmpty())
        folders.append(defaults);
    return folders;
}

bool isInside(const QString& path, const QString& folder) {
    if (folder.isEmpty() || folder == QStringLiteral("/"))
        return false;
    const QString resolved = withSlash(resolvedPath(folder));
    return path == resolved.chopped(1) || path.startsWith(resolved);
}

QString withoutControlCharacters(const QString& text) {
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control && c.category() != QChar::Other_Format)
            clean.append(c);
    }
    return clean;
}

// Cuts the part before the extension until the UTF-8 form fits.
QString fittingName(const QString& name) {
    if (name.toUtf8().size() <= kMaxFileNameBytes)
        return name;
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString extension =
        (dot > 0 && name.size() - dot <= kMaxKeptExtension) ? name.mid(dot) : QString();
    QString stem = name.left(name.size() - extension.size());
    while (!stem.isEmpty() && (stem + extension).toUtf8().size() > kMaxFileNameBytes) {
        stem.chop(stem.back().isLowSurrogate() && stem.size() > 1 ? 2 : 1);
    }
    return stem + extension;
}

}  // namespace

QString AttachmentSaveTarget::folder() {
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (!downloads.isEmpty() && QFileInfo(downloads).isDir())
        return withSlash(downloads);
    return withSlash(QDir::homePath());
}

QString AttachmentSaveTarget::safeFileName(const QString& attachmentPath) {
    const qsizetype separator =
        std::max(attachmentPath.lastIndexOf(u'\\'), attachmentPath.lastIndexOf(u'/'));
    const QString name = withoutControlCharacters(attachmentPath.mid(separator + 1)).trimmed();
    if (name == QStringLiteral(".") || name == QStringLiteral(".."))
        return {};
    return fittingName(name);
}

bool AttachmentSaveTarget::isInProgramFolders(const QString& path) {
    const QString location =
        resolvedPath(QFileInfo(path).absolutePath()) + u'/' + QFileInfo(path).fileName();
    QStringList candidates{location};
    const QFileInfo file(path);
    if (file.exists())
        candidates.append(file.canonicalFilePath());
    const QStringList folders = programFolders();
    for (const QString& candidate : candidates) {
        for (const QString& folder : folders) {
            if (isInside(candidate, folder))
                return true;
        }
    }
    return false;
}
