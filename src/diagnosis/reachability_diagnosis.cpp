#include "diagnosis/reachability_diagnosis.h"

#include <netinet/in.h>
#include <unistd.h>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "platform/ansi_codec.h"
#include "platform/computer_name_resolver.h"
#include "platform/ipv4_network.h"
#include "platform/netbios/netbios_name.h"
#include "transport/mailslot_channel.h"
#include "transport/message_codec.h"

namespace {

// The diagnoses of the process that wait for identification answers.
std::vector<ReachabilityDiagnosis*>& runningDiagnoses() {
    static std::vector<ReachabilityDiagnosis*> diagnoses;
    return diagnoses;
}

// The look-ups that may block: the firewall, the name service, the resolver and the files that
// tell who holds the port.
DiagnosisFacts lookUp(DiagnosisFacts facts,
                      const pelimo::platform::MailslotTransportConfig& config) {
    ReceiveState::read(facts.receive, config.nmbdUnexpectedSocket);
    facts.firewall = FirewallRules::read();
    const QByteArray name = pelimo::platform::unicodeToAnsi(facts.name);
    if (config.networkSend) {
        const int socket = pelimo::platform::openUdpSocket(INADDR_ANY, 0, true).socket;
        const auto answer = pelimo::platform::queryNetbiosName(socket, name, config);
        if (socket >= 0)
            ::close(socket);
        facts.nameQueried = true;
        if (answer) {
            facts.netbiosAddress = answer->address;
            facts.netbiosGroup = answer->group;
        }
    }
    if (config.useSystemResolver) {
        facts.resolverAsked = true;
        facts.resolverAddresses = pelimo::platform::resolveWithSystem(facts.name);
    }
    facts.lookedUp = true;
    return facts;
}

}  // namespace

DiagnosisVerdict Reachability::verdict(const DiagnosisFacts& facts) {
    if (facts.answerMs)
        return DiagnosisVerdict::Reachable;
    if (!facts.netbiosAddress && facts.resolverAddresses.empty())
        return DiagnosisVerdict::UnknownName;
    if (!ReceiveState::receivesAnswers(ReceiveState::verdict(facts.receive)))
        return DiagnosisVerdict::CannotTell;
    return DiagnosisVerdict::NameButNoProgram;
}

QString Reachability::diagnosableName(const QString& typed) {
    QString name = typed.trimmed();
    while (name.startsWith(u'\\') || name.startsWith(u'/'))
        name.remove(0, 1);
    static const QRegularExpression forbidden(QStringLiteral("[\\\\/:*?\"<>|;,\\s\\x00-\\x1f]"));
    if (name.isEmpty() || name.contains(forbidden) ||
        pelimo::platform::unicodeToAnsi(name).size() > kMaxDiagnosedNameLength) {
        return {};
    }
    return name;
}

ReachabilityDiagnosis::ReachabilityDiagnosis(QObject* parent) : QObject(parent) {
    runningDiagnoses().push_back(this);
}

ReachabilityDiagnosis::~ReachabilityDiagnosis() {
    auto& diagnoses = runningDiagnoses();
    diagnoses.erase(std::remove(diagnoses.begin(), diagnoses.end(), this), diagnoses.end());
}

bool ReachabilityDiagnosis::start(const QString& name) {
    if (running_ || name.isEmpty())
        return false;
    running_ = true;
    lookUpDone_ = false;
    waitOver_ = false;
    const quint64 run = ++run_;
    const pelimo::platform::MailslotTransportConfig& config = MailslotChannel::transportConfig();

    facts_ = {};
    facts_.name = name;
    // What the transport of this process does is read here, on its own thread.
    const MailslotIntakeFigures intake = MailslotIntake::figures();
    facts_.receive.datagramPort = config.datagramPort;
    facts_.receive.channel = MailslotChannel::name();
    facts_.receive.mailslotOpen = gStructureMailslotControl.MailSlotHandle != kInvalidHandleValue;
    facts_.receive.routing = intake.routing;
    facts_.receive.readingNmbd = intake.readingNmbd;
    // The program that needs the right to bind the datagram port: the router.
    facts_.receive.program = MailslotChannel::routerProgram();

    // The result is handed over when the worker has ended; a diagnosis gone by then gets nothing.
    auto found = std::make_shared<DiagnosisFacts>();
    QThread* worker =
        QThread::create([found, facts = facts_, config] { *found = lookUp(facts, config); });
    connect(worker, &QThread::finished, this, [this, run, found] {
        if (run == run_)
            lookUpFinished(*found);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();

    // The request goes out as a message would; the sender resolves the name first, which may
    // take one name query.
    gSendIdentificationRequest(name);
    facts_.identificationSent = true;
    sentAt_.start();
    QTimer::singleShot(kIdentificationAnswerWaitMs + config.nameQueryTimeoutMs, this, [this, run] {
        if (run != run_)
            return;
        waitOver_ = true;
        finishIfDone();
    });
    return true;
}

void ReachabilityDiagnosis::lookUpFinished(const DiagnosisFacts& found) {
    const std::optional<qint64> answerMs = facts_.answerMs;
    facts_ = found;
    facts_.identificationSent = true;
    facts_.answerMs = answerMs;
    lookUpDone_ = true;
    emit progressed();
    finishIfDone();
}

void ReachabilityDiagnosis::identificationArrived(const QString& sender) {
    if (!running_ || facts_.answerMs ||
        !pelimo::platform::sameNetbiosName(pelimo::platform::unicodeToAnsi(sender),
                                           pelimo::platform::unicodeToAnsi(facts_.name))) {
        return;
    }
    facts_.answerMs = sentAt_.elapsed();
    waitOver_ = true;
    emit progressed();
    finishIfDone();
}

void ReachabilityDiagnosis::finishIfDone() {
    if (!running_ || !lookUpDone_ || !waitOver_)
        return;
    running_ = false;
    emit finished(Reachability::verdict(facts_));
}

void Reachability::identificationArrived(const QString& sender) {
    // Copied: a diagnosis that finishes may be destroyed by whoever waited for it.
    const std::vector<ReachabilityDiagnosis*> diagnoses = runningDiagnoses();
    for (ReachabilityDiagnosis* diagnosis : diagnoses) {
        const auto& current = runningDiagnoses();
        if (std::find(current.begin(), current.end(), diagnosis) != current.end())
            diagnosis->identificationArrived(sender);
    }
}
