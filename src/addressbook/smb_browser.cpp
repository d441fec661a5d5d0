#include "addressbook/smb_browser.h"

#include <libsmbclient.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "platform/computer_identity.h"

namespace {

void anonymousLogin(SMBCCTX*, const char*, const char*, char* workgroup, int workgroupLength,
                    char* user, int userLength, char* password, int passwordLength) {
    Q_UNUSED(workgroup);
    Q_UNUSED(workgroupLength);
    if (userLength > 0)
        user[0] = '\0';
    if (passwordLength > 0)
        password[0] = '\0';
}

// One context for the whole run, used by one call at a time.
std::mutex contextMutex;
SMBCCTX* context = nullptr;

// The configuration libsmbclient would read: the user's ~/.smb/smb.conf, else the Samba
// configuration (SMB_CONF_PATH's, as in Samba's tools, else the default one).
QString clientConfigFile() {
    const QString userFile = QDir::homePath() + QStringLiteral("/.smb/smb.conf");
    return QFileInfo::exists(userFile) ? userFile : pelimo::platform::sambaConfigFile();
}

// The browse context's configuration: the client configuration, then names looked up only by
// the NetBIOS means (lmhosts, WINS, broadcast). Every server and workgroup name of a walk comes
// from a browse list, and a name from the network never goes to DNS. The file is read once, when
// loaded, and removed then.
bool loadBrowseConfiguration(SMBCCTX* created) {
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/pelimo-browse-XXXXXX.conf"));
    if (!file.open())
        return false;
    QByteArray text;
    const QByteArray included = QFile::encodeName(clientConfigFile());
    if (QFileInfo::exists(clientConfigFile()) && !included.contains('\n'))
        text += "[global]\ninclude = " + included + "\n";
    text += "[global]\nname resolve order = lmhosts wins bcast\n";
    if (file.write(text) != text.size() || !file.flush())
        return false;
    return smbc_setConfiguration(created, QFile::encodeName(file.fileName()).constData()) == 0;
}

SMBCCTX* browseContext(QString& error) {
    if (context != nullptr)
        return context;
    SMBCCTX* created = smbc_new_context();
    if (created == nullptr) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return nullptr;
    }
    smbc_setDebug(created, 0);
    // Browse lists travel over SMB1 only; the user's configuration is left as it is.
    smbc_setOptionProtocols(created, "NT1", "NT1");
    smbc_setOptionUseKerberos(created, false);
    smbc_setOptionFallbackAfterKerberos(created, true);
    smbc_setFunctionAuthDataWithContext(created, anonymousLogin);
    smbc_setTimeout(created, 5000);
    const QByteArray workgroup = pelimo::platform::localWorkgroup().toLocal8Bit();
    smbc_setWorkgroup(created, workgroup.constData());  // copied by the library
    if (smbc_init_context(created) == nullptr) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        smbc_free_context(created, 1);
        return nullptr;
    }
    if (!loadBrowseConfiguration(created)) {
        error = QStringLiteral("the browse configuration could not be written");
        smbc_free_context(created, 1);
        return nullptr;
    }
    context = created;
    return context;
}

}  // namespace

bool SmbBrowser::list(const QString& url, std::vector<SmbEntry>& entries, QString& error,
                      int maxEntries) {
    std::lock_guard lock(contextMutex);
    entries.clear();
    SMBCCTX* ctx = browseContext(error);
    if (ctx == nullptr)
        return false;
    const QByteArray address = url.toUtf8();
    SMBCFILE* dir = smbc_getFunctionOpendir(ctx)(ctx, address.constData());
    if (dir == nullptr) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    while (static_cast<int>(entries.size()) < maxEntries) {
        const smbc_dirent* entry = smbc_getFunctionReaddir(ctx)(ctx, dir);
        if (entry == nullptr)
            break;
        entries.push_back(
            // `name` is declared as a one-character array: read it up to its NUL.
            {entry->smbc_type, QString::fromUtf8(static_cast<const char*>(entry->name)),
             QString::fromUtf8(entry->comment)});
    }
    smbc_getFunctionClosedir(ctx)(ctx, dir);
    return true;
}
