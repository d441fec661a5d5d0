// Receiving beside nmbd: the stream of its unexpected-packet socket, the router reading it when the
// datagram port is taken (duplicates and cut datagrams dropped, reconnection, no name service),
// the one-copy rule for broadcasts sent on several interfaces, and naming the port's holder.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cstring>
#include <string>

#include "common/test_folder.h"
#include "platform/local_mailslot.h"
#include "platform/mailslot_sender.h"
#include "platform/netbios/duplicate_datagram_filter.h"
#include "platform/netbios/mailslot_router.h"
#include "platform/netbios/nmbd_unexpected_reader.h"
#include "platform/udp_port_holder.h"
#include "stores/settings.h"
#include "transport/mailslot_channel.h"
#include "transport_test_support.h"

using namespace pelimo::platform;

namespace {

constexpr int kWaitMs = 5000;

QByteArray datagramFor(const QByteArray& channel, const QByteArray& destination,
                       const QByteArray& text, std::uint16_t id) {
    MailslotDatagram datagram;
    datagram.messageType = nbds::kDirectGroup;
    datagram.datagramId = id;
    datagram.sourceIp = 0x0A000001;
    datagram.source = {"PC7", kSuffixWorkstation};
    datagram.destination = {destination, kSuffixWorkstation};
    datagram.mailslotName = QByteArray(kMailslotPrefix) + channel;
    datagram.data = text;
    return encodeMailslotDatagram(datagram);
}

// One packet of nmbd's stream: its header in this machine's layout, then the datagram.
QByteArray streamPacket(const QByteArray& datagram, std::int32_t type = 1) {
    QByteArray header(nmbd::kPacketHeaderSize, '\0');
    const std::size_t length = static_cast<std::size_t>(datagram.size());
    const std::uint32_t address = htonl(0x0A000001);
    const std::int32_t port = 138;
    std::memcpy(header.data(), &length, sizeof length);
    std::memcpy(header.data() + 8, &type, sizeof type);
    std::memcpy(header.data() + 24, &address, sizeof address);
    std::memcpy(header.data() + 28, &port, sizeof port);
    return header + datagram;
}

// nmbd's side of the unexpected socket: accepts one reader at a time.
class FakeNmbd {
public:
    explicit FakeNmbd(const QString& path) {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray bytes = path.toLocal8Bit();
        std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
        ok_ = ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
              ::listen(listener_, 4) == 0;
    }
    ~FakeNmbd() {
        dropReader();
        ::close(listener_);
    }
    bool ok() const { return ok_; }
    // Accepts the next reader and returns its query.
    QByteArray acceptQuery() {
        pollfd wait{listener_, POLLIN, 0};
        if (::poll(&wait, 1, kWaitMs) != 1)
            return {};
        reader_ = ::accept(listener_, nullptr, nullptr);
        QByteArray query(nmbd::kQuerySize, '\0');
        return ::recv(reader_, query.data(), nmbd::kQuerySize, MSG_WAITALL) == query.size()
                   ? query
                   : QByteArray();
    }
    bool send(const QByteArray& bytes) {
        return ::send(reader_, bytes.constData(), static_cast<std::size_t>(bytes.size()),
                      MSG_NOSIGNAL) == bytes.size();
    }
    void dropReader() {
        if (reader_ >= 0)
            ::close(reader_);
        reader_ = -1;
    }

private:
    int listener_ = -1;
    int reader_ = -1;
    bool ok_ = false;
};

QString ownCommandName() {
    QFile comm(QStringLiteral("/proc/self/comm"));
    return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed()
                                          : QString();
}

}  // namespace

