// One resource of the network neighbourhood (dwNetResource) and the extended error of a failed
// enumeration (dwNetError). The enumeration itself is done by a network backend: the providers
// that reach the real network, or a fake one in tests.
#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <vector>

// Values the walk relies on.
inline constexpr quint32 RESOURCE_GLOBALNET = 2;
inline constexpr quint32 RESOURCETYPE_ANY = 0;
inline constexpr quint32 RESOURCETYPE_DISK = 1;
inline constexpr quint32 RESOURCEUSAGE_CONNECTABLE = 1;
inline constexpr quint32 RESOURCEUSAGE_CONTAINER = 2;
inline constexpr quint32 RESOURCEDISPLAYTYPE_GENERIC = 0;
inline constexpr quint32 RESOURCEDISPLAYTYPE_DOMAIN = 1;
inline constexpr quint32 RESOURCEDISPLAYTYPE_SERVER = 2;
inline constexpr quint32 RESOURCEDISPLAYTYPE_SHARE = 3;
inline constexpr quint32 RESOURCEDISPLAYTYPE_FILE = 4;
inline constexpr quint32 RESOURCEDISPLAYTYPE_GROUP = 5;
inline constexpr quint32 RESOURCEDISPLAYTYPE_NETWORK = 6;
inline constexpr quint32 NO_ERROR = 0;
inline constexpr quint32 ERROR_MORE_DATA = 234;
inline constexpr quint32 ERROR_NO_MORE_ITEMS = 259;
inline constexpr quint32 ERROR_EXTENDED_ERROR = 1208;
inline constexpr quint32 ERROR_NO_NETWORK = 1222;

// The eight fields of a NETRESOURCE, as plain values.
struct NetResourceRecord {
    quint32 dwScope = 0;
    quint32 dwType = 0;
    quint32 dwDisplayType = 0;
    quint32 dwUsage = 0;
    QString lpLocalName;
    QString lpRemoteName;
    QString lpComment;
    QString lpProvider;
};

// What WNetGetLastError tells after a provider failed.
struct NetLastError {
    quint32 code = 0;
    QString description;
    QString provider;
};

// Reaches the network: lists the children of a resource (nullptr: the root of the network).
class NetworkBackend {
public:
    virtual ~NetworkBackend() = default;
    // 0 with the children in `children`, else an error code.
    virtual quint32 openEnum(const NetResourceRecord* resource,
                             std::vector<NetResourceRecord>& children) = 0;
    // The extended error of the last failed call.
    virtual NetLastError lastError() = 0;
    // A new detection starts: answers cached from an earlier one are dropped.
    virtual void beginDetection() {}
    // The walk of a detection is over (or was stopped): what it started ends.
    virtual void endDetection() {}
};

namespace NetResource {

// A remote name without its two leading backslashes (\\PC gives PC); others unchanged.
QString serverName(const QString& remoteName);

// The backend the walk uses; nullptr goes back to the real network's providers.
void setBackend(std::unique_ptr<NetworkBackend> backend);
NetworkBackend& backend();

}  // namespace NetResource

class dwNetError {
public:
    dwNetError();  // filled from the backend's last error
    quint32 dwErrorCode = 0;
    QString szDescription;
    QString szName;
};

class dwNetResource {
public:
    quint32 LastError = 0;
    std::shared_ptr<dwNetError> LastNetError;

    quint32 dwScope() const { return record_.dwScope; }
    void setDwScope(quint32 value) { record_.dwScope = value; }
    quint32 dwType() const { return record_.dwType; }
    void setDwType(quint32 value) { record_.dwType = value; }
    quint32 dwDisplayType() const { return record_.dwDisplayType; }
    void setDwDisplayType(quint32 value) { record_.dwDisplayType = value; }
    quint32 dwUsage() const { return record_.dwUsage; }
    void setDwUsage(quint32 value) { record_.dwUsage = value; }

    // Texts are stored with a trailing NUL and read back without it.
    QString lpLocalName() const { return readText(record_.lpLocalName); }
    void setLpLocalName(const QString& value) { record_.lpLocalName = storedText(value); }
    QString lpRemoteName() const { return readText(record_.lpRemoteName); }
    void setLpRemoteName(const QString& value) { record_.lpRemoteName = storedText(value); }
    QString lpComment() const { return readText(record_.lpComment); }
    void setLpComment(const QString& value) { record_.lpComment = storedText(value); }
    QString lpProvider() const { return readText(record_.lpProvider); }
    void setLpProvider(const QString& value) { record_.lpProvider = storedText(value); }

    // Takes the fields of one record of an enumeration.
    void Load(const NetResourceRecord& record);
    bool isLoaded() const { return loaded_; }

    // The children, in the backend's order; empty when the enumeration failed.
    QList<std::shared_ptr<dwNetResource>> Enumerate(quint32 scope, quint32 type, quint32 usage);

    void SetErrorValues(quint32 code);

private:
    static QString storedText(const QString& value);
    static QString readText(const QString& stored);
    // The record as the backend wants it: texts without their NUL.
    NetResourceRecord plainRecord() const;

    NetResourceRecord record_;
    bool loaded_ = false;
};
