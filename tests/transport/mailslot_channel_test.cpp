// ModMailSlot: opening, scanning and cutting datagrams into the received-message table, and
// sending through the local mailslot and over loopback.
#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QThread>

#include "common/test_folder.h"
#include "platform/ansi_codec.h"
#include "platform/local_mailslot.h"
#include "platform/mailslot_sender.h"
#include "platform/netbios/nbds_datagram.h"
#include "platform/netbios/netbios_name_query.h"
#include "platform/netbios/router_client.h"
#include "platform/netbios/router_hub.h"
#include "stores/settings.h"
#include "transport/mailslot_channel.h"
#include "transport/message_codec.h"
#include "transport_test_support.h"

using namespace pelimo::platform;

namespace {

constexpr int kWaitMs = 3000;

class MailslotChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        MailslotChannel::reset();
        SettingsStore::reset();
        channel_ = uniqueChannel("chan");
        Settings.MessageChannel = QString::fromLatin1(channel_);
        MailslotChannel::setTransportConfig(MailslotTransportConfig::offline());
        gComputerName = QStringLiteral("PC1");
    }
    void TearDown() override {
        MailslotChannel::reset();
        SettingsStore::reset();
        MailslotIntake::setPresenter({});
    }
    // Another program writing straight into our local mailslot.
    void writeRaw(const QByteArray& message) {
        ASSERT_EQ(writer_.sendNow(channel_, message), MailslotDelivery::Delivered);
    }
    // A loopback configuration on fresh ports with our own workgroup.
    MailslotTransportConfig loopbackConfig() {
        MailslotTransportConfig config = loopbackOnFreePorts();
        config.workgroup = QStringLiteral("TESTGROUP");
        config.nameQueryTimeoutMs = 100;
        return config;
    }
    const QString& lastSender() const {
        return gStructureMailslotControl.SenderList[gStructureMailslotControl.MessageCount];
    }
    const QString& lastAddressee() const {
        return gStructureMailslotControl.AddresseeList[gStructureMailslotControl.MessageCount];
    }
    const QString& lastText() const {
        return gStructureMailslotControl.TextList[gStructureMailslotControl.MessageCount];
    }

    TestFolder folder_;
    QByteArray channel_;
    LocalMailslotWriter writer_;
};

}  // namespace

TEST_F(MailslotChannelTest, ASecondCopyOnTheSameChannelFailsSilentlyAndScansMinusOne) {
    EXPECT_EQ(gFctScanMailSlot(), -1) << "nothing open yet";
    const int otherCopy = createLocalMailslot(channel_);
    ASSERT_GE(otherCopy, 0);
    EXPECT_FALSE(gFctInitMailSlot());
    EXPECT_EQ(gStructureMailslotControl.MailSlotHandle, kInvalidHandleValue);
    EXPECT_TRUE(DialogSeam::shown().empty());
    writeRaw(
        QByteArray("PC9\0PC1\0"
                   "1Hi\0",
                   12));
    EXPECT_EQ(gFctScanMailSlot(), -1);
    EXPECT_EQ(gStructureMailslotControl.MessageCount, 0);
    closeLocalMailslot(otherCopy);

    // Once the other copy is gone the channel is ours.
    EXPECT_TRUE(gFctInitMailSlot());
    EXPECT_EQ(gFctScanMailSlot(), 0);
    gCloseMailSlot();
    EXPECT_EQ(gStructureMailslotControl.MailSlotHandle, kInvalidHandleValue);
    EXPECT_EQ(gFctScanMailSlot(), -1);
}

