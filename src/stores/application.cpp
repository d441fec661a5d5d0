#include "stores/application.h"

#include "platform/file_system.h"
#include "stores/user_data_folder.h"

QString gApplicationFolder;

QString Application::versionText() {
    return QString::number(kVersionMajor) + u'.' + QString::number(kVersionMinor);
}

QString Application::title() {
    return QStringLiteral("Pelimo V") + Application::versionText();
}

void Application::initFolder() {
    QString error;
    Application::setFolder(pelimo::stores::chooseApplicationFolder(
        pelimo::platform::executableFolder(), pelimo::stores::userDataFolder(), &error));
    // The program goes on: a store that then cannot be written reports that itself.
    if (!error.isEmpty())
        qWarning("Pelimo: the data folder is incomplete: %s", qPrintable(error));
}

void Application::setFolder(const QString& folder) {
    gApplicationFolder = folder;
    if (!gApplicationFolder.endsWith(u'/'))
        gApplicationFolder += u'/';
}
