// The command-line sender, run as a separate program against this process's mailslot on loopback.
#include <gtest/gtest.h>

#include <QProcess>

#include "common/test_folder.h"
#include "platform/computer_identity.h"
#include "stores/settings.h"
#include "transport/mailslot_channel.h"
#include "transport_test_support.h"

namespace {

constexpr int kRunMs = 20000;

struct SendRun {
    int exitCode = -1;
    QString errors;
};

SendRun runPelimoSend(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(PELIMO_SEND_PATH), arguments);
    SendRun run;
    if (!process.waitForFinished(kRunMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

}  // namespace

TEST(PelimoSend, SendsOnePlainMessageToTheWorkgroupOnLoopback) {
    TestFolder folder;
    MailslotChannel::reset();
    SettingsStore::reset();
    const QByteArray channel = uniqueChannel("cli");
    Settings.MessageChannel = QString::fromLatin1(channel);
    const auto config = loopbackOnFreePorts();
    MailslotChannel::setTransportConfig(config);
    ASSERT_TRUE(gFctInitMailSlot());

    const SendRun run =
        runPelimoSend({QStringLiteral("--channel"), QString::fromLatin1(channel),
                       QStringLiteral("--datagram-port"), QString::number(config.datagramPort),
                       QStringLiteral("--name-port"), QString::number(config.namePort),
                       QStringLiteral("--broadcast"), QStringLiteral("127.0.0.1"),
                       QStringLiteral("--no-resolver"), QStringLiteral("*"),
                       QStringLiteral("hello"), QStringLiteral("world")});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_EQ(scanUntilMessage(5000), 1);
    EXPECT_EQ(gStructureMailslotControl.SenderList[1], pelimo::platform::localComputerName());
    EXPECT_EQ(gStructureMailslotControl.AddresseeList[1], QStringLiteral("*"));
    EXPECT_EQ(gStructureMailslotControl.TextList[1], QStringLiteral("1hello world"));
    // With a router running, the message goes through it: to our own computer name the router
    // hands it straight to the mailslot.
    const SendRun toUs =
        runPelimoSend({QStringLiteral("--channel"), QString::fromLatin1(channel),
                       QStringLiteral("--datagram-port"), QString::number(config.datagramPort),
                       QStringLiteral("--name-port"), QString::number(config.namePort),
                       QStringLiteral("--broadcast"), QStringLiteral("127.0.0.2"),
                       QStringLiteral("--no-resolver"), pelimo::platform::localComputerName(),
                       QStringLiteral("through the router")});
    EXPECT_EQ(toUs.exitCode, 0) << toUs.errors.toStdString();
    ASSERT_EQ(scanUntilMessage(5000), 1);
    EXPECT_EQ(gStructureMailslotControl.TextList[2], QStringLiteral("1through the router"));
    MailslotChannel::reset();
    SettingsStore::reset();
}

TEST(PelimoSend, RefusesAMissingTargetOrText) {
    SendRun run = runPelimoSend({});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("TARGET is missing")))
        << run.errors.toStdString();
    run = runPelimoSend({QStringLiteral("PC2")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("TEXT is missing"))) << run.errors.toStdString();
    run = runPelimoSend({QStringLiteral("--datagram-port"), QStringLiteral("x"),
                         QStringLiteral("PC2"), QStringLiteral("hi")});
    EXPECT_NE(run.exitCode, 0);
}
