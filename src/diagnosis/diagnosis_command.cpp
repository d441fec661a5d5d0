#include "diagnosis/diagnosis_command.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>

#include "diagnosis/diagnosis_report.h"
#include "stores/decoded_message.h"
#include "transport/mailslot_channel.h"
#include "transport/message_codec.h"

namespace {

constexpr int kScanIntervalMs = 20;
constexpr int kPrintedLinesLimit = 100;

const char* markText(DiagnosisMark mark) {
    switch (mark) {
        case DiagnosisMark::Good:
            return "ok  ";
        case DiagnosisMark::Bad:
            return "FAIL";
        case DiagnosisMark::Unknown:
            return "??  ";
        case DiagnosisMark::Advice:
            break;
    }
    return "    ";
}

// Takes every datagram waiting in the mailslot; identification datagrams go to the diagnosis.
void scanMailslot() {
    while (gFctScanMailSlot() == 1) {
        const qint32 newest = gStructureMailslotControl.MessageCount;
        gClearCurrentMessage();
        gDecodeMessage(gStructureMailslotControl.TextList.value(newest));
        const QString sender = gStructureMailslotControl.SenderList.value(newest);
        if (DecodedMessage.Kind == kKindIdentificationRequest ||
            DecodedMessage.Kind == kKindIdentificationAnswer) {
            Reachability::identificationArrived(sender);
        }
        MailslotChannel::releaseEntries(newest);
    }
}

}  // namespace

int DiagnosisCommand::run(const QString& name) {
    // A copy of the program running here keeps the channel's mailslot: the answer then goes to
    // it, and the receive check says so.
    gFctInitMailSlot();
    ReachabilityDiagnosis diagnosis;
    QEventLoop loop;
    std::optional<DiagnosisVerdict> verdict;
    QObject::connect(&diagnosis, &ReachabilityDiagnosis::finished, &loop,
                     [&](DiagnosisVerdict found) {
                         verdict = found;
                         loop.quit();
                     });
    QTimer scan;
    QObject::connect(&scan, &QTimer::timeout, &scan, scanMailslot);
    scan.start(kScanIntervalMs);
    if (!diagnosis.start(name))
        return DiagnosisReport::exitStatus(DiagnosisVerdict::CannotTell);
    loop.exec();
    scan.stop();
    gCloseMailSlot();
    int printed = 0;
    for (const DiagnosisLine& line : DiagnosisReport::lines(diagnosis.facts(), verdict)) {
        if (++printed > kPrintedLinesLimit)
            break;
        std::printf("%s %s\n", markText(line.mark), qPrintable(line.text));
    }
    std::fflush(stdout);
    return DiagnosisReport::exitStatus(verdict.value_or(DiagnosisVerdict::CannotTell));
}
