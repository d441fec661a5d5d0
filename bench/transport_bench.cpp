// Transport figures: datagram and payload encoding and decoding rates, the time from SendToPelimo
// to the message being readable at the local mailslot, and how much of a burst the mailslot keeps
// while the program scans at its normal pace.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/ipv4_network.h"
#include "platform/netbios/nbds_datagram.h"
#include "stores/settings.h"
#include "transport/mailslot_channel.h"
#include "transport/message_codec.h"

using namespace pelimo::platform;

namespace {

constexpr int kLatencySamples = 1000;
constexpr int kBurst = 1000;
constexpr int kBurstMessageBytes = 100;
constexpr int kScanIntervalMs = 100;  // the receive timer of the main window
constexpr int kNormalPaceScans = 20;

MailslotDatagram sampleDatagram() {
    MailslotDatagram datagram;
    datagram.messageType = nbds::kDirectUnique;
    datagram.datagramId = 0x1234;
    datagram.sourceIp = 0x0A630001;
    datagram.source = {"PC1", kSuffixWorkstation};
    datagram.destination = {"PC2", kSuffixWorkstation};
    datagram.mailslotName = "\\MAILSLOT\\pelimo";
    datagram.data =
        QByteArray("PC1\0PC2\0", 8) + QByteArray("1") + QByteArray(80, 'x') + QByteArray(1, '\0');
    return datagram;
}

void BM_EncodeDatagram(benchmark::State& state) {
    const MailslotDatagram datagram = sampleDatagram();
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeMailslotDatagram(datagram));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeDatagram);

void BM_DecodeDatagram(benchmark::State& state) {
    const QByteArray packet = encodeMailslotDatagram(sampleDatagram());
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeMailslotDatagram(packet));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeDatagram);

void BM_EncodePayload(benchmark::State& state) {
    const QString body(80, u'x');
    DecodedMessage.Kind = kKindAttachment;
    DecodedMessage.AttachmentPath = QStringLiteral("\\\\PC1\\share\\file.txt");
    for (auto _ : state) {
        gEncodeMessage(body);
        benchmark::DoNotOptimize(DecodedMessage.Text);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodePayload);

void BM_DecodePayload(benchmark::State& state) {
    const QString payload = QStringLiteral("20020\\\\PC1\\share\\file.txt") + QString(80, u'x');
    for (auto _ : state) {
        gDecodeMessage(payload);
        benchmark::DoNotOptimize(DecodedMessage.Text);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodePayload);

std::uint16_t boundPort(int socket) {
    sockaddr_in local;
    socklen_t length = sizeof local;
    getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length);
    return ntohs(local.sin_port);
}

// The module on loopback under its own channel: router, name service and mailslot.
bool openLoopbackMailslot(MailslotTransportConfig& config) {
    MailslotChannel::reset();
    Settings.MessageChannel = QStringLiteral("bench-%1").arg(getpid());
    const auto first = openUdpSocket(INADDR_LOOPBACK, 0, false);
    const auto second = openUdpSocket(INADDR_LOOPBACK, 0, false);  // held together: they differ
    config = MailslotTransportConfig::loopback(boundPort(first.socket), boundPort(second.socket));
    ::close(first.socket);
    ::close(second.socket);
    config.workgroup = QStringLiteral("BENCHGROUP");
    MailslotChannel::setTransportConfig(config);
    gComputerName = QStringLiteral("BENCH");
    return gFctInitMailSlot();
}

// Scans until a message was read (the router's client reads the mailslot on a thread of its
// own, so its socket cannot be polled here).
bool scanWithin(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (gFctScanMailSlot() != 1) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QThread::usleep(20);
    }
    return true;
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

// From SendToPelimo to the message being readable, over 1000 messages; the addressee chooses the
// road: our own name (straight into the mailslot) or our workgroup (UDP through the router).
void latency(benchmark::State& state, const QString& addressee) {
    MailslotTransportConfig config;
    if (!openLoopbackMailslot(config)) {
        state.SkipWithError("the mailslot cannot be opened");
        return;
    }
    QThread::msleep(50);  // the router thread is up
    std::vector<double> microseconds;
    for (auto _ : state) {
        microseconds.clear();
        for (int i = 0; i < kLatencySamples; ++i) {
            const auto start = std::chrono::steady_clock::now();
            SendToPelimo(gComputerName, addressee, QStringLiteral("1latency"));
            if (!scanWithin(1000)) {
                state.SkipWithError("a message did not arrive");
                break;
            }
            const auto end = std::chrono::steady_clock::now();
            microseconds.push_back(std::chrono::duration<double, std::micro>(end - start).count());
            MailslotChannel::releaseEntries(gStructureMailslotControl.MessageCount);
        }
    }
    if (!microseconds.empty()) {
        state.counters["median_us"] = percentile(microseconds, 0.5);
        state.counters["p99_us"] = percentile(microseconds, 0.99);
    }
    MailslotChannel::reset();
}

void BM_SendToReadableOwnName(benchmark::State& state) {
    latency(state, QStringLiteral("BENCH"));
}
BENCHMARK(BM_SendToReadableOwnName)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SendToReadableThroughRouter(benchmark::State& state) {
    latency(state, QStringLiteral("BENCHGROUP"));
}
BENCHMARK(BM_SendToReadableThroughRouter)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A burst of 1000 datagrams of 100 bytes arrives from the network at once while the program scans
// every 100 ms; after two seconds at that pace the rest is read at full speed to count what was
// kept. "kept" = messages read in the end; "during_pace" = those read at the normal pace.
void BM_BurstKept(benchmark::State& state) {
    MailslotTransportConfig config;
    if (!openLoopbackMailslot(config)) {
        state.SkipWithError("the mailslot cannot be opened");
        return;
    }
    QThread::msleep(50);
    const auto remote = openUdpSocket(INADDR_LOOPBACK, 0, false);
    MailslotDatagram datagram = sampleDatagram();
    datagram.destination = {"BENCHGROUP", kSuffixWorkstation};
    datagram.mailslotName = QByteArray(kMailslotPrefix) + Settings.MessageChannel.toLatin1();
    int kept = 0;
    int duringPace = 0;
    for (auto _ : state) {
        for (int i = 0; i < kBurst; ++i) {
            QByteArray message = QByteArray("REMOTE\0BENCHGROUP\0", 18) + QByteArray("1");
            message +=
                QByteArray::number(i).rightJustified(kBurstMessageBytes - message.size() - 1, '0');
            message += '\0';
            datagram.data = message;
            sendUdp(remote.socket, INADDR_LOOPBACK, config.datagramPort,
                    encodeMailslotDatagram(datagram));
        }
        for (int scan = 0; scan < kNormalPaceScans; ++scan) {
            duringPace += gFctScanMailSlot() == 1 ? 1 : 0;
            QThread::msleep(kScanIntervalMs);
        }
        kept = duringPace;
        QElapsedTimer quiet;
        quiet.start();
        while (quiet.elapsed() < 1000) {
            if (gFctScanMailSlot() == 1) {
                ++kept;
                quiet.restart();
            }
        }
    }
    ::close(remote.socket);
    state.counters["burst"] = kBurst;
    state.counters["kept"] = kept;
    state.counters["during_pace"] = duringPace;
    MailslotChannel::reset();
}
BENCHMARK(BM_BurstKept)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
