#include "stores/application.h"

#include "platform/file_system.h"
#include "stores/user_data_folder.h"

QString gApplicationFolder;

QString gVersionText() {
    return QString::number(kVersionMajor) + u'.' + QString::number(kVersionMinor);
}

QString gApplicationTitle() {
    return QStringLiteral("Pelimo V") + gVersionText();
}

void gInitApplicationFolder() {
    QString error;
    gSetApplicationFolder(pelimo::stores::chooseApplicationFolder(
        pelimo::platform::executableFolder(), pelimo::stores::userDataFolder(), &error));
    // The program goes on: a store that then cannot be written reports that itself.
    if (!error.isEmpty())
        qWarning("Pelimo: the data folder is incomplete: %s", qPrintable(error));
}

void gSetApplicationFolder(const QString& folder) {
    gApplicationFolder = folder;
    if (!gApplicationFolder.endsWith(u'/'))
        gApplicationFolder += u'/';
}
