// The router of the computer: the records it speaks, who gets a datagram, what programs of
// several users can and cannot take from it, and which listener a program believes.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QThread>

#include <cstring>

#include "common/mailslot_test_support.h"
#include "platform/netbios/router_client.h"
#include "platform/netbios/router_hub.h"
#include "platform/netbios/router_protocol.h"
#include "platform/netbios/router_service.h"

using namespace pelimo::platform;

namespace {

constexpr int kWaitMs = 5000;

OutgoingMailslotMessage someMessage() {
    OutgoingMailslotMessage message;
    message.sender = "PC1";
    message.addressee = "PC2";
    message.channel = "pelimo";
    message.message = QByteArray(
        "PC1\0PC2\0"
        "1hi\0",
        12);
    message.addresseeSource = NameSource::Network;
    message.destinationAddress = 0x0A000002;
    return message;
}

// A raw connection to a listening socket, as any program of the computer could make.
int connectRaw(const QByteArray& name) {
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.constData(), static_cast<std::size_t>(name.size()));
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::optional<router::RouterRecord> readRecord(int fd, int timeoutMs) {
    timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    QByteArray buffer(70000, '\0');
    const ssize_t size = ::recv(fd, buffer.data(), static_cast<std::size_t>(buffer.size()), 0);
    if (size <= 0)
        return std::nullopt;
    return router::decodeRouterRecord(QByteArrayView(buffer).first(size));
}

std::optional<EnvelopedMessage> takeWithin(RouterClient& client, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (auto message = client.take())
            return message;
        QThread::msleep(2);
    }
    return std::nullopt;
}

// A router of this process on loopback ports nobody else uses, with no network intake.
struct TestRouter {
    MailslotTransportConfig config = [] {
        MailslotTransportConfig loopback = loopbackOnFreePorts();
        loopback.networkIntake = false;
        return loopback;
    }();
    RouterService service{config, {"PC1", "TESTGROUP"}, "pelimo-router"};
    QByteArray prefix = routerSocketPrefix(config.datagramPort);
};

}  // namespace

TEST(RouterProtocol, EveryRecordComesBackWholeAndNothingElseIsTaken) {
    const router::ProgramRecord programRecords[] = {
        router::RegisterRequest{"pelimo"}, router::SendRequest{someMessage()},
        router::FlushRequest{500}, router::StatusRequest{}};
    for (const router::ProgramRecord& record : programRecords) {
        const QByteArray bytes = router::encodeProgramRecord(record);
        EXPECT_EQ(router::decodeProgramRecord(bytes), record) << bytes.toHex().constData();
        for (qsizetype cut = 0; cut < bytes.size(); ++cut)
            EXPECT_FALSE(router::decodeProgramRecord(bytes.first(cut))) << "cut at " << cut;
        EXPECT_FALSE(router::decodeProgramRecord(bytes + 'x')) << "a byte too many";
    }
    router::RegisterReply reply;
    reply.result = router::RegisterResult::Taken;
    reply.intake = {true,   false,
                    true,   false,
                    13,     138,
                    137,    "/run/samba/nmbd/unexpected",
                    "nmbd", "/usr/libexec/pelimo/pelimo-router"};
    router::StatusReply status{3, 0x100000002ull, true, true, 4, 5, 6, 212992};
    const router::RouterRecord routerRecords[] = {
        reply, EnvelopedMessage{MailslotOrigin::fromNetwork(0x0A000005, 138), "m"},
        router::FlushReply{true}, status};
    for (const router::RouterRecord& record : routerRecords) {
        const QByteArray bytes = router::encodeRouterRecord(record);
        EXPECT_EQ(router::decodeRouterRecord(bytes), record) << bytes.toHex().constData();
        for (qsizetype cut = 0; cut < bytes.size() - 1; ++cut)
            EXPECT_FALSE(router::decodeRouterRecord(bytes.first(cut))) << "cut at " << cut;
    }
    // Limits hold both ways: what is too long is neither written nor read.
    EXPECT_TRUE(
        router::encodeProgramRecord(router::RegisterRequest{QByteArray(256, 'c')}).isEmpty());
    QByteArray longChannel = router::encodeProgramRecord(router::RegisterRequest{"c"});
    longChannel[1] = 1;  // the length's high byte: 257 bytes announced, and there
    longChannel.append(256, 'c');
    EXPECT_FALSE(router::decodeProgramRecord(longChannel));
    EXPECT_FALSE(router::decodeProgramRecord(
        router::encodeProgramRecord(router::FlushRequest{router::kMaxFlushWaitMs + 1})));
    EXPECT_FALSE(
        router::decodeProgramRecord(router::encodeProgramRecord(router::RegisterRequest{})));
    QByteArray unknownFlag = router::encodeProgramRecord(router::SendRequest{someMessage()});
    unknownFlag[1] = static_cast<char>(unknownFlag[1] | 0x80);
    EXPECT_FALSE(router::decodeProgramRecord(unknownFlag));
    EXPECT_FALSE(router::decodeProgramRecord(QByteArray(1, '\x7F')));
    EXPECT_FALSE(router::decodeRouterRecord(QByteArray(1, '\x7F')));
}

