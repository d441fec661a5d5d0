#include "diagnosis/diagnosis_report.h"

#include <QStringList>

#include "platform/ipv4_network.h"
#include "stores/language_file.h"

namespace {

// Language messages of the diagnosis.
namespace Text {
constexpr int ReceivesPort = 235;
constexpr int ReceivesNmbd = 236;
constexpr int OtherCopyRoutes = 237;
constexpr int MailslotTaken = 238;
constexpr int PortHeld = 239;
constexpr int PortHeldUnknown = 240;
constexpr int NoPrivilege = 241;
constexpr int NotListening = 242;
constexpr int FirewallDrops = 243;
constexpr int FirewallClear = 244;
constexpr int FirewallUnreadable = 245;
constexpr int NameAnswers = 246;
constexpr int NameIsGroup = 247;
constexpr int NameSilent = 248;
constexpr int NameNotQueried = 249;
constexpr int ResolverKnows = 250;
constexpr int ResolverUnknown = 251;
constexpr int ResolverNotAsked = 252;
constexpr int AddressesDiffer = 253;
constexpr int Answered = 254;
constexpr int NoAnswer = 255;
constexpr int Reachable = 256;
constexpr int UnknownName = 257;
constexpr int NameButNoProgram = 258;
constexpr int ProgramMayNotRun = 259;
constexpr int RemoteFirewall = 260;
constexpr int WindowsMailslotsOff = 261;
constexpr int CannotTell = 262;
}  // namespace Text

constexpr int kExitReachable = 0;
constexpr int kExitNotReachable = 1;
constexpr int kExitCannotTell = 3;

QString text(int message) {
    return gFctGetMessage(message);
}

QString addresses(const std::vector<std::uint32_t>& list) {
    QStringList texts;
    for (const std::uint32_t address : list)
        texts.append(pelimo::platform::ipv4Text(address));
    return texts.join(QStringLiteral(", "));
}

DiagnosisLine receiveLine(const LocalReceiveState& state) {
    const QString port = QString::number(state.datagramPort);
    switch (gReceiveVerdict(state)) {
        case ReceiveVerdict::Ourselves:
            return {DiagnosisMark::Good, text(Text::ReceivesPort).arg(port)};
        case ReceiveVerdict::ThroughNmbd:
            return {DiagnosisMark::Good, text(Text::ReceivesNmbd).arg(state.nmbdSocket)};
        case ReceiveVerdict::OtherCopy:
            return {DiagnosisMark::Good, text(Text::OtherCopyRoutes).arg(*state.holder)};
        case ReceiveVerdict::MailslotTaken:
            return {DiagnosisMark::Unknown, text(Text::MailslotTaken).arg(state.channel)};
        case ReceiveVerdict::PortHeld:
            return {DiagnosisMark::Bad,
                    text(Text::PortHeld).arg(*state.holder, port, state.nmbdSocket)};
        case ReceiveVerdict::PortHeldUnknown:
            return {DiagnosisMark::Bad, text(Text::PortHeldUnknown).arg(port)};
        case ReceiveVerdict::NoPrivilege:
            return {DiagnosisMark::Bad, text(Text::NoPrivilege).arg(port, state.program)};
        case ReceiveVerdict::NotListening:
            return {DiagnosisMark::Bad, text(Text::NotListening).arg(port)};
    }
    return {};
}

QList<DiagnosisLine> firewallLines(const FirewallReading& firewall) {
    if (!firewall.readable)
        return {{DiagnosisMark::Unknown, text(Text::FirewallUnreadable).arg(firewall.reason)}};
    if (firewall.drops.empty())
        return {{DiagnosisMark::Good, text(Text::FirewallClear)}};
    QList<DiagnosisLine> lines;
    for (const FirewallDrop& drop : firewall.drops) {
        QStringList ports;
        for (const int port : drop.ports)
            ports.append(QString::number(port));
        lines.append(
            {DiagnosisMark::Bad, text(Text::FirewallDrops)
                                     .arg(ports.join(QStringLiteral(", ")),
                                          drop.chain + QStringLiteral(", ") + drop.verdict)});
    }
    return lines;
}

QList<DiagnosisLine> nameLines(const DiagnosisFacts& facts) {
    QList<DiagnosisLine> lines;
    if (!facts.nameQueried) {
        lines.append({DiagnosisMark::Unknown, text(Text::NameNotQueried)});
    } else if (!facts.netbiosAddress) {
        lines.append({DiagnosisMark::Bad, text(Text::NameSilent).arg(facts.name)});
    } else {
        const QString address = pelimo::platform::ipv4Text(*facts.netbiosAddress);
        lines.append(facts.netbiosGroup
                         ? DiagnosisLine{DiagnosisMark::Advice,
                                         text(Text::NameIsGroup).arg(facts.name, address)}
                         : DiagnosisLine{DiagnosisMark::Good,
                                         text(Text::NameAnswers).arg(facts.name, address)});
    }
    if (!facts.resolverAsked) {
        lines.append({DiagnosisMark::Unknown, text(Text::ResolverNotAsked)});
    } else if (facts.resolverAddresses.empty()) {
        lines.append({facts.netbiosAddress ? DiagnosisMark::Advice : DiagnosisMark::Bad,
                      text(Text::ResolverUnknown).arg(facts.name)});
    } else {
        lines.append(
            {DiagnosisMark::Good,
             text(Text::ResolverKnows).arg(facts.name, addresses(facts.resolverAddresses))});
        // The sender asks the name service first: its address is the one messages go to.
        const bool differ =
            facts.netbiosAddress && !facts.netbiosGroup &&
            std::find(facts.resolverAddresses.begin(), facts.resolverAddresses.end(),
                      *facts.netbiosAddress) == facts.resolverAddresses.end();
        if (differ) {
            lines.append({DiagnosisMark::Advice,
                          text(Text::AddressesDiffer)
                              .arg(pelimo::platform::ipv4Text(*facts.netbiosAddress))});
        }
    }
    return lines;
}

}  // namespace

