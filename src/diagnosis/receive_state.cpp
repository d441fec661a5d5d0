#include "diagnosis/receive_state.h"

#include <unistd.h>

#include "platform/atomic_file.h"
#include "platform/netbios/nmbd_unexpected_reader.h"
#include "platform/udp_port_holder.h"

namespace {

// The prefix of the names of the program's own processes (the window, the router, tools).
constexpr char kProgramPrefix[] = "pelimo";
constexpr int kNetBindServiceCapability = 10;  // CAP_NET_BIND_SERVICE
constexpr char kCapabilityLine[] = "CapEff:";

// Whether this process may bind `port`: root, the capability, or a low limit of the system.
bool mayBind(std::uint16_t port) {
    if (::geteuid() == 0)
        return true;
    if (const auto status = pelimo::platform::readWholeFile(QStringLiteral("/proc/self/status"))) {
        for (const QByteArray& line : status->split('\n')) {
            if (!line.startsWith(kCapabilityLine))
                continue;
            bool ok = false;
            const qulonglong effective =
                line.mid(qstrlen(kCapabilityLine)).trimmed().toULongLong(&ok, 16);
            if (ok && (effective >> kNetBindServiceCapability) & 1U)
                return true;
        }
    }
    const auto start = pelimo::platform::readWholeFile(
        QStringLiteral("/proc/sys/net/ipv4/ip_unprivileged_port_start"));
    bool ok = false;
    const uint first = start ? start->trimmed().toUInt(&ok) : 0;
    return ok && first <= port;
}

}  // namespace

ReceiveVerdict ReceiveState::verdict(const LocalReceiveState& state) {
    if (!state.mailslotOpen)
        return ReceiveVerdict::MailslotTaken;
    if (state.routing)
        return state.readingNmbd ? ReceiveVerdict::ThroughNmbd : ReceiveVerdict::Ourselves;
    if (state.holder && state.holder->startsWith(QLatin1String(kProgramPrefix)))
        return ReceiveVerdict::OtherCopy;
    if (state.portTaken)
        return state.holder ? ReceiveVerdict::PortHeld : ReceiveVerdict::PortHeldUnknown;
    return state.mayBindLowPorts ? ReceiveVerdict::NotListening : ReceiveVerdict::NoPrivilege;
}

bool ReceiveState::receivesAnswers(ReceiveVerdict verdict) {
    return verdict == ReceiveVerdict::Ourselves || verdict == ReceiveVerdict::ThroughNmbd ||
           verdict == ReceiveVerdict::OtherCopy;
}

void ReceiveState::read(LocalReceiveState& state, const std::optional<QString>& nmbdSocket) {
    if (const auto table = pelimo::platform::readWholeFile(QStringLiteral("/proc/net/udp")))
        state.portTaken = !pelimo::platform::udpSocketInodes(*table, state.datagramPort).empty();
    state.holder = pelimo::platform::udpPortHolder(state.datagramPort);
    if (state.holder)
        state.holder = state.holder->simplified();
    state.nmbdSocket = nmbdSocket.value_or(pelimo::platform::nmbdUnexpectedSocketPath());
    state.mayBindLowPorts = mayBind(state.datagramPort);
}
