// A small receiver for the multi-host test: opens the local mailslot with the module, prints each
// message as "sender|addressee|payload" and can answer or send identification requests.
//   transport_lan_reader [--channel NAME] [--count N] [--timeout SECONDS] [--answer]
//                        [--request COMPUTER]
// Exits 0 once N messages were read (with --request: once the answer came), 1 on time-out.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>

#include "stores/settings.h"
#include "transport/mailslot_channel.h"
#include "transport/message_codec.h"

namespace {

constexpr int kScanIntervalMs = 10;
constexpr int kFlushMs = 5000;

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption channel(QStringLiteral("channel"), QStringLiteral("Channel."),
                                     QStringLiteral("NAME"), QStringLiteral("pelimo"));
    const QCommandLineOption count(QStringLiteral("count"), QStringLiteral("Messages to read."),
                                   QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QStringLiteral("Seconds."),
                                     QStringLiteral("SECONDS"), QStringLiteral("20"));
    const QCommandLineOption answer(QStringLiteral("answer"),
                                    QStringLiteral("Answer identification requests."));
    const QCommandLineOption request(QStringLiteral("request"),
                                     QStringLiteral("Send an identification request and wait "
                                                    "for the answer."),
                                     QStringLiteral("COMPUTER"));
    parser.addOptions({channel, count, timeout, answer, request});
    parser.addHelpOption();
    parser.process(app);

    Settings.MessageChannel = parser.value(channel);
    // The build's router, which this receiver starts when none runs.
    pelimo::platform::MailslotTransportConfig config;
    config.routerProgram = QStringLiteral(PELIMO_ROUTER_PATH);
    MailslotChannel::setTransportConfig(config);
    gFctGetComputerName(gComputerName);
    gInitMailslotControl();
    if (!gFctInitMailSlot()) {
        std::fprintf(stderr, "transport_lan_reader: the mailslot cannot be opened\n");
        return 1;
    }
    std::printf("ready %s\n", qPrintable(gComputerName));
    std::fflush(stdout);
    if (parser.isSet(request))
        gSendIdentificationRequest(parser.value(request));

    const int wanted = parser.value(count).toInt();
    QElapsedTimer timer;
    timer.start();
    int read = 0;
    while (timer.elapsed() < parser.value(timeout).toInt() * 1000) {
        if (gFctScanMailSlot() != 1) {
            QThread::msleep(kScanIntervalMs);
            continue;
        }
        const qint32 last = gStructureMailslotControl.MessageCount;
        const QString sender = gStructureMailslotControl.SenderList[last];
        const QString payload = gStructureMailslotControl.TextList[last];
        std::printf("%s|%s|%s\n", qPrintable(sender),
                    qPrintable(gStructureMailslotControl.AddresseeList[last]), qPrintable(payload));
        std::fflush(stdout);
        gDecodeMessage(payload);
        if (parser.isSet(answer) && DecodedMessage.Kind == kKindIdentificationRequest) {
            gSendIdentificationAnswer(sender, gStructureMailslotControl.OriginList[last]);
        }
        MailslotChannel::releaseEntries(last);
        ++read;
        const bool answered = DecodedMessage.Kind == kKindIdentificationAnswer;
        if (parser.isSet(request) ? answered : read >= wanted) {
            MailslotChannel::flushSends(kFlushMs);
            gCloseMailSlot();
            return 0;
        }
    }
    gCloseMailSlot();
    std::fprintf(stderr, "transport_lan_reader: time-out after %d message(s)\n", read);
    return 1;
}