TEST(NmbdStream, PacketsAreCutWhateverPiecesTheStreamArrivesIn) {
    const QByteArray first = datagramFor("pelimo", "PC1", "one", 1);
    const QByteArray second = datagramFor("pelimo", "PC1", "two", 2);
    const QByteArray stream = QByteArray(1, '\0') + streamPacket(first) +
                              streamPacket("name packet", 0) + streamPacket(second);
    NmbdStreamParser parser;
    std::vector<NmbdPacket> packets;
    for (const char byte : stream) {
        parser.feed(QByteArrayView(&byte, 1));
        while (auto packet = parser.next())
            packets.push_back(*packet);
    }
    ASSERT_EQ(packets.size(), 2u) << "the packet of another type is skipped";
    EXPECT_EQ(packets[0].datagram, first);
    EXPECT_EQ(packets[1].datagram, second);
    EXPECT_EQ(packets[0].sourceIp, 0x0A000001u);
    EXPECT_EQ(packets[0].sourcePort, 138);
    EXPECT_FALSE(parser.failed());

    NmbdStreamParser refused;
    refused.feed(QByteArray(1, '\1') + streamPacket(first));
    EXPECT_FALSE(refused.next());
    EXPECT_TRUE(refused.failed());

    // A length beyond any datagram means the stream is not what we think it is.
    NmbdStreamParser oversized;
    QByteArray huge = QByteArray(1, '\0') + streamPacket(first);
    const std::size_t length = 1u << 20;
    std::memcpy(huge.data() + 1, &length, sizeof length);
    oversized.feed(huge);
    EXPECT_FALSE(oversized.next());
    EXPECT_TRUE(oversized.failed());
}

TEST(DuplicateDatagrams, OnlyTheSameSourceIdAndBytesWithinTwoSecondsRepeat) {
    DuplicateDatagramFilter filter;
    const auto start = DuplicateDatagramFilter::Clock::now();
    EXPECT_FALSE(filter.isDuplicate(1, 7, "bytes", start));
    EXPECT_TRUE(filter.isDuplicate(1, 7, "bytes", start + std::chrono::milliseconds(1999)));
    EXPECT_FALSE(filter.isDuplicate(2, 7, "bytes", start)) << "other source";
    EXPECT_FALSE(filter.isDuplicate(1, 8, "bytes", start)) << "other id";
    EXPECT_FALSE(filter.isDuplicate(1, 7, "other", start)) << "other bytes";
    EXPECT_FALSE(filter.isDuplicate(1, 7, "bytes", start + std::chrono::milliseconds(4500)))
        << "older than the window";
}

TEST(NmbdIntake, TheRouterReadsNmbdWhileThePortIsTakenAndReconnectsAfterARestart) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("unexpected"));
    FakeNmbd nmbd(path);
    ASSERT_TRUE(nmbd.ok());
    MailslotTransportConfig config = loopbackOnFreePorts();
    config.nmbdUnexpectedSocket = path;
    config.routerRetryIntervalMs = 20;
    auto portHolder = std::make_unique<LoopbackPeer>(config.datagramPort);
    ASSERT_TRUE(portHolder->isOpen());

    MailslotRouter router(config, {"PC1", "TESTGROUP"}, std::make_shared<NetbiosNameCache>());
    const RouterStartResult started = router.start();
    EXPECT_FALSE(started.datagramPortBound);
    EXPECT_TRUE(started.readingNmbd);
    EXPECT_FALSE(router.isAnsweringNames()) << "name queries are nmbd's";
    const QByteArray query = nmbd.acceptQuery();
    ASSERT_EQ(query.size(), static_cast<qsizetype>(nmbd::kQuerySize));
    std::int32_t type = 0;
    std::size_t filterLength = 99;
    const std::string raw = query.toStdString();
    std::memcpy(&type, raw.data(), sizeof type);
    std::memcpy(&filterLength, raw.data() + 8, sizeof filterLength);
    EXPECT_EQ(type, nmbd::kDatagramPacketType);
    EXPECT_EQ(filterLength, 0u);

    const QByteArray channel = uniqueChannel("nmbd");
    const int handle = createLocalMailslot(channel);
    ASSERT_GE(handle, 0);
    const QByteArray group = datagramFor(channel.toUpper(), "TESTGROUP", "to all", 5);
    const QByteArray cut = datagramFor(channel, "PC1", QByteArray(600, 'x'), 6).left(576);
    ASSERT_TRUE(nmbd.send(QByteArray(1, '\0') + streamPacket(group) + streamPacket(group) +
                          streamPacket(cut) +
                          streamPacket(datagramFor(channel, "OTHER", "not ours", 7)) +
                          streamPacket(datagramFor(channel, "PC1", "direct", 8))));
    EXPECT_EQ(waitForMessage(handle, kWaitMs), QByteArray("to all"))
        << "the mailslot name matches without regard to case";
    EXPECT_EQ(waitForMessage(handle, kWaitMs), QByteArray("direct"));
    EXPECT_EQ(router.counters().duplicates.load(), 1u);
    EXPECT_EQ(router.counters().dropped.load(), 2u) << "the cut datagram and the foreign one";

    // nmbd restarts: its ports stay free for it, and the reader comes back and receives again.
    nmbd.dropReader();
    portHolder.reset();
    ASSERT_EQ(nmbd.acceptQuery().size(), static_cast<qsizetype>(nmbd::kQuerySize));
    EXPECT_TRUE(LoopbackPeer(config.datagramPort).isOpen());
    EXPECT_TRUE(LoopbackPeer(config.namePort).isOpen());
    ASSERT_TRUE(nmbd.send(QByteArray(1, '\0') +
                          streamPacket(datagramFor(channel, "PC1", "after restart", 9))));
    EXPECT_EQ(waitForMessage(handle, kWaitMs), QByteArray("after restart"));
    EXPECT_TRUE(router.isReadingNmbd());
    EXPECT_FALSE(waitForMessage(handle, 100)) << "nothing else";
    closeLocalMailslot(handle);
}

