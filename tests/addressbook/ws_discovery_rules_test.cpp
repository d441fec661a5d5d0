#include <gtest/gtest.h>

#include "addressbook/ws_discovery_devices.h"

namespace {

const QHostAddress kSender(QStringLiteral("10.0.0.3"));

WsdMatch match(const QString& endpoint, const QStringList& xaddrs) {
    return WsdMatch{
        endpoint, {QStringLiteral("wsdp:Device"), QStringLiteral("pub:Computer")}, xaddrs};
}

}  // namespace

TEST(WsDiscoveryRules, MetadataIsAskedOnlyOfTheAnsweringAddress) {
    EXPECT_EQ(WsDiscoveryDevices::metadataAddress({"http://10.0.0.3:5357/dev"}, kSender).toString(),
              QStringLiteral("http://10.0.0.3:5357/dev"));
    // Another host, a name to look up, a user part, another scheme: never asked.
    for (const char* elsewhere :
         {"http://10.0.0.9:6379/", "http://host.example:5357/", "http://localhost/",
          "http://10.0.0.3@10.0.0.9/", "https://10.0.0.3/", "ftp://10.0.0.3/", "10.0.0.3"})
        EXPECT_TRUE(WsDiscoveryDevices::metadataAddress({QString::fromLatin1(elsewhere)}, kSender)
                        .isEmpty())
            << elsewhere;
    // The sender's own address may follow others.
    EXPECT_EQ(WsDiscoveryDevices::metadataAddress({"http://10.0.0.9:25/", "http://10.0.0.3:80/m"},
                                                  kSender)
                  .port(),
              80);
    EXPECT_TRUE(
        WsDiscoveryDevices::metadataAddress({"http://10.0.0.3/"}, QHostAddress()).isEmpty());
}

TEST(WsDiscoveryRules, DevicesAreCappedResolvedOnceAndOnePerAddress) {
    WsdDeviceTable table;
    // No transport address: one Resolve, whatever the repeats; its answer gives the address.
    EXPECT_TRUE(table.take(match("urn:uuid:a", {}), kSender));
    EXPECT_FALSE(table.take(match("urn:uuid:a", {}), kSender));
    EXPECT_FALSE(table.take(match("urn:uuid:a", {"http://10.0.0.3:5357/a"}), kSender));
    // Naming a third host gives nothing to fetch, and no Resolve either.
    EXPECT_FALSE(table.take(match("urn:uuid:b", {"http://10.0.0.9:6379/"}), kSender));
    // A second device at the same address is not asked again.
    EXPECT_FALSE(table.take(match("urn:uuid:c", {"http://10.0.0.3:5358/c"}), kSender));
    // A printer is no computer.
    table.take(
        WsdMatch{"urn:uuid:p", {"wsdp:Device", "wprt:PrintDeviceType"}, {"http://10.0.0.4/"}},
        QHostAddress(QStringLiteral("10.0.0.4")));
    ASSERT_EQ(table.fetchable().size(), 1u);
    EXPECT_EQ(table.fetchable()[0].endpoint, QStringLiteral("urn:uuid:a"));

    // A flood of devices from as many addresses: the table stops at its cap.
    int resolves = 0;
    for (int n = 0; n < 1000; ++n) {
        const QHostAddress from(QStringLiteral("10.1.%1.%2").arg(n / 200).arg(n % 200 + 1));
        resolves += table.take(match(QStringLiteral("urn:uuid:f%1").arg(n), {}), from);
        table.take(match(QStringLiteral("urn:uuid:g%1").arg(n),
                         {QStringLiteral("http://%1/").arg(from.toString())}),
                   from);
    }
    EXPECT_EQ(static_cast<int>(table.devices().size()), kWsdMaxDevices);
    EXPECT_LE(resolves, kWsdMaxDevices);
}