TEST(RouterRecipients, TheUserTheAddresseeNamesAloneElseEveryUserOfTheChannel) {
    const NetbiosIdentity identity{"PC1", "TESTGROUP"};
    const std::vector<MailslotHolder> holders = {
        {"pelimo", "alice"}, {"Pelimo", "bob"}, {"other", "carol"}, {"pelimo", "pc1"}};
    const auto recipients = [&](const char* channel, const char* addressee) {
        return mailslotRecipients(holders, channel, addressee, identity);
    };
    using Indexes = std::vector<std::size_t>;
    EXPECT_EQ(recipients("pelimo", "alice"), Indexes{0});
    EXPECT_EQ(recipients("PELIMO", "BOB"), Indexes{1}) << "case is ignored";
    EXPECT_EQ(recipients("pelimo", "carol"), (Indexes{0, 1, 3})) << "carol is on another channel";
    EXPECT_EQ(recipients("pelimo", "dave"), (Indexes{0, 1, 3}));
    EXPECT_EQ(recipients("pelimo", "*"), (Indexes{0, 1, 3}));
    EXPECT_EQ(recipients("pelimo", "testgroup"), (Indexes{0, 1, 3}));
    // The computer's name is everybody's, even where a user has the same login name.
    EXPECT_EQ(recipients("pelimo", "PC1"), (Indexes{0, 1, 3}));
    EXPECT_EQ(recipients("other", "alice"), Indexes{2});
    EXPECT_TRUE(recipients("none", "alice").empty());
}

