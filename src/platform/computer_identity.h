// The computer's NetBIOS name and workgroup (GetComputerNameA and the workgroup of the network
// configuration), read from the Samba configuration when there is one.
#pragma once

#include <QString>

namespace pelimo::platform {

inline constexpr int kMaxComputerNameLength = 15;
inline constexpr char kDefaultSambaConfigFile[] = "/etc/samba/smb.conf";

// The Samba configuration file: the one the environment variable SMB_CONF_PATH names, as Samba's
// tools take it, else the default one.
QString sambaConfigFile();

// Where the Samba configuration is read from; tests point these at their own files.
struct SambaConfigSource {
    QString testparmProgram = QStringLiteral("testparm");
    QString configFile = sambaConfigFile();
};

// A parameter of the [global] section, as testparm prints it or as the file holds it;
// empty when neither is available.
QString sambaGlobalParameter(const QString& name, const SambaConfigSource& source = {});

// Reads only the file (no testparm): the value of `name` in [global], empty when missing.
QString parseSambaGlobalParameter(QByteArrayView config, const QString& name);

// The `netbios name` of the Samba configuration, else the first label of the host name;
// upper-cased, at most 15 characters.
QString localComputerName(const SambaConfigSource& source = {});

// The `workgroup` of the Samba configuration, else "WORKGROUP"; upper-cased.
QString localWorkgroup(const SambaConfigSource& source = {});

}  // namespace pelimo::platform
