// The SOAP messages of WS-Discovery (Probe, Resolve and their matches, over UDP) and of the
// devices profile's metadata exchange (Get, over HTTP), as Windows and Samba's announcer speak
// them. Replies come from the network: the readers check every size and never fail hard.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

inline constexpr char kWsdMulticastAddress[] = "239.255.255.250";
inline constexpr quint16 kWsdPort = 3702;
inline constexpr qsizetype kWsdMaxDatagram = 32767;
inline constexpr qsizetype kWsdMaxMetadata = 65536;
inline constexpr qsizetype kWsdMaxField = 1024;
inline constexpr int kWsdMaxMatches = 64;

namespace WsDiscoveryXml {

QByteArray probeMessage(const QString& messageId);
QByteArray resolveMessage(const QString& messageId, const QString& endpoint);
QByteArray getMessage(const QString& messageId, const QString& endpoint);

}  // namespace WsDiscoveryXml

// One ProbeMatch or ResolveMatch.
struct WsdMatch {
    QString endpoint;  // the device's endpoint address (a "urn:uuid:...")
    QStringList types;
    QStringList xaddrs;  // transport addresses of its metadata service
};

struct WsdReply {
    QString relatesTo;  // message id of the request answered
    std::vector<WsdMatch> matches;
};

namespace WsDiscoveryXml {

// The matches of a ProbeMatches or ResolveMatches message; nothing for anything else.
std::optional<WsdReply> parseReply(QByteArrayView xml);

}  // namespace WsDiscoveryXml

// What a computer's metadata tells: "NAME/Workgroup:GROUP" or "NAME/Domain:DOMAIN".
struct WsdComputer {
    QString name;
    QString group;  // workgroup or domain; empty when the computer has joined neither
};

namespace WsDiscoveryXml {

std::optional<WsdComputer> parseMetadata(QByteArrayView xml);

}  // namespace WsDiscoveryXml
