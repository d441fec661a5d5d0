// A download folder of the test's own, named in the XDG user dirs file the desktop reads, for the
// scope's lifetime.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class DownloadFolder {
public:
    DownloadFolder()
        : saved_(qgetenv("XDG_CONFIG_HOME")),
          hadValue_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
        QDir(dir_.path()).mkpath(QStringLiteral("config"));
        QDir(dir_.path()).mkpath(QStringLiteral("Téléchargements"));
        QFile dirs(dir_.path() + QStringLiteral("/config/user-dirs.dirs"));
        if (dirs.open(QIODevice::WriteOnly))
            dirs.write("XDG_DOWNLOAD_DIR=\"" + QFile::encodeName(path()) + "\"\n");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path() + QStringLiteral("/config")));
    }
    ~DownloadFolder() {
        if (hadValue_)
            qputenv("XDG_CONFIG_HOME", saved_);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    DownloadFolder(const DownloadFolder&) = delete;
    DownloadFolder& operator=(const DownloadFolder&) = delete;

    // The folder, without a trailing "/".
    QString path() const { return dir_.path() + QStringLiteral("/Téléchargements"); }

private:
    QTemporaryDir dir_;
    QByteArray saved_;
    bool hadValue_;
};
