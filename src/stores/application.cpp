#include "stores/application.h"

#include "platform/file_system.h"

QString gApplicationFolder;

QString gVersionText() {
    return QString::number(kVersionMajor) + u'.' + QString::number(kVersionMinor);
}

QString gApplicationTitle() {
    return QStringLiteral("Pelimo V") + gVersionText();
}

void gInitApplicationFolder() {
    gSetApplicationFolder(pelimo::platform::executableFolder());
}

void gSetApplicationFolder(const QString& folder) {
    gApplicationFolder = folder;
    if (!gApplicationFolder.endsWith(u'/'))
        gApplicationFolder += u'/';
}
