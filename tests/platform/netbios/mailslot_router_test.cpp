// The router on loopback: one process routes, the others take over when it stops, and a burst
// larger than the mailslot's queue is held back rather than lost.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include "common/mailslot_test_support.h"
#include "platform/local_mailslot.h"
#include "platform/netbios/mailslot_router.h"
#include "platform/netbios/nbds_datagram.h"

using namespace pelimo::platform;

namespace {

constexpr int kWaitMs = 5000;

MailslotTransportConfig routerConfig() {
    MailslotTransportConfig config = loopbackOnFreePorts();
    config.routerRetryIntervalMs = 20;
    return config;
}

QByteArray packetFor(const QByteArray& channel, const QByteArray& text) {
    MailslotDatagram datagram;
    datagram.source = {"PC7", kSuffixWorkstation};
    datagram.destination = {"PC1", kSuffixWorkstation};
    datagram.mailslotName = QByteArray(kMailslotPrefix) + channel;
    datagram.data = text;
    return encodeMailslotDatagram(datagram);
}

}  // namespace

TEST(MailslotRouter, AnotherCopyTakesOverWhenTheRouterStops) {
    const MailslotTransportConfig config = routerConfig();
    const NetbiosIdentity identity{"PC1", "TESTGROUP"};
    auto names = std::make_shared<NetbiosNameCache>();
    auto first = std::make_unique<MailslotRouter>(config, identity, names);
    MailslotRouter second(config, identity, names);
    const RouterStartResult firstStart = first->start();
    EXPECT_TRUE(firstStart.datagramPortBound && firstStart.namePortBound);
    EXPECT_FALSE(firstStart.permissionDenied);
    const RouterStartResult secondStart = second.start();
    EXPECT_FALSE(secondStart.datagramPortBound || secondStart.namePortBound);
    EXPECT_FALSE(secondStart.permissionDenied) << "a busy port is not a privilege problem";

    first.reset();
    QElapsedTimer timer;
    timer.start();
    while (!(second.isRouting() && second.isAnsweringNames()) && timer.elapsed() < kWaitMs) {
        QThread::msleep(5);
    }
    ASSERT_TRUE(second.isRouting());
    EXPECT_TRUE(second.isAnsweringNames());

    const QByteArray channel = uniqueChannel("takeover");
    const int handle = createLocalMailslot(channel);
    ASSERT_GE(handle, 0);
    LoopbackPeer remote(0);
    ASSERT_TRUE(remote.sendTo(config.datagramPort, packetFor(channel, "hello")));
    const auto envelope = waitForEnvelope(handle, kWaitMs);
    ASSERT_TRUE(envelope);
    EXPECT_EQ(envelope->message, QByteArray("hello"));
    // The message says where it came from, and the unknown sender's name was filled with it.
    EXPECT_TRUE(envelope->origin.network);
    EXPECT_EQ(envelope->origin.address, 0x7F000001u);
    EXPECT_EQ(names->lookup("pc7"), 0x7F000001u);
    closeLocalMailslot(handle);
}

TEST(MailslotRouter, ABurstBeyondTheMailslotQueueIsHeldBackInOrder) {
    const MailslotTransportConfig config = routerConfig();
    MailslotRouter router(config, {"PC1", "TESTGROUP"}, std::make_shared<NetbiosNameCache>());
    ASSERT_TRUE(router.start().datagramPortBound);
    const QByteArray channel = uniqueChannel("routerburst");
    const int handle = createLocalMailslot(channel);
    ASSERT_GE(handle, 0);
    LoopbackPeer remote(0);
    constexpr int kBurst = 1000;
    for (int i = 0; i < kBurst; ++i) {
        ASSERT_TRUE(
            remote.sendTo(config.datagramPort,
                          packetFor(channel, QByteArray::number(i).rightJustified(100, '.'))));
    }
    for (int i = 0; i < kBurst; ++i) {
        const auto message = waitForMessage(handle, kWaitMs);
        ASSERT_TRUE(message) << "lost from " << i;
        EXPECT_EQ(message->mid(message->lastIndexOf('.') + 1).toInt(), i);
    }
    EXPECT_EQ(router.counters().delivered.load(), static_cast<std::uint64_t>(kBurst));
    EXPECT_EQ(router.counters().dropped.load(), 0u);
    closeLocalMailslot(handle);
}
