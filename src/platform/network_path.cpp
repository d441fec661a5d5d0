#include "platform/network_path.h"

#include <QUrl>
#include <algorithm>

namespace pelimo::platform {
namespace {

bool isForbiddenInName(QChar c) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F)
        return true;
    switch (c.unicode()) {
        case u'/':
        case u'\\':
        case u':':
        case u'*':
        case u'?':
        case u'"':
        case u'<':
        case u'>':
        case u'|':
            return true;
        default:
            return false;
    }
}

bool isValidName(const QString& name, qsizetype maxLength) {
    if (name.isEmpty() || name.size() > maxLength || name == u"." || name == u"..")
        return false;
    return std::none_of(name.begin(), name.end(), isForbiddenInName);
}

// A server name also becomes the host part of a URL: no user, port or escape characters there.
bool isValidServer(const QString& server) {
    if (!isValidName(server, kMaxServerNameLength))
        return false;
    return std::none_of(server.begin(), server.end(), [](QChar c) {
        return c == u'@' || c == u';' || c == u'%' || c == u'#' || c.isSpace();
    });
}

}  // namespace

std::optional<NetworkPath> parseNetworkPath(const QString& path) {
    if (path.size() > kMaxNetworkPathLength || !path.startsWith(QStringLiteral("\\\\")))
        return std::nullopt;
    const QStringList parts = path.mid(2).split(u'\\');
    // server, share and at least one name below the share
    if (parts.size() < 3)
        return std::nullopt;
    NetworkPath result{.server = parts[0], .share = parts[1], .components = parts.mid(2)};
    if (!isValidServer(result.server) || !isValidName(result.share, kMaxShareNameLength))
        return std::nullopt;
    for (const QString& component : result.components) {
        if (!isValidName(component, kMaxNetworkPathLength))
            return std::nullopt;
    }
    return result;
}

QByteArray smbUrlOf(const NetworkPath& path, const QString& server) {
    QByteArray url = "smb://" + QUrl::toPercentEncoding(server.isEmpty() ? path.server : server) +
                     '/' + QUrl::toPercentEncoding(path.share);
    for (const QString& component : path.components)
        url += '/' + QUrl::toPercentEncoding(component);
    return url;
}

}  // namespace pelimo::platform