TEST(NmbdIntake, ABroadcastOnSeveralInterfacesIsOneDatagramAndIsDeliveredOnce) {
    MailslotTransportConfig config = loopbackOnFreePorts();
    config.broadcastOverride = {QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.1")};
    config.workgroup = QStringLiteral("TESTGROUP");
    const QByteArray channel = uniqueChannel("twice");
    const int handle = createLocalMailslot(channel);
    ASSERT_GE(handle, 0);
    MailslotRouter router(config, {"PC1", "TESTGROUP"}, std::make_shared<NetbiosNameCache>());
    ASSERT_TRUE(router.start().datagramPortBound);
    {
        MailslotSender sender(
            config, [] { return QByteArray("TESTGROUP"); }, std::make_shared<NetbiosNameCache>());
        sender.enqueue({"PC9", "*", channel,
                        QByteArray("PC9\0*\0"
                                   "1hi\0",
                                   10),
                        "PC8"});
        ASSERT_TRUE(sender.flush(kWaitMs));
    }
    EXPECT_EQ(waitForMessage(handle, kWaitMs), QByteArray("PC9\0*\0"
                                                          "1hi\0",
                                                          10));
    EXPECT_FALSE(waitForMessage(handle, 300));
    EXPECT_EQ(router.counters().duplicates.load(), 1u);
    closeLocalMailslot(handle);
}

TEST(UdpPortHolder, TheProgramHoldingAPortIsNamedFromProc) {
    const QByteArray table =
        "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  "
        "timeout inode ref pointer drops\n"
        " 1: 00000000:008A 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        "
        "0 4242 2 0000000000000000 0\n"
        " 2: 0100007F:0089 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        "
        "0 77 2 0000000000000000 0\n"
        "garbage\n";
    EXPECT_EQ(udpSocketInodes(table, 138), std::vector<std::uint64_t>{4242});
    EXPECT_TRUE(udpSocketInodes(table, 139).empty());

    const MailslotTransportConfig ports = loopbackOnFreePorts();
    LoopbackPeer bound(ports.datagramPort);
    ASSERT_TRUE(bound.isOpen());
    EXPECT_EQ(udpPortHolder(ports.datagramPort), ownCommandName());
}

TEST(NmbdIntake, WithNeitherThePortNorNmbdTheProgramSaysOnceWhoHoldsThePort) {
    MailslotChannel::reset();
    SettingsStore::reset();
    TestFolder folder;
    Settings.MessageChannel = QString::fromLatin1(uniqueChannel("deaf"));
    MailslotTransportConfig config = loopbackOnFreePorts();
    config.nmbdUnexpectedSocket = folder.path(QStringLiteral("no-nmbd/unexpected"));
    config.routerRetryIntervalMs = 60000;
    LoopbackPeer holder(config.datagramPort);
    MailslotChannel::setTransportConfig(config);
    ASSERT_TRUE(gFctInitMailSlot());
    ASSERT_EQ(DialogSeam::shown().size(), 1u);
    const QString& text = DialogSeam::shown()[0].text;
    EXPECT_TRUE(text.contains(ownCommandName())) << text.toStdString();
    EXPECT_TRUE(text.contains(*config.nmbdUnexpectedSocket)) << text.toStdString();
    EXPECT_FALSE(MailslotIntake::figures().routing);
    gCloseMailSlot();
    ASSERT_TRUE(gFctInitMailSlot());
    EXPECT_EQ(DialogSeam::shown().size(), 1u) << "said once";
    MailslotChannel::reset();
    SettingsStore::reset();
}
