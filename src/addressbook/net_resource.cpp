#include "addressbook/net_resource.h"

#include "addressbook/network_providers.h"

namespace {

std::unique_ptr<NetworkBackend>& backendSlot() {
    static std::unique_ptr<NetworkBackend> backend;
    return backend;
}

}  // namespace

void NetResource::setBackend(std::unique_ptr<NetworkBackend> backend) {
    backendSlot() = std::move(backend);
}

NetworkBackend& NetResource::backend() {
    auto& backend = backendSlot();
    if (!backend)
        backend = NetworkProviders::make();
    return *backend;
}

dwNetError::dwNetError() {
    const NetLastError error = NetResource::backend().lastError();
    dwErrorCode = error.code;
    // The platform's buffers hold 511 characters and a NUL.
    szDescription = error.description.left(511);
    szName = error.provider.left(511);
    const auto cutAtNul = [](QString& text) {
        const qsizetype nul = text.indexOf(QChar(u'\0'));
        if (nul >= 0)
            text.truncate(nul);
    };
    cutAtNul(szDescription);
    cutAtNul(szName);
}

QString dwNetResource::storedText(const QString& value) {
    if (value.isEmpty() || value.endsWith(QChar(u'\0')))
        return value;
    return value + QChar(u'\0');
}

QString dwNetResource::readText(const QString& stored) {
    return stored.size() > 1 ? stored.left(stored.size() - 1) : QString();
}

NetResourceRecord dwNetResource::plainRecord() const {
    NetResourceRecord plain = record_;
    plain.lpLocalName = lpLocalName();
    plain.lpRemoteName = lpRemoteName();
    plain.lpComment = lpComment();
    plain.lpProvider = lpProvider();
    return plain;
}

void dwNetResource::Load(const NetResourceRecord& record) {
    record_.dwScope = record.dwScope;
    record_.dwType = record.dwType;
    record_.dwDisplayType = record.dwDisplayType;
    record_.dwUsage = record.dwUsage;
    setLpLocalName(record.lpLocalName);
    setLpRemoteName(record.lpRemoteName);
    setLpComment(record.lpComment);
    setLpProvider(record.lpProvider);
    loaded_ = true;
}

QList<std::shared_ptr<dwNetResource>> dwNetResource::Enumerate(quint32 scope, quint32 type,
                                                               quint32 usage) {
    // The backend lists every child; scope, type and usage are always "all" in the walk.
    Q_UNUSED(scope);
    Q_UNUSED(type);
    Q_UNUSED(usage);
    QList<std::shared_ptr<dwNetResource>> children;
    std::vector<NetResourceRecord> records;
    const NetResourceRecord self = plainRecord();
    const quint32 opened = NetResource::backend().openEnum(loaded_ ? &self : nullptr, records);
    if (opened != NO_ERROR) {
        SetErrorValues(opened);
        return children;
    }
    for (const NetResourceRecord& record : records) {
        auto child = std::make_shared<dwNetResource>();
        child->Load(record);
        children.append(std::move(child));
    }
    return children;
}

void dwNetResource::SetErrorValues(quint32 code) {
    LastError = code;
    if (code == ERROR_EXTENDED_ERROR)
        LastNetError = std::make_shared<dwNetError>();
}

QString NetResource::serverName(const QString& remoteName) {
    return remoteName.startsWith(QStringLiteral("\\\\")) ? remoteName.mid(2) : remoteName;
}