TEST(RouterHub, ProgramsTakeOneMailslotPerUserAndChannelAndASlowOneHoldsNobodyUp) {
    TestRouter router;
    ASSERT_EQ(router.service.start(), 0);
    RouterClient::Outcome outcome;
    auto first = RouterClient::open(router.prefix, QByteArray("chan"), nullptr, outcome);
    ASSERT_TRUE(first);
    EXPECT_EQ(outcome.status, RouterClient::Status::Registered);
    for (const char* channel : {"chan", "CHAN"}) {
        EXPECT_FALSE(RouterClient::open(router.prefix, QByteArray(channel), nullptr, outcome));
        EXPECT_EQ(outcome.status, RouterClient::Status::Taken) << channel;
    }
    EXPECT_TRUE(RouterClient::open(router.prefix, QByteArray("other"), nullptr, outcome));

    // A program that speaks nonsense is let go.
    const int garbage = connectRaw(router.service.hub().socketName());
    ASSERT_GE(garbage, 0);
    ASSERT_EQ(::send(garbage, "\x01\x00\x09x", 4, MSG_NOSIGNAL), 4);
    char byte = 0;
    EXPECT_EQ(::recv(garbage, &byte, 1, 0), 0) << "the connection is closed";
    ::close(garbage);

    // A program that takes a mailslot and never reads loses what does not fit in its queue;
    // the others get everything at once.
    const int stuck = connectRaw(router.service.hub().socketName());
    ASSERT_GE(stuck, 0);
    const QByteArray registration = router::encodeProgramRecord(router::RegisterRequest{"slow"});
    ASSERT_EQ(::send(stuck, registration.constData(), static_cast<std::size_t>(registration.size()),
                     MSG_NOSIGNAL),
              registration.size());
    ASSERT_TRUE(readRecord(stuck, kWaitMs));
    auto& hub = const_cast<RouterHub&>(router.service.hub());
    const QByteArray big(60000, 'x');
    constexpr int kDatagrams = 200;  // 12 MB for the slow one
    for (int i = 0; i < kDatagrams; ++i) {
        hub.deliver("slow", big, MailslotOrigin::local());
        EXPECT_EQ(hub.deliver("chan", QByteArray::number(i), MailslotOrigin::fromNetwork(1, 138)),
                  MailslotDelivery::Delivered);
    }
    for (int i = 0; i < kDatagrams; ++i) {
        const auto message = takeWithin(*first, kWaitMs);
        ASSERT_TRUE(message) << "lost from " << i;
        EXPECT_EQ(message->message, QByteArray::number(i));
        EXPECT_EQ(message->origin, MailslotOrigin::fromNetwork(1, 138));
    }
    const QByteArray ask = router::encodeProgramRecord(router::StatusRequest{});
    ASSERT_EQ(::send(stuck, ask.constData(), static_cast<std::size_t>(ask.size()), MSG_NOSIGNAL),
              ask.size());
    int delivered = 0;
    std::optional<router::StatusReply> status;
    while (!status) {
        const auto record = readRecord(stuck, kWaitMs);
        ASSERT_TRUE(record);
        delivered += std::holds_alternative<EnvelopedMessage>(*record) ? 1 : 0;
        if (const auto* reply = std::get_if<router::StatusReply>(&*record))
            status = *reply;
    }
    EXPECT_GT(status->lost, 0u);
    EXPECT_EQ(static_cast<std::uint64_t>(delivered) + status->lost,
              static_cast<std::uint64_t>(kDatagrams));
    ::close(stuck);
}

TEST(RouterClient, AListenerThatIsNoRouterIsNeitherBelievedNorTold) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to listen as another user";
    TestRouter router;
    const QByteArray squatterName = router.prefix + "0";
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t squatter = ::fork();
    ASSERT_GE(squatter, 0);
    if (squatter == 0) {
        // Another user takes a name under the router's before any router runs, and writes down
        // how many bytes programs tell it.
        ::close(report[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(1);
        const int listener = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, squatterName.constData(),
                    static_cast<std::size_t>(squatterName.size()));
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + squatterName.size());
        if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
            ::listen(listener, 8) != 0 || ::write(report[1], "L", 1) != 1) {
            ::_exit(1);
        }
        for (;;) {
            const int program = ::accept(listener, nullptr, nullptr);
            char buffer[4096];
            ssize_t size = 0;
            while ((size = ::recv(program, buffer, sizeof buffer, 0)) > 0) {
                if (::write(report[1], buffer, static_cast<std::size_t>(size)) != size)
                    ::_exit(1);
            }
            ::close(program);
        }
    }
    ::close(report[1]);
    char ready = 0;
    ASSERT_EQ(::read(report[0], &ready, 1), 1);

    RouterClient::Outcome outcome;
    EXPECT_FALSE(RouterClient::open(router.prefix, QByteArray("chan"), nullptr, outcome));
    EXPECT_EQ(outcome.status, RouterClient::Status::Untrusted);
    EXPECT_EQ(outcome.routerUid, 65534u);
    // The real router starts beside it and is found, whatever name the squatter took.
    ASSERT_EQ(router.service.start(), 0);
    const auto client = RouterClient::open(router.prefix, QByteArray("chan"), nullptr, outcome);
    EXPECT_TRUE(client);
    EXPECT_EQ(outcome.status, RouterClient::Status::Registered);
    ::kill(squatter, SIGKILL);
    ::waitpid(squatter, nullptr, 0);
    char told = 0;
    EXPECT_EQ(::read(report[0], &told, 1), 0) << "the squatter was told nothing";
    ::close(report[0]);
}
