#include "addressbook/ws_discovery.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QUrl>
#include <QUuid>
#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

#include "addressbook/detection_stop.h"
#include "addressbook/ws_discovery_devices.h"

namespace {

// SOAP-over-UDP retransmission delay (between 50 and 250 ms).
constexpr qint64 kRepeatProbeMs = 100;
// Waits are cut into slices this long, so that a stopped detection ends them soon.
constexpr qint64 kWaitSliceMs = 50;
// The HTTP head of a metadata answer may take this much beyond its body.
constexpr qsizetype kMaxHttpHead = 4096;

QString newMessageId() {
    return QStringLiteral("urn:uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

std::vector<QNetworkInterface> multicastInterfaces() {
    std::vector<QNetworkInterface> found;
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            !flags.testFlag(QNetworkInterface::CanMulticast) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : iface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol) {
                found.push_back(iface);
                break;
            }
        }
    }
    return found;
}

void multicast(QUdpSocket& socket, const std::vector<QNetworkInterface>& interfaces,
               const QByteArray& message) {
    const QHostAddress group(QString::fromLatin1(kWsdMulticastAddress));
    for (const QNetworkInterface& iface : interfaces) {
        socket.setMulticastInterface(iface);
        socket.writeDatagram(message, group, kWsdPort);
    }
}

int sliceOf(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 1, kWaitSliceMs));
}

// Waits for `ready` in slices until the deadline or a stop; false then.
template <typename Ready>
bool waitSliced(const QDeadlineTimer& deadline, Ready ready) {
    while (!deadline.hasExpired() && !DetectionStop::instance().requested()) {
        if (ready(sliceOf(deadline)))
            return true;
    }
    return false;
}

// The body of the answer to a POST of `body` to `url` (whose host is an IP literal); empty on
// any failure.
QByteArray httpPost(const QUrl& url, const QByteArray& body, const QDeadlineTimer& deadline) {
    const QHostAddress host(url.host());
    if (host.isNull())
        return {};
    QTcpSocket socket;
    socket.connectToHost(host, static_cast<quint16>(url.port(80)));
    if (!waitSliced(deadline, [&](int ms) { return socket.waitForConnected(ms); }))
        return {};
    QByteArray request = "POST " + url.path(QUrl::FullyEncoded).toLatin1() + " HTTP/1.1\r\n";
    request += "Host: " + url.authority(QUrl::FullyEncoded).toLatin1() + "\r\n";
    request += "Content-Type: application/soap+xml\r\nUser-Agent: Pelimo\r\nConnection: close\r\n";
    request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";
    socket.write(request + body);
    QByteArray answer;
    qsizetype bodyStart = -1;
    qint64 contentLength = -1;
    while (answer.size() <= kWsdMaxMetadata + kMaxHttpHead) {
        if (socket.bytesAvailable() == 0 && !waitSliced(deadline, [&](int ms) {
                return socket.waitForReadyRead(ms) ||
                       socket.state() != QAbstractSocket::ConnectedState;
            }))
            break;  // timed out or stopped
        if (socket.bytesAvailable() == 0)
            break;  // closed by the server
        answer += socket.read(kWsdMaxMetadata + kMaxHttpHead + 1 - answer.size());
        if (bodyStart < 0) {
            const qsizetype end = answer.indexOf("\r\n\r\n");
            if (end >= 0) {
                bodyStart = end + 4;
                for (const QByteArray& line : answer.left(end).split('\n')) {
                    if (line.toLower().startsWith("content-length:"))
                        contentLength = line.mid(15).trimmed().toLongLong();
                }
            }
        }
        if (bodyStart >= 0 && contentLength >= 0 && answer.size() - bodyStart >= contentLength)
            break;
    }
    if (bodyStart < 0 || !(answer.startsWith("HTTP/1.1 200") || answer.startsWith("HTTP/1.0 200")))
        return {};
    QByteArray content = answer.mid(bodyStart);
    if (contentLength >= 0 && content.size() > contentLength)
        content.truncate(contentLength);
    return content;
}

