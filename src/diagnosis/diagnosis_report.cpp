#include "diagnosis/diagnosis_report.h"

#include <QStringList>

#include "platform/ipv4_network.h"
#include "stores/language_file.h"
#include "stores/language_messages.h"

namespace {

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
    switch (ReceiveState::verdict(state)) {
        case ReceiveVerdict::Ourselves:
            return {DiagnosisMark::Good, text(Msg::ReceivesPort).arg(port)};
        case ReceiveVerdict::ThroughNmbd:
            return {DiagnosisMark::Good, text(Msg::ReceivesNmbd).arg(state.nmbdSocket)};
        case ReceiveVerdict::OtherCopy:
            return {DiagnosisMark::Good, text(Msg::OtherCopyRoutes).arg(*state.holder)};
        case ReceiveVerdict::MailslotTaken:
            return {DiagnosisMark::Unknown, text(Msg::MailslotTaken).arg(state.channel)};
        case ReceiveVerdict::PortHeld:
            return {DiagnosisMark::Bad,
                    text(Msg::PortHeld).arg(*state.holder, port, state.nmbdSocket)};
        case ReceiveVerdict::PortHeldUnknown:
            return {DiagnosisMark::Bad, text(Msg::PortHeldUnknown).arg(port)};
        case ReceiveVerdict::NoPrivilege:
            return {DiagnosisMark::Bad, text(Msg::NoPrivilege).arg(port, state.program)};
        case ReceiveVerdict::NotListening:
            return {DiagnosisMark::Bad, text(Msg::NotListening).arg(port)};
    }
    return {};
}

QList<DiagnosisLine> firewallLines(const FirewallReading& firewall) {
    if (!firewall.readable)
        return {{DiagnosisMark::Unknown, text(Msg::FirewallUnreadable).arg(firewall.reason)}};
    if (firewall.drops.empty())
        return {{DiagnosisMark::Good, text(Msg::FirewallClear)}};
    QList<DiagnosisLine> lines;
    for (const FirewallDrop& drop : firewall.drops) {
        QStringList ports;
        for (const int port : drop.ports)
            ports.append(QString::number(port));
        lines.append(
            {DiagnosisMark::Bad, text(Msg::FirewallDrops)
                                     .arg(ports.join(QStringLiteral(", ")),
                                          drop.chain + QStringLiteral(", ") + drop.verdict)});
    }
    return lines;
}

QList<DiagnosisLine> nameLines(const DiagnosisFacts& facts) {
    QList<DiagnosisLine> lines;
    if (!facts.nameQueried) {
        lines.append({DiagnosisMark::Unknown, text(Msg::NameNotQueried)});
    } else if (!facts.netbiosAddress) {
        lines.append({DiagnosisMark::Bad, text(Msg::NameSilent).arg(facts.name)});
    } else {
        const QString address = pelimo::platform::ipv4Text(*facts.netbiosAddress);
        lines.append(facts.netbiosGroup
                         ? DiagnosisLine{DiagnosisMark::Advice,
                                         text(Msg::NameIsGroup).arg(facts.name, address)}
                         : DiagnosisLine{DiagnosisMark::Good,
                                         text(Msg::NameAnswers).arg(facts.name, address)});
    }
    if (!facts.resolverAsked) {
        lines.append({DiagnosisMark::Unknown, text(Msg::ResolverNotAsked)});
    } else if (facts.resolverAddresses.empty()) {
        lines.append({facts.netbiosAddress ? DiagnosisMark::Advice : DiagnosisMark::Bad,
                      text(Msg::ResolverUnknown).arg(facts.name)});
    } else {
        lines.append(
            {DiagnosisMark::Good,
             text(Msg::ResolverKnows).arg(facts.name, addresses(facts.resolverAddresses))});
        // The sender asks the name service first: its address is the one messages go to.
        const bool differ =
            facts.netbiosAddress && !facts.netbiosGroup &&
            std::find(facts.resolverAddresses.begin(), facts.resolverAddresses.end(),
                      *facts.netbiosAddress) == facts.resolverAddresses.end();
        if (differ) {
            lines.append({DiagnosisMark::Advice,
                          text(Msg::AddressesDiffer)
                              .arg(pelimo::platform::ipv4Text(*facts.netbiosAddress))});
        }
    }
    return lines;
}

}  // namespace

QList<DiagnosisLine> DiagnosisReport::lines(const DiagnosisFacts& facts,
                                            std::optional<DiagnosisVerdict> verdict) {
    QList<DiagnosisLine> lines;
    if (facts.lookedUp) {
        lines.append(receiveLine(facts.receive));
        lines += firewallLines(facts.firewall);
        lines += nameLines(facts);
    }
    if (facts.answerMs) {
        lines.append({DiagnosisMark::Good,
                      text(Msg::Answered).arg(facts.name, QString::number(*facts.answerMs))});
    } else if (verdict) {
        lines.append({DiagnosisMark::Bad, text(Msg::NoAnswer)});
    }
    if (!verdict)
        return lines;
    switch (*verdict) {
        case DiagnosisVerdict::Reachable:
            lines.append({DiagnosisMark::Good, text(Msg::Reachable).arg(facts.name)});
            break;
        case DiagnosisVerdict::UnknownName:
            lines.append({DiagnosisMark::Bad, text(Msg::UnknownName).arg(facts.name)});
            break;
        case DiagnosisVerdict::CannotTell:
            lines.append({DiagnosisMark::Unknown, text(Msg::CannotTell).arg(facts.name)});
            break;
        case DiagnosisVerdict::NameButNoProgram:
            lines.append({DiagnosisMark::Bad, text(Msg::NameButNoProgram).arg(facts.name)});
            lines.append(
                {DiagnosisMark::Advice, text(Msg::ProgramMayNotRun).arg(facts.receive.channel)});
            lines.append({DiagnosisMark::Advice, text(Msg::RemoteFirewall)});
            lines.append({DiagnosisMark::Advice, text(Msg::WindowsMailslotsOff)});
            break;
    }
    return lines;
}

int DiagnosisReport::exitStatus(DiagnosisVerdict verdict) {
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
