#include "platform/computer_name_resolver.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QRandomGenerator>

#include <chrono>

#include "platform/ansi_codec.h"
#include "platform/netbios/nbds_datagram.h"
#include "platform/netbios/netbios_name_query.h"

namespace pelimo::platform {

std::vector<Ipv4Interface> broadcastTargets(const MailslotTransportConfig& config) {
    if (config.broadcastOverride.isEmpty())
        return broadcastInterfaces();
    std::vector<Ipv4Interface> targets;
    for (const QString& text : config.broadcastOverride) {
        const auto broadcast = parseIpv4(text);
        if (!broadcast)
            continue;
        targets.push_back({sourceAddressFor(*broadcast).value_or(*broadcast), *broadcast});
    }
    return targets;
}

std::optional<NameAnswer> queryNetbiosName(int socket, const QByteArray& name,
                                           const MailslotTransportConfig& config) {
    using Clock = std::chrono::steady_clock;
    if (socket < 0)
        return std::nullopt;
    NameQueryRequest request;
    request.transactionId = static_cast<std::uint16_t>(QRandomGenerator::global()->generate());
    request.name = {paddedNetbiosName(name).trimmed(), kSuffixWorkstation};
    const QByteArray packet = encodeNameQueryRequest(request);
    bool sent = false;
    for (const Ipv4Interface& target : broadcastTargets(config)) {
        sent = sendUdp(socket, target.broadcast, config.namePort, packet) || sent;
    }
    if (!sent)
        return std::nullopt;
    const auto deadline = Clock::now() + std::chrono::milliseconds(config.nameQueryTimeoutMs);
    QByteArray buffer(static_cast<qsizetype>(nbds::kMaxPacketSize), '\0');
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd readable{socket, POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(left.count())) <= 0)
            continue;
        sockaddr_in peer;
        socklen_t length = sizeof peer;
        const ssize_t size =
            ::recvfrom(socket, buffer.data(), static_cast<std::size_t>(buffer.size()), MSG_DONTWAIT,
                       reinterpret_cast<sockaddr*>(&peer), &length);
        if (size <= 0)
            continue;
        const auto response = decodePositiveNameQueryResponse(QByteArrayView(buffer).first(size));
        if (!response || response->transactionId != request.transactionId ||
            !sameNetbiosName(response->name.name, name) ||
            response->name.suffix != kSuffixWorkstation) {
            continue;
        }
        const NameQueryAddress& first = response->addresses.front();
        return NameAnswer{first.address, first.group};
    }
}

std::optional<NameAnswer> lookUpComputerName(int socket, const QByteArray& name, NameSource source,
                                             const MailslotTransportConfig& config,
                                             NetbiosNameCache& names) {
    if (name.isEmpty() || (source == NameSource::Network && !isNetbiosComputerName(name)))
        return std::nullopt;
    if (const auto known = names.lookup(name))
        return NameAnswer{*known, false};
    if (config.networkSend && !names.isUnresolved(name)) {
        if (const auto answer = queryNetbiosName(socket, name, config)) {
            if (!answer->group)
                names.learnFromAnswer(name, answer->address);
            return answer;
        }
        // Only a name that fits a NetBIOS name has an entry of its own: longer ones would
        // share theirs.
        if (name.size() <= kNetbiosNameLength)
            names.learnUnresolved(name);
    }
    if (source == NameSource::Typed && config.useSystemResolver) {
        const auto addresses = resolveWithSystem(ansiToUnicode(name));
        if (!addresses.empty())
            return NameAnswer{addresses.front(), false};
    }
    return std::nullopt;
}

std::optional<std::uint32_t> resolveComputerName(const QByteArray& name,
                                                 const MailslotTransportConfig& config,
                                                 NetbiosNameCache& names) {
    const int socket = config.networkSend ? openUdpSocket(INADDR_ANY, 0, true).socket : -1;
    const auto answer = lookUpComputerName(socket, name, NameSource::Typed, config, names);
    if (socket >= 0)
        ::close(socket);
    if (!answer || answer->group)
        return std::nullopt;
    return answer->address;
}

}  // namespace pelimo::platform
