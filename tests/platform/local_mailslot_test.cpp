// The local mailslot socket: exclusive creation, peeking, reading whole messages in order, and the
// writer that holds messages back instead of blocking on a full mailslot.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QThread>

#include <cstring>

#include "common/mailslot_test_support.h"
#include "common/test_folder.h"
#include "platform/local_mailslot.h"
#include "platform/mailslot_reader.h"

using namespace pelimo::platform;

TEST(LocalMailslot, CreationIsExclusiveAndIgnoresLetterCase) {
    const QByteArray channel = uniqueChannel("Excl");
    const int first = createLocalMailslot(channel);
    ASSERT_GE(first, 0);
    EXPECT_EQ(createLocalMailslot(channel), -1);
    EXPECT_EQ(createLocalMailslot(channel.toLower()), -1);
    closeLocalMailslot(first);
    const int again = createLocalMailslot(channel.toUpper());
    EXPECT_GE(again, 0);
    closeLocalMailslot(again);
    EXPECT_EQ(localMailslotAddress("Pelimo"), QByteArray("pelimo/mailslot/pelimo"));
}

TEST(LocalMailslot, QueuedMessagesArePeekedAndReadOneAtATimeInOrder) {
    const QByteArray channel = uniqueChannel("queue");
    const int handle = createLocalMailslot(channel);
    ASSERT_GE(handle, 0);
    EXPECT_FALSE(queryLocalMailslot(-1).ok);
    LocalMailslotInfo info = queryLocalMailslot(handle);
    EXPECT_TRUE(info.ok);
    EXPECT_EQ(info.waiting, 0);

    LocalMailslotWriter writer;
    const QByteArray big(65000, 'b');
    EXPECT_EQ(writer.sendNow(channel, "first"), MailslotDelivery::Delivered);
    EXPECT_EQ(writer.sendNow(channel, QByteArray()), MailslotDelivery::Delivered);
    EXPECT_EQ(writer.sendNow(channel, big), MailslotDelivery::Delivered);

    // Each message travels in its envelope.
    const auto opened = [](const std::optional<QByteArray>& bytes) {
        const auto envelope = bytes ? decodeMailslotEnvelope(*bytes) : std::nullopt;
        return envelope ? envelope->message : QByteArray("(no envelope)");
    };
    info = queryLocalMailslot(handle);
    EXPECT_EQ(info.waiting, 1);
    EXPECT_EQ(info.nextSize, kMailslotEnvelopeHeaderSize + 5);
    EXPECT_EQ(queryLocalMailslot(handle).nextSize, info.nextSize) << "peeking does not consume";
    EXPECT_EQ(opened(readLocalMailslot(handle, info.nextSize)), QByteArray("first"));

    info = queryLocalMailslot(handle);  // the zero-length message is a message too
    EXPECT_EQ(info.waiting, 1);
    EXPECT_EQ(info.nextSize, kMailslotEnvelopeHeaderSize);
    EXPECT_EQ(opened(readLocalMailslot(handle, info.nextSize)), QByteArray());

    info = queryLocalMailslot(handle);
    EXPECT_EQ(info.nextSize, kMailslotEnvelopeHeaderSize + big.size());
    EXPECT_EQ(opened(readLocalMailslot(handle, info.nextSize)), big);
    EXPECT_EQ(queryLocalMailslot(handle).waiting, 0);
    EXPECT_FALSE(readLocalMailslot(handle, 10));
    closeLocalMailslot(handle);
}

TEST(LocalMailslot, WriterHoldsBackABurstAndKeepsItsOrder) {
    const QByteArray channel = uniqueChannel("burst");
    const int handle = createLocalMailslot(channel);
    ASSERT_GE(handle, 0);
    LocalMailslotWriter writer;
    constexpr int kBurst = 1000;
    int heldBack = 0;
    for (int i = 0; i < kBurst; ++i) {
        QByteArray message = QByteArray::number(i).rightJustified(100, '.');
        const MailslotDelivery result = writer.deliver(channel, message);
        ASSERT_TRUE(result == MailslotDelivery::Delivered || result == MailslotDelivery::HeldBack);
        heldBack += result == MailslotDelivery::HeldBack ? 1 : 0;
    }
    // Whatever the kernel's queue length, nothing was refused and nothing blocked.
    EXPECT_EQ(static_cast<int>(writer.pendingCount()), heldBack);
    for (int i = 0; i < kBurst; ++i) {
        LocalMailslotInfo info = queryLocalMailslot(handle);
        if (info.waiting == 0) {
            writer.retryPending();
            info = queryLocalMailslot(handle);
        }
        ASSERT_EQ(info.waiting, 1) << "message " << i << " lost";
        const auto message = readLocalMailslot(handle, info.nextSize);
        ASSERT_TRUE(message);
        EXPECT_EQ(message->mid(message->lastIndexOf('.') + 1).toInt(), i);
    }
    writer.retryPending();
    EXPECT_FALSE(writer.hasPending());
    EXPECT_EQ(queryLocalMailslot(handle).waiting, 0);
    closeLocalMailslot(handle);
}

