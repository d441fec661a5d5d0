#include <gtest/gtest.h>

#include "addressbook/ws_discovery_xml.h"

namespace {

// Shaped as Samba's announcer sends them.
const QByteArray kProbeMatches =
    "<?xml version='1.0' encoding='utf-8'?><soap:Envelope "
    "xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\" "
    "xmlns:wsa=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\" "
    "xmlns:wsd=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\"><soap:Header>"
    "<wsa:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches</wsa:Action>"
    "<wsa:RelatesTo>urn:uuid:1</wsa:RelatesTo></soap:Header><soap:Body><wsd:ProbeMatches>"
    "<wsd:ProbeMatch><wsa:EndpointReference><wsa:Address>urn:uuid:dev</wsa:Address>"
    "</wsa:EndpointReference><wsd:Types>wsdp:Device pub:Computer</wsd:Types>"
    "<wsd:XAddrs>http://10.0.0.3:5357/dev</wsd:XAddrs></wsd:ProbeMatch>"
    "</wsd:ProbeMatches></soap:Body></soap:Envelope>";

QByteArray metadata(const QByteArray& computer) {
    return "<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\" "
           "xmlns:pub=\"http://schemas.microsoft.com/windows/pub/2005/07\"><soap:Body>"
           "<pub:Other>X/Workgroup:NO</pub:Other><pub:Computer>" +
           computer + "</pub:Computer></soap:Body></soap:Envelope>";
}

}  // namespace

TEST(WsDiscoveryXml, ReadsMatchesAndComputerMetadata) {
    const auto reply = WsDiscoveryXml::parseReply(kProbeMatches);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->relatesTo, QStringLiteral("urn:uuid:1"));
    ASSERT_EQ(reply->matches.size(), 1u);
    EXPECT_EQ(reply->matches[0].endpoint, QStringLiteral("urn:uuid:dev"));
    EXPECT_EQ(reply->matches[0].types, QStringList({"wsdp:Device", "pub:Computer"}));
    EXPECT_EQ(reply->matches[0].xaddrs, QStringList({"http://10.0.0.3:5357/dev"}));

    const auto workgroup = WsDiscoveryXml::parseMetadata(metadata("HOSTC/Workgroup:LAN"));
    ASSERT_TRUE(workgroup);
    EXPECT_EQ(workgroup->name, QStringLiteral("HOSTC"));
    EXPECT_EQ(workgroup->group, QStringLiteral("LAN"));
    const auto alone =
        WsDiscoveryXml::parseMetadata(metadata("PC-WITH-A-VERY-LONG-NAME/NotJoined"));
    ASSERT_TRUE(alone);
    EXPECT_EQ(alone->name, QStringLiteral("PC-WITH-A-VERY-LONG-NAME"));
    EXPECT_TRUE(alone->group.isEmpty());
}

TEST(WsDiscoveryXml, RefusesWhatIsNotAnAnswer) {
    EXPECT_FALSE(
        WsDiscoveryXml::parseReply(WsDiscoveryXml::probeMessage(QStringLiteral("urn:uuid:1"))));
    EXPECT_FALSE(WsDiscoveryXml::parseReply(kProbeMatches.left(kProbeMatches.size() / 2)));
    EXPECT_FALSE(WsDiscoveryXml::parseReply(QByteArray(kWsdMaxDatagram + 1, ' ')));
    EXPECT_FALSE(WsDiscoveryXml::parseMetadata(metadata("<b>nested</b>")));
    EXPECT_FALSE(WsDiscoveryXml::parseMetadata(metadata("/Workgroup:LAN")));
    EXPECT_FALSE(
        WsDiscoveryXml::parseMetadata("<pub:Computer>X</pub:Computer>"));  // no namespace declared
}
