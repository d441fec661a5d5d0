// The local mailslot socket: exclusive creation, peeking, reading whole messages in order, and the
// writer that holds messages back instead of blocking on a full mailslot.
#include <gtest/gtest.h>

#include "common/test_folder.h"
#include "platform/local_mailslot.h"
#include "transport_test_support.h"

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

    info = queryLocalMailslot(handle);
    EXPECT_EQ(info.waiting, 1);
    EXPECT_EQ(info.nextSize, 5);
    EXPECT_EQ(queryLocalMailslot(handle).nextSize, 5) << "peeking does not consume";
    EXPECT_EQ(readLocalMailslot(handle, info.nextSize), QByteArray("first"));

    info = queryLocalMailslot(handle);  // the zero-length message is a message too
    EXPECT_EQ(info.waiting, 1);
    EXPECT_EQ(info.nextSize, 0);
    EXPECT_EQ(readLocalMailslot(handle, info.nextSize), QByteArray());

    info = queryLocalMailslot(handle);
    EXPECT_EQ(info.nextSize, big.size());
    EXPECT_EQ(readLocalMailslot(handle, info.nextSize), big);
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