QList<DiagnosisLine> gDiagnosisLines(const DiagnosisFacts& facts,
                                     std::optional<DiagnosisVerdict> verdict) {
    QList<DiagnosisLine> lines;
    if (facts.lookedUp) {
        lines.append(receiveLine(facts.receive));
        lines += firewallLines(facts.firewall);
        lines += nameLines(facts);
    }
    if (facts.answerMs) {
        lines.append({DiagnosisMark::Good,
                      text(Text::Answered).arg(facts.name, QString::number(*facts.answerMs))});
    } else if (verdict) {
        lines.append({DiagnosisMark::Bad, text(Text::NoAnswer)});
    }
    if (!verdict)
        return lines;
    switch (*verdict) {
        case DiagnosisVerdict::Reachable:
            lines.append({DiagnosisMark::Good, text(Text::Reachable).arg(facts.name)});
            break;
        case DiagnosisVerdict::UnknownName:
            lines.append({DiagnosisMark::Bad, text(Text::UnknownName).arg(facts.name)});
            break;
        case DiagnosisVerdict::CannotTell:
            lines.append({DiagnosisMark::Unknown, text(Text::CannotTell).arg(facts.name)});
            break;
        case DiagnosisVerdict::NameButNoProgram:
            lines.append({DiagnosisMark::Bad, text(Text::NameButNoProgram).arg(facts.name)});
            lines.append(
                {DiagnosisMark::Advice, text(Text::ProgramMayNotRun).arg(facts.receive.channel)});
            lines.append({DiagnosisMark::Advice, text(Text::RemoteFirewall)});
            lines.append({DiagnosisMark::Advice, text(Text::WindowsMailslotsOff)});
            break;
    }
    return lines;
}

int gDiagnosisExitStatus(DiagnosisVerdict verdict) {
    switch (verdict) {
        case DiagnosisVerdict::Reachable:
            return kExitReachable;
        case DiagnosisVerdict::UnknownName:
        case DiagnosisVerdict::NameButNoProgram:
            return kExitNotReachable;
        case DiagnosisVerdict::CannotTell:
            return kExitCannotTell;
    }
    return kExitCannotTell;
}
