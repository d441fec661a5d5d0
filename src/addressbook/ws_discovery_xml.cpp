#include "addressbook/ws_discovery_xml.h"

#include <QXmlStreamReader>

namespace {

constexpr char kSoapNs[] = "http://www.w3.org/2003/05/soap-envelope";
constexpr char kAddressingNs[] = "http://schemas.xmlsoap.org/ws/2004/08/addressing";
constexpr char kDiscoveryNs[] = "http://schemas.xmlsoap.org/ws/2005/04/discovery";
constexpr char kPubNs[] = "http://schemas.microsoft.com/windows/pub/2005/07";
constexpr char kDiscoveryTo[] = "urn:schemas-xmlsoap-org:ws:2005:04:discovery";
constexpr char kProbeAction[] = "http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe";
constexpr char kResolveAction[] = "http://schemas.xmlsoap.org/ws/2005/04/discovery/Resolve";
constexpr char kGetAction[] = "http://schemas.xmlsoap.org/ws/2004/09/transfer/Get";
constexpr char kAnonymousReply[] =
    "http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous";

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QByteArray envelope(const QString& to, const char* action, const QString& messageId,
                    const QString& body) {
    const QString xml = QStringLiteral(
                            "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                            "<soap:Envelope xmlns:soap=\"%1\" xmlns:wsa=\"%2\" xmlns:wsd=\"%3\" "
                            "xmlns:wsdp=\"http://schemas.xmlsoap.org/ws/2006/02/devprof\">"
                            "<soap:Header><wsa:To>%4</wsa:To><wsa:Action>%5</wsa:Action>"
                            "<wsa:MessageID>%6</wsa:MessageID>"
                            "<wsa:ReplyTo><wsa:Address>%7</wsa:Address></wsa:ReplyTo></soap:Header>"
                            "<soap:Body>%8</soap:Body></soap:Envelope>")
                            .arg(QLatin1String(kSoapNs), QLatin1String(kAddressingNs),
                                 QLatin1String(kDiscoveryNs), escaped(to), QLatin1String(action),
                                 escaped(messageId), QLatin1String(kAnonymousReply), body);
    return xml.toUtf8();
}

// The text of the current element, cut to the field limit; false when it holds elements or is
// malformed.
bool readField(QXmlStreamReader& reader, QString& out) {
    const QString text = reader.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    if (reader.hasError())
        return false;
    out = text.trimmed().left(kWsdMaxField);
    return true;
}

QStringList words(const QString& text) {
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts).mid(0, kWsdMaxMatches);
}

}  // namespace

QByteArray WsDiscoveryXml::probeMessage(const QString& messageId) {
    return envelope(QLatin1String(kDiscoveryTo), kProbeAction, messageId,
                    QStringLiteral("<wsd:Probe><wsd:Types>wsdp:Device</wsd:Types></wsd:Probe>"));
}

QByteArray WsDiscoveryXml::resolveMessage(const QString& messageId, const QString& endpoint) {
    return envelope(QLatin1String(kDiscoveryTo), kResolveAction, messageId,
                    QStringLiteral("<wsd:Resolve><wsa:EndpointReference><wsa:Address>%1"
                                   "</wsa:Address></wsa:EndpointReference></wsd:Resolve>")
                        .arg(escaped(endpoint)));
}

QByteArray WsDiscoveryXml::getMessage(const QString& messageId, const QString& endpoint) {
    return envelope(endpoint, kGetAction, messageId, QString());
}

std::optional<WsdReply> WsDiscoveryXml::parseReply(QByteArrayView xml) {
    if (xml.size() > kWsdMaxDatagram)
        return std::nullopt;
    QXmlStreamReader reader(xml.toByteArray());
    WsdReply reply;
    bool isMatchMessage = false;
    WsdMatch* current = nullptr;
    bool inEndpointReference = false;
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::EndElement) {
            const QStringView name = reader.name();
            if (name == u"ProbeMatch" || name == u"ResolveMatch")
                current = nullptr;
            else if (name == u"EndpointReference")
                inEndpointReference = false;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = reader.name();
        if (name == u"RelatesTo") {
            if (!readField(reader, reply.relatesTo))
                return std::nullopt;
        } else if (name == u"ProbeMatches" || name == u"ResolveMatches") {
            isMatchMessage = true;
        } else if (isMatchMessage && (name == u"ProbeMatch" || name == u"ResolveMatch")) {
            if (static_cast<int>(reply.matches.size()) >= kWsdMaxMatches)
                break;
            reply.matches.emplace_back();
            current = &reply.matches.back();
        } else if (current != nullptr && name == u"EndpointReference") {
            inEndpointReference = true;
        } else if (current != nullptr && inEndpointReference && name == u"Address") {
            if (!readField(reader, current->endpoint))
                return std::nullopt;
        } else if (current != nullptr && name == u"Types") {
            QString text;
            if (!readField(reader, text))
                return std::nullopt;
            current->types = words(text);
        } else if (current != nullptr && name == u"XAddrs") {
            QString text;
            if (!readField(reader, text))
                return std::nullopt;
            current->xaddrs = words(text);
        }
    }
    if (reader.hasError() || !isMatchMessage)
        return std::nullopt;
    return reply;
}

std::optional<WsdComputer> WsDiscoveryXml::parseMetadata(QByteArrayView xml) {
    if (xml.size() > kWsdMaxMetadata)
        return std::nullopt;
    QXmlStreamReader reader(xml.toByteArray());
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() != u"Computer" || reader.namespaceUri() != QLatin1String(kPubNs))
            continue;
        QString text;
        if (!readField(reader, text))
            return std::nullopt;
        // "NAME/Workgroup:GROUP", "NAME/Domain:DOMAIN" or "NAME/NotJoined".
        const qsizetype slash = text.indexOf(QLatin1Char('/'));
        WsdComputer computer;
        computer.name = text.left(slash);
        if (slash >= 0) {
            const QString membership = text.mid(slash + 1);
            const qsizetype colon = membership.indexOf(QLatin1Char(':'));
            if (colon >= 0)
                computer.group = membership.mid(colon + 1).trimmed();
        }
        computer.name = computer.name.trimmed();
        if (computer.name.isEmpty())
            return std::nullopt;
        return computer;
    }
    return std::nullopt;
}