TEST_F(MailslotChannelTest, ScanCutsTheThreeFieldsIntoTheOneBasedLists) {
    ASSERT_TRUE(gFctInitMailSlot());
    EXPECT_EQ(gFctScanMailSlot(), 0);
    writeRaw(
        QByteArray("PC1\0PC2\0"
                   "1Hello\0",
                   15));
    writeRaw(
        QByteArray("A\0B\0"
                   "2\x80\x81\xE9\0",
                   9));  // two waiting at once
    EXPECT_EQ(gFctScanMailSlot(), 1);
    EXPECT_EQ(gStructureMailslotControl.MessageCount, 1);
    EXPECT_EQ(gStructureMailslotControl.SenderList[1], QStringLiteral("PC1"));
    EXPECT_EQ(gStructureMailslotControl.AddresseeList[1], QStringLiteral("PC2"));
    EXPECT_EQ(gStructureMailslotControl.TextList[1], QStringLiteral("1Hello"));
    // The second one waits for the next scan instead of being lost.
    EXPECT_EQ(gFctScanMailSlot(), 1);
    EXPECT_EQ(gStructureMailslotControl.MessageCount, 2);
    EXPECT_EQ(lastSender(), QStringLiteral("A"));
    EXPECT_EQ(lastText(), QString::fromUtf8("2\u20AC\u0081\u00E9"));  // Windows-1252
    EXPECT_EQ(gStructureMailslotControl.SenderList[1], QStringLiteral("PC1")) << "kept";
    EXPECT_EQ(gFctScanMailSlot(), 0);

    gInitMailslotControl();
    EXPECT_EQ(gStructureMailslotControl.MessageCount, 0);
    EXPECT_TRUE(gStructureMailslotControl.TextList.isEmpty());
    writeRaw(
        QByteArray("X\0Y\0"
                   "1Z\0",
                   7));
    EXPECT_EQ(gFctScanMailSlot(), 1);
    EXPECT_EQ(gStructureMailslotControl.MessageCount, 1);
    EXPECT_EQ(gStructureMailslotControl.TextList[1], QStringLiteral("1Z"));
}

TEST_F(MailslotChannelTest, FieldsFollowTheNulsNotTheirCount) {
    ASSERT_TRUE(gFctInitMailSlot());
    struct Case {
        QByteArray bytes;
        const char* sender;
        const char* addressee;
        const char* text;
    };
    const Case cases[] = {
        {QByteArray("A\0B\0"
                    "1text without its NUL",
                    25),
         "A", "B", ""},
        {QByteArray("A\0B\0"
                    "1T\0"
                    "FOURTH\0",
                    14),
         "A", "B", "FOURTH"},
        {QByteArray("A\0B\0"
                    "1T\0"
                    "tail",
                    11),
         "A", "B", "1T"},
        {QByteArray("A\0B\0"
                    "\0",
                    5),
         "A", "B", ""},
        {QByteArray("only a sender\0", 14), "only a sender", "", ""},
        {QByteArray("no NUL at all"), "", "", ""},
        {QByteArray("\0\0\0", 3), "", "", ""},
    };
    for (const Case& item : cases) {
        writeRaw(item.bytes);
        ASSERT_EQ(gFctScanMailSlot(), 1) << item.bytes.toHex().constData();
        EXPECT_EQ(lastSender(), QString::fromLatin1(item.sender));
        EXPECT_EQ(lastAddressee(), QString::fromLatin1(item.addressee));
        EXPECT_EQ(lastText(), QString::fromLatin1(item.text)) << item.bytes.toHex().constData();
    }
}

TEST_F(MailslotChannelTest, AZeroLengthDatagramIsReadAndDropped) {
    ASSERT_TRUE(gFctInitMailSlot());
    writeRaw(QByteArray());
    writeRaw(
        QByteArray("A\0B\0"
                   "1after\0",
                   11));
    EXPECT_EQ(gFctScanMailSlot(), 0);
    EXPECT_EQ(gStructureMailslotControl.MessageCount, 0);
    EXPECT_EQ(gFctScanMailSlot(), 1);
    EXPECT_EQ(lastText(), QStringLiteral("1after"));
}

TEST_F(MailslotChannelTest, ADatagramAbove32KiBIsReadWhole) {
    ASSERT_TRUE(gFctInitMailSlot());
    const QByteArray text(60000, 'x');
    writeRaw(QByteArray("A\0B\0", 4) + text + QByteArray(1, '\0'));
    EXPECT_EQ(gFctScanMailSlot(), 1);
    EXPECT_EQ(lastText(), QString::fromLatin1(text));
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST_F(MailslotChannelTest, WritingToOurOwnNameDeliversLocallyAsAnsi) {
    ASSERT_TRUE(gFctInitMailSlot());
    SendToPelimo(QStringLiteral("PC1"), QStringLiteral("pc1"),
                 QString::fromUtf8("1Caf\u00E9 \u20AC \u2603"));
    ASSERT_EQ(scanUntilMessage(kWaitMs), 1);
    EXPECT_EQ(lastSender(), QStringLiteral("PC1"));
    EXPECT_EQ(lastAddressee(), QStringLiteral("pc1"));
    // A character outside the code page arrives as the substitute character.
    EXPECT_EQ(lastText(), QString::fromUtf8("1Caf\u00E9 \u20AC ?"));
    // In order, even when many are written at once.
    for (int i = 0; i < 50; ++i) {
        SendToPelimo(QStringLiteral("PC1"), QStringLiteral("PC1"), QStringLiteral("1#%1").arg(i));
    }
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(scanUntilMessage(kWaitMs), 1);
        EXPECT_EQ(lastText(), QStringLiteral("1#%1").arg(i));
    }
}