TEST(LocalMailslot, NothingIsHeldForAMailslotThatDoesNotExist) {
    LocalMailslotWriter writer;
    const QByteArray channel = uniqueChannel("nobody");
    EXPECT_EQ(writer.deliver(channel, "x"), MailslotDelivery::NoMailslot);
    EXPECT_FALSE(writer.hasPending());
    // Messages held back for a mailslot that then disappears are dropped, not retried forever.
    const int handle = createLocalMailslot(channel);
    ASSERT_GE(handle, 0);
    while (writer.deliver(channel, QByteArray(100, 'x')) == MailslotDelivery::Delivered) {
    }
    EXPECT_TRUE(writer.hasPending());
    closeLocalMailslot(handle);
    EXPECT_FALSE(writer.retryPending());
}

TEST(LocalMailslot, EnvelopesTellWhereAMessageCameFromAndNothingElsePasses) {
    const QByteArray message(
        "PC9\0PC1\0"
        "3req\0",
        12);
    for (const MailslotOrigin& origin :
         {MailslotOrigin::local(), MailslotOrigin::fromNetwork(0x0A000105, 138)}) {
        const auto decoded = decodeMailslotEnvelope(encodeMailslotEnvelope(origin, message));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->origin, origin);
        EXPECT_EQ(decoded->message, message);
    }
    // A local message carries no address, whatever the caller put in.
    MailslotOrigin claimed = MailslotOrigin::fromNetwork(0x0A000105, 138);
    claimed.network = false;
    EXPECT_EQ(decodeMailslotEnvelope(encodeMailslotEnvelope(claimed, "x"))->origin,
              MailslotOrigin::local());
    const QByteArray good = encodeMailslotEnvelope(MailslotOrigin::fromNetwork(1, 2), "x");
    for (qsizetype cut = 0; cut < kMailslotEnvelopeHeaderSize; ++cut)
        EXPECT_FALSE(decodeMailslotEnvelope(good.first(cut))) << "cut at " << cut;
    for (qsizetype at = 0; at < 6; ++at) {  // magic, version, origin kind, reserved byte
        QByteArray spoiled = good;
        spoiled[at] = static_cast<char>(spoiled[at] ^ 0x40);
        EXPECT_FALSE(decodeMailslotEnvelope(spoiled)) << "byte " << at;
    }
    QByteArray localWithAddress = encodeMailslotEnvelope(MailslotOrigin::local(), "x");
    localWithAddress[11] = 1;
    EXPECT_FALSE(decodeMailslotEnvelope(localWithAddress));

    // The reader hands out enveloped messages and drops anything else another program writes.
    const QByteArray channel = uniqueChannel("envelope");
    const int handle = createLocalMailslot(channel);
    ASSERT_GE(handle, 0);
    {
        MailslotReader reader(handle);
        const int raw = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = localMailslotAddress(channel);
        std::memcpy(address.sun_path + 1, name.constData(), static_cast<std::size_t>(name.size()));
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        ASSERT_EQ(::sendto(raw, message.constData(), static_cast<std::size_t>(message.size()), 0,
                           reinterpret_cast<const sockaddr*>(&address), length),
                  message.size());
        ::close(raw);
        LocalMailslotWriter writer;
        ASSERT_EQ(writer.sendNow(channel, message, MailslotOrigin::fromNetwork(0x0A000105, 138)),
                  MailslotDelivery::Delivered);
        std::optional<EnvelopedMessage> taken;
        for (int i = 0; i < 2000 && !taken; ++i) {
            taken = reader.take();
            if (!taken)
                QThread::msleep(1);
        }
        ASSERT_TRUE(taken);
        EXPECT_EQ(taken->message, message);
        EXPECT_EQ(taken->origin.address, 0x0A000105u);
        EXPECT_EQ(reader.malformed(), 1u);
        EXPECT_FALSE(reader.take());
    }
    closeLocalMailslot(handle);
}