// Collects the answers to the probe (and to the Resolves it needs) until the collection window
// ends; returns the devices.
WsdDeviceTable collectAnswers(QUdpSocket& socket, const std::vector<QNetworkInterface>& interfaces,
                              const WsdDiscoveryLimits& limits, const QDeadlineTimer& overall) {
    WsdDeviceTable table;
    QStringList requestIds{newMessageId()};
    multicast(socket, interfaces, WsDiscoveryXml::probeMessage(requestIds.front()));
    QElapsedTimer clock;
    clock.start();
    const auto elapsed = [&] { return clock.elapsed(); };
    qint64 endMs = limits.probeWindowMs;
    const qint64 hardEndMs = limits.probeWindowMs + limits.resolveWindowMs;
    bool repeated = false;
    while (elapsed() < endMs && !overall.hasExpired() && !DetectionStop::instance().requested()) {
        // SOAP over UDP may lose a datagram: the probe goes out a second time, after the shortest
        // retransmission delay, so that the answers to both are due early in the window.
        if (!repeated && elapsed() >= kRepeatProbeMs) {
            repeated = true;
            multicast(socket, interfaces, WsDiscoveryXml::probeMessage(requestIds.front()));
        }
        const qint64 wait = std::min({endMs - elapsed(), kWaitSliceMs,
                                      repeated ? kWaitSliceMs : kRepeatProbeMs - elapsed()});
        if (!socket.hasPendingDatagrams() &&
            !socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, wait))))
            continue;
        while (socket.hasPendingDatagrams()) {
            QByteArray datagram(std::min<qint64>(socket.pendingDatagramSize(), kWsdMaxDatagram + 1),
                                Qt::Uninitialized);
            QHostAddress sender;
            const qint64 size = socket.readDatagram(datagram.data(), datagram.size(), &sender);
            if (size <= 0)
                continue;
            datagram.truncate(size);
            const auto reply = WsDiscoveryXml::parseReply(datagram);
            if (!reply || !requestIds.contains(reply->relatesTo))
                continue;
            for (const WsdMatch& match : reply->matches) {
                if (!table.take(match, sender))
                    continue;
                requestIds.append(newMessageId());
                multicast(socket, interfaces,
                          WsDiscoveryXml::resolveMessage(requestIds.back(), match.endpoint));
                endMs = std::min(hardEndMs, std::max(endMs, elapsed() + limits.resolveWindowMs));
            }
        }
    }
    return table;
}

// Asks every device for its metadata, `parallel` at a time, until the overall deadline; the
// computers in the order of the devices.
std::vector<std::optional<WsdComputer>> fetchMetadata(const std::vector<WsdDevice>& devices,
                                                      const WsdDiscoveryLimits& limits,
                                                      const QDeadlineTimer& overall) {
    std::vector<std::optional<WsdComputer>> computers(devices.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < devices.size(); i = next++) {
            if (overall.hasExpired() || DetectionStop::instance().requested())
                return;
            const QDeadlineTimer deadline(
                std::min(overall.remainingTime(), qint64(limits.httpTimeoutMs)));
            const QByteArray metadata =
                httpPost(devices[i].metadata,
                         WsDiscoveryXml::getMessage(newMessageId(), devices[i].endpoint), deadline);
            computers[i] = WsDiscoveryXml::parseMetadata(metadata);
        }
    };
    std::vector<std::thread> workers;
    const std::size_t count =
        std::min<std::size_t>(devices.size(), std::max(1, limits.parallelFetches));
    for (std::size_t n = 0; n < count; ++n)
        workers.emplace_back(work);
    for (std::thread& worker : workers)
        worker.join();
    return computers;
}

}  // namespace

std::vector<WsdComputer> WsDiscovery::discoverComputers(const WsdDiscoveryLimits& limits) {
    std::vector<WsdComputer> computers;
    const QDeadlineTimer overall(limits.overallMs);
    const auto interfaces = multicastInterfaces();
    if (interfaces.empty())
        return computers;
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::AnyIPv4, 0))
        return computers;
    socket.setSocketOption(QAbstractSocket::MulticastTtlOption, 1);
    socket.setSocketOption(QAbstractSocket::MulticastLoopbackOption, 0);

    const WsdDeviceTable table = collectAnswers(socket, interfaces, limits, overall);
    for (const auto& computer : fetchMetadata(table.fetchable(), limits, overall)) {
        if (!computer)
            continue;
        const bool seen =
            std::any_of(computers.begin(), computers.end(), [&](const WsdComputer& c) {
                return c.name.compare(computer->name, Qt::CaseInsensitive) == 0;
            });
        if (!seen)
            computers.push_back(*computer);
    }
    return computers;
}