TEST_F(MailslotChannelTest, AnEmptyAddresseeSendsNothing) {
    const MailslotTransportConfig config = loopbackConfig();
    LoopbackPeer datagrams(config.datagramPort);
    LoopbackPeer names(config.namePort);
    ASSERT_TRUE(datagrams.isOpen() && names.isOpen());
    MailslotChannel::setTransportConfig(config);
    ASSERT_TRUE(gFctInitMailSlot()) << "the intake cannot start: the test holds its ports";
    SendToPelimo(QStringLiteral("PC1"), QString(), QStringLiteral("1Hello"));
    EXPECT_TRUE(MailslotChannel::flushSends(kWaitMs));
    EXPECT_FALSE(datagrams.receive(200));
    EXPECT_FALSE(names.receive(0));
    EXPECT_EQ(gFctScanMailSlot(), 0);
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST_F(MailslotChannelTest, AnUnknownComputerIsQueriedOnceThenReachedByBroadcast) {
    const MailslotTransportConfig config = loopbackConfig();
    LoopbackPeer datagrams(config.datagramPort);
    LoopbackPeer names(config.namePort);
    MailslotChannel::setTransportConfig(config);
    SendToPelimo(QStringLiteral("PC1"), QStringLiteral("nobody"), QStringLiteral("1Hello"));
    // Returns at once; the query and the datagram follow on the sender's thread.
    const auto query = names.receive(kWaitMs);
    ASSERT_TRUE(query);
    const auto request = decodeNameQueryRequest(*query);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->name.name, QByteArray("NOBODY"));
    EXPECT_TRUE(request->broadcast);
    const auto packet = datagrams.receive(kWaitMs);
    ASSERT_TRUE(packet);
    const auto decoded = decodeMailslotDatagram(*packet);
    ASSERT_TRUE(decoded.datagram);
    EXPECT_EQ(decoded.datagram->messageType, nbds::kDirectUnique);
    EXPECT_EQ(decoded.datagram->destination.name, QByteArray("NOBODY"));
    EXPECT_EQ(decoded.datagram->source.name, QByteArray("PC1"));
    EXPECT_EQ(decoded.datagram->sourcePort, config.datagramPort);
    EXPECT_EQ(decoded.datagram->sourceIp, 0x7F000001u);
    EXPECT_EQ(decoded.datagram->mailslotName, QByteArray("\\MAILSLOT\\") + channel_);
    EXPECT_EQ(decoded.datagram->data, QByteArray("PC1\0nobody\0"
                                                 "1Hello\0",
                                                 18));
    EXPECT_FALSE(names.receive(100)) << "one query only";
    // The name nobody answered for costs no more waiting for a while: straight to broadcast.
    for (int i = 0; i < 3; ++i)
        SendToPelimo(QStringLiteral("PC1"), QStringLiteral("NOBODY"), QStringLiteral("1again"));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(datagrams.receive(kWaitMs)) << i;
    EXPECT_FALSE(names.receive(0)) << "not queried again";
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST_F(MailslotChannelTest, TheTableHoldsOnlyWhatTheReceiveLoopHasNotTakenYet) {
    ASSERT_TRUE(gFctInitMailSlot());
    const MailslotControlData& control = gStructureMailslotControl;
    constexpr int kUntaken = kMaxHeldMailslotEntries + 44;
    for (int i = 1; i <= kUntaken; ++i) {
        gAddMessageToMailslotControl(QStringLiteral("PC%1").arg(i), QStringLiteral("ME"),
                                     QStringLiteral("1#%1").arg(i));
    }
    // Never taken: the oldest made room and were counted lost; the count goes on.
    EXPECT_EQ(control.MessageCount, kUntaken);
    EXPECT_EQ(control.TextList.heldCount(), kMaxHeldMailslotEntries);
    EXPECT_EQ(control.SenderList[kUntaken], QStringLiteral("PC%1").arg(kUntaken));
    EXPECT_TRUE(control.TextList[44].isEmpty());
    EXPECT_EQ(control.TextList[45], QStringLiteral("1#45"));
    EXPECT_EQ(MailslotIntake::lostDatagrams(), 44u);

    // Taken entries leave the table; the next datagram still lands at the next count.
    MailslotChannel::releaseEntries(kUntaken);
    EXPECT_TRUE(control.TextList.isEmpty() && control.OriginList.isEmpty());
    EXPECT_EQ(control.HeldBytes, 0);
    writeRaw(
        QByteArray("A\0B\0"
                   "1next\0",
                   10));
    ASSERT_EQ(gFctScanMailSlot(), 1);
    EXPECT_EQ(control.MessageCount, kUntaken + 1);
    EXPECT_EQ(lastText(), QStringLiteral("1next"));
    MailslotChannel::releaseEntries(control.MessageCount);

    // Large texts are bounded by their size too.
    const QString big(60000, u'x');
    for (int i = 0; i < 200; ++i)
        gAddMessageToMailslotControl(QStringLiteral("PC"), QStringLiteral("ME"), big);
    EXPECT_LE(control.HeldBytes, kMaxHeldMailslotBytes);
    EXPECT_LT(control.TextList.heldCount(), 100);
    EXPECT_EQ(lastText(), big);
    EXPECT_EQ(MailslotIntake::lostDatagrams(),
              44u + 200u - static_cast<quint64>(control.TextList.heldCount()));
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST_F(MailslotChannelTest, AnAnswerGoesWhereTheDatagramCameFromNeverWhereItsNameLeads) {
    MailslotTransportConfig config = loopbackConfig();
    config.networkIntake = false;
    // Broadcasts and name queries go where nobody listens: only a datagram sent to the
    // address itself reaches the peer.
    config.broadcastOverride = {QStringLiteral("127.0.0.2")};
    // It finds "localhost" in the hosts file.
    config.useSystemResolver = true;
    LoopbackPeer datagrams(config.datagramPort);
    ASSERT_TRUE(datagrams.isOpen());
    MailslotChannel::setTransportConfig(config);

    gSendIdentificationAnswer(QStringLiteral("PC7"), MailslotOrigin::fromNetwork(0x7F000001, 138));
    const auto packet = datagrams.receive(kWaitMs);
    ASSERT_TRUE(packet);
    const auto answer = decodeMailslotDatagram(*packet);
    ASSERT_TRUE(answer.datagram);
    EXPECT_EQ(answer.datagram->destination.name, QByteArray("PC7"));
    EXPECT_EQ(answer.datagram->data, QByteArray("PC1\0PC7\0"
                                                "4Pelimo : Identification Answer\0",
                                                40));

    // A name from the network is never an address nor handed to the system resolver, which
    // knows "localhost" from the hosts file.
    gSendIdentificationAnswer(QStringLiteral("127.0.0.1"), MailslotOrigin::local());
    gSendIdentificationAnswer(QStringLiteral("localhost"), MailslotOrigin::local());
    gSendIdentificationRequest(QStringLiteral("localhost"));
    // A name the user typed may reach the resolver.
    SendToPelimo(QStringLiteral("PC1"), QStringLiteral("localhost"), QStringLiteral("1typed"));
    ASSERT_TRUE(MailslotChannel::flushSends(kWaitMs));
    const auto next = datagrams.receive(kWaitMs);
    ASSERT_TRUE(next);
    ASSERT_TRUE(decodeMailslotDatagram(*next).datagram);
    EXPECT_EQ(decodeMailslotDatagram(*next).datagram->data, QByteArray("PC1\0localhost\0"
                                                                       "1typed\0",
                                                                       21));
    EXPECT_FALSE(datagrams.receive(100));
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST(MailslotSenderQueue, WhatDoesNotFitIsDroppedAndCounted) {
    MailslotTransportConfig config = loopbackOnFreePorts();
    config.broadcastOverride = {QStringLiteral("127.0.0.2")};
    config.nameQueryTimeoutMs = 1000;
    MailslotSender sender(
        config, [] { return QByteArray("TESTGROUP"); }, std::make_shared<NetbiosNameCache>());
    OutgoingMailslotMessage message;
    message.sender = "PC1";
    message.addressee = "SLOW";  // its name query waits in vain while the queue fills
    message.channel = "pelimo";
    message.message = QByteArray(60000, 'x');
    std::size_t accepted = 0;
    constexpr std::size_t kLarge = 300;
    for (std::size_t i = 0; i < kLarge; ++i)
        accepted += sender.enqueue(message) ? 1 : 0;
    EXPECT_LE(accepted, MailslotSender::kMaxQueuedBytes / 60000 + 1);
    message.message = "short";
    constexpr std::size_t kShort = MailslotSender::kMaxQueuedMessages + 100;
    for (std::size_t i = 0; i < kShort; ++i)
        accepted += sender.enqueue(message) ? 1 : 0;
    EXPECT_LE(accepted, MailslotSender::kMaxQueuedMessages + 1);
    EXPECT_EQ(sender.dropped(), kLarge + kShort - accepted);
    EXPECT_TRUE(sender.flush(kWaitMs)) << "one query for the unknown name, then broadcasts";
}

TEST_F(MailslotChannelTest, AComputerThatAnswersTheQueryGetsTheDatagramDirectly) {
    const MailslotTransportConfig config = loopbackConfig();
    LoopbackPeer datagrams(config.datagramPort);
    LoopbackPeer names(config.namePort);
    MailslotChannel::setTransportConfig(config);
    SendToPelimo(QStringLiteral("PC1"), QStringLiteral("PC2"), QStringLiteral("1one"));
    std::uint16_t queryPort = 0;
    const auto query = names.receive(kWaitMs, &queryPort);
    ASSERT_TRUE(query);
    const auto request = decodeNameQueryRequest(*query);
    ASSERT_TRUE(request);
    NameQueryResponse answer;
    answer.transactionId = request->transactionId;
    answer.name = request->name;
    answer.addresses = {{false, 0x7F000001}};
    NameQueryResponse stale = answer;  // an answer to another question is not taken
    stale.transactionId = static_cast<std::uint16_t>(request->transactionId + 1);
    stale.addresses = {{false, 0x7F000063}};
    ASSERT_TRUE(names.sendTo(queryPort, encodePositiveNameQueryResponse(stale)));
    ASSERT_TRUE(names.sendTo(queryPort, encodePositiveNameQueryResponse(answer)));
    const auto first = datagrams.receive(kWaitMs);
    ASSERT_TRUE(first);
    ASSERT_TRUE(decodeMailslotDatagram(*first).datagram);
    EXPECT_EQ(decodeMailslotDatagram(*first).datagram->data, QByteArray("PC1\0PC2\0"
                                                                        "1one\0",
                                                                        13));
    // The answer is remembered: the next datagram goes without a query.
    SendToPelimo(QStringLiteral("PC1"), QStringLiteral("pc2"), QStringLiteral("1two"));
    const auto second = datagrams.receive(kWaitMs);
    ASSERT_TRUE(second);
    EXPECT_EQ(decodeMailslotDatagram(*second).datagram->data, QByteArray("PC1\0pc2\0"
                                                                         "1two\0",
                                                                         13));
    EXPECT_FALSE(names.receive(0));
}

TEST_F(MailslotChannelTest, AUsersSecondCopyOnAChannelIsRefusedAndToldWhy) {
    const MailslotTransportConfig config = loopbackConfig();
    MailslotChannel::setTransportConfig(config);
    ASSERT_TRUE(gFctInitMailSlot()) << "starts the router";
    const QByteArray prefix = routerSocketPrefix(config.datagramPort);
    RouterClient::Outcome outcome;
    EXPECT_FALSE(RouterClient::open(prefix, channel_, nullptr, outcome));
    EXPECT_EQ(outcome.status, RouterClient::Status::Taken);
    gCloseMailSlot();
    const auto other = RouterClient::open(prefix, channel_, nullptr, outcome);
    ASSERT_TRUE(other) << "the router outlives the mailslot";
    EXPECT_FALSE(gFctInitMailSlot());
    EXPECT_EQ(gStructureMailslotControl.MailSlotHandle, kInvalidHandleValue);
    EXPECT_EQ(gFctScanMailSlot(), -1);
    EXPECT_TRUE(MailslotChannel::failure().contains(QString::fromLatin1(channel_)))
        << MailslotChannel::failure().toStdString();
    EXPECT_TRUE(DialogSeam::shown().empty()) << "the caller says it";
}

TEST_F(MailslotChannelTest, WorkgroupAndStarGoThroughTheRouterToTheLocalMailslot) {
    MailslotChannel::setTransportConfig(loopbackConfig());
    ASSERT_TRUE(gFctInitMailSlot());
    SendToPelimo(QStringLiteral("PC1"), QStringLiteral("testgroup"), QStringLiteral("1to all"));
    ASSERT_EQ(scanUntilMessage(kWaitMs), 1);
    EXPECT_EQ(lastAddressee(), QStringLiteral("testgroup"));
    EXPECT_EQ(lastText(), QStringLiteral("1to all"));
    SendToPelimo(QStringLiteral("PC1"), QStringLiteral("*"),
                 QStringLiteral("3Pelimo : Identification Request"));
    ASSERT_EQ(scanUntilMessage(kWaitMs), 1);
    EXPECT_EQ(lastAddressee(), QStringLiteral("*"));
    EXPECT_EQ(lastText(), QStringLiteral("3Pelimo : Identification Request"));
    EXPECT_TRUE(DialogSeam::shown().empty());
}

TEST_F(MailslotChannelTest, TheRouterTakesOnlyWellFormedWritesForOurNames) {
    const MailslotTransportConfig config = loopbackConfig();
    MailslotChannel::setTransportConfig(config);
    ASSERT_TRUE(gFctInitMailSlot());
    LoopbackPeer remote(0);
    MailslotDatagram datagram;
    datagram.source = {"PC7", kSuffixWorkstation};
    datagram.mailslotName = QByteArray("\\mailslot\\") + channel_.toUpper();
    const auto sendFor = [&](const char* name, std::uint8_t suffix, const char* text) {
        datagram.destination = {name, suffix};
        datagram.data =
            QByteArray("PC7\0", 4) + name + QByteArray(1, '\0') + text + QByteArray(1, '\0');
        ASSERT_TRUE(remote.sendTo(config.datagramPort, encodeMailslotDatagram(datagram)));
    };
    sendFor("OTHER", kSuffixWorkstation, "1not ours");
    sendFor("TESTGROUP", kSuffixMessenger, "1not ours either");
    QByteArray fragment = encodeMailslotDatagram(datagram);
    fragment[1] = 0x03;
    remote.sendTo(config.datagramPort, fragment);
    remote.sendTo(config.datagramPort, QByteArray(3000, '\xFF'));
    sendFor("pc1", kSuffixMessenger, "1ours");
    ASSERT_EQ(scanUntilMessage(kWaitMs), 1);
    EXPECT_EQ(lastText(), QStringLiteral("1ours"));
    EXPECT_EQ(gStructureMailslotControl.MessageCount, 1);
    EXPECT_EQ(gFctScanMailSlot(), 0);
}

TEST_F(MailslotChannelTest, TheNameServiceAnswersForOurComputerNameOnly) {
    const MailslotTransportConfig config = loopbackConfig();
    MailslotChannel::setTransportConfig(config);
    ASSERT_TRUE(gFctInitMailSlot());
    LoopbackPeer asker(0);
    NameQueryRequest request{0x5151, {"OTHER", kSuffixWorkstation}, true};
    ASSERT_TRUE(asker.sendTo(config.namePort, encodeNameQueryRequest(request)));
    request = {0x5152, {"pc1", kSuffixWorkstation}, true};
    ASSERT_TRUE(asker.sendTo(config.namePort, encodeNameQueryRequest(request)));
    const auto reply = asker.receive(kWaitMs);
    ASSERT_TRUE(reply);
    const auto response = decodePositiveNameQueryResponse(*reply);
    ASSERT_TRUE(response);
    EXPECT_EQ(response->transactionId, 0x5152);
    EXPECT_EQ(response->name.name, QByteArray("PC1"));
    ASSERT_EQ(response->addresses.size(), 1u);
    EXPECT_EQ(response->addresses[0].address, 0x7F000001u);
    EXPECT_FALSE(response->addresses[0].group);
    EXPECT_FALSE(asker.receive(100));
}

namespace {

// Drops CAP_NET_BIND_SERVICE from this thread's effective set for the object's lifetime.
class WithoutBindPrivilege {
public:
    WithoutBindPrivilege() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct changed[2] = {saved_[0], saved_[1]};
        changed[0].effective &= ~(1u << CAP_NET_BIND_SERVICE);
        changed_ = syscall(SYS_capset, &header_, changed) == 0;
    }
    ~WithoutBindPrivilege() {
        if (changed_)
            syscall(SYS_capset, &header_, saved_);
    }

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool changed_ = false;
};

// Ports below 1024 on loopback only; binding them receives, it sends nothing.
MailslotTransportConfig withPrivilegedPorts(MailslotTransportConfig config) {
    config.datagramPort = 238;
    config.namePort = 237;
    config.routerRetryIntervalMs = 60000;
    return config;
}

}  // namespace

TEST_F(MailslotChannelTest, MissingBindPrivilegeIsExplainedOnceAndTheProgramGoesOn) {
    MailslotChannel::setTransportConfig(withPrivilegedPorts(loopbackConfig()));
    {
        WithoutBindPrivilege drop;
        ASSERT_TRUE(gFctInitMailSlot());
    }
    if (DialogSeam::shown().empty())
        GTEST_SKIP() << "ports below 1024 are not privileged here";
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    EXPECT_TRUE(
        DialogSeam::shown()[0].text.contains(QStringLiteral("setcap cap_net_bind_service=+ep")));
    // The mailslot works without the intake; a second start says nothing more.
    SendToPelimo(QStringLiteral("PC1"), QStringLiteral("PC1"), QStringLiteral("1local"));
    EXPECT_EQ(scanUntilMessage(kWaitMs), 1);
    gCloseMailSlot();
    {
        WithoutBindPrivilege drop;
        ASSERT_TRUE(gFctInitMailSlot());
    }
    EXPECT_EQ(DialogSeam::shown().size(), 1u);
}

TEST_F(MailslotChannelTest, AnInstalledPresenterIsToldWhatTheIntakeCannotDoInsteadOfTheSeam) {
    MailslotChannel::setTransportConfig(withPrivilegedPorts(loopbackConfig()));
    QStringList told;
    MailslotIntake::setPresenter([&told](const QString& text) { told.append(text); });
    {
        WithoutBindPrivilege drop;
        ASSERT_TRUE(gFctInitMailSlot());
    }
    if (told.isEmpty() && DialogSeam::shown().empty())
        GTEST_SKIP() << "ports below 1024 are not privileged here";
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(QStringLiteral("setcap cap_net_bind_service=+ep")));
    EXPECT_TRUE(DialogSeam::shown().empty()) << "the window layer shows it, not the seam";
}

TEST_F(MailslotChannelTest, ComputerNameIsTheUpperCasedNetbiosName) {
    QString name = QStringLiteral("previous");
    EXPECT_EQ(gFctGetComputerName(name), 1);
    EXPECT_FALSE(name.isEmpty());
    EXPECT_LE(name.size(), 15);
    EXPECT_EQ(name, name.toUpper());
}

TEST(MailslotTransportDefaults, ScriptedModeKeepsTheTransportOffTheNetwork) {
    MailslotChannel::reset();
    ASSERT_TRUE(DialogSeam::isScripted());
    EXPECT_FALSE(MailslotChannel::transportConfig().networkSend);
    EXPECT_FALSE(MailslotChannel::transportConfig().networkIntake);
    DialogSeam::setScripted(false);
    const MailslotTransportConfig program = MailslotChannel::transportConfig();
    DialogSeam::setScripted(true);
    EXPECT_TRUE(program.networkSend && program.networkIntake);
    EXPECT_EQ(program.datagramPort, 138);
    EXPECT_EQ(program.namePort, 137);
    EXPECT_TRUE(program.broadcastOverride.isEmpty());
    // A configuration that was set wins until the next reset.
    MailslotChannel::setTransportConfig(MailslotTransportConfig::loopback(40000, 40001));
    EXPECT_EQ(MailslotChannel::transportConfig().datagramPort, 40000);
    MailslotChannel::reset();
    EXPECT_FALSE(MailslotChannel::transportConfig().networkSend);
}
