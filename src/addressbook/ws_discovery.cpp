#include "addressbook/ws_discovery.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QUrl>
#include <QUuid>

namespace {

// SOAP-over-UDP retransmission delay (between 50 and 250 ms).
constexpr qint64 kRepeatProbeMs = 100;

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

bool isComputer(const WsdMatch& match) {
    if (match.types.isEmpty())
        return true;  // unknown: its metadata tells
    for (const QString& type : match.types) {
        if (type.endsWith(QStringLiteral(":Computer")) || type == QStringLiteral("Computer"))
            return true;
    }
    return false;
}

QString httpAddress(const QStringList& xaddrs) {
    for (const QString& address : xaddrs) {
        if (address.startsWith(QStringLiteral("http://")))
            return address;
    }
    return QString();
}

// The body of the answer to a POST of `body` to `address`; empty on any failure.
QByteArray httpPost(const QString& address, const QByteArray& body, int timeoutMs) {
    const QUrl url(address);
    if (!url.isValid() || url.host().isEmpty())
        return {};
    QDeadlineTimer deadline(timeoutMs);
    QTcpSocket socket;
    socket.connectToHost(url.host(), static_cast<quint16>(url.port(80)));
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
        return {};
    QByteArray request = "POST " + url.path(QUrl::FullyEncoded).toLatin1() + " HTTP/1.1\r\n";
    request += "Host: " + url.authority(QUrl::FullyEncoded).toLatin1() + "\r\n";
    request += "Content-Type: application/soap+xml\r\nUser-Agent: Pelimo\r\nConnection: close\r\n";
    request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";
    socket.write(request + body);
    QByteArray answer;
    qsizetype bodyStart = -1;
    qint64 contentLength = -1;
    while (!deadline.hasExpired() && answer.size() <= kWsdMaxMetadata + 4096) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(static_cast<int>(
                                                std::max<qint64>(1, deadline.remainingTime()))))
            break;  // closed by the server, or timed out
        answer += socket.readAll();
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

struct Device {
    QString endpoint;
    QString address;  // metadata service; empty until known
};

}  // namespace

std::vector<WsdComputer> gWsdDiscoverComputers(const WsdDiscoveryLimits& limits) {
    std::vector<WsdComputer> computers;
    const auto interfaces = multicastInterfaces();
    if (interfaces.empty())
        return computers;
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::AnyIPv4, 0))
        return computers;
    socket.setSocketOption(QAbstractSocket::MulticastTtlOption, 1);
    socket.setSocketOption(QAbstractSocket::MulticastLoopbackOption, 0);

    QStringList requestIds{newMessageId()};
    multicast(socket, interfaces, gWsdProbeMessage(requestIds.front()));

    std::vector<Device> devices;
    QElapsedTimer clock;
    clock.start();
    qint64 endMs = limits.probeWindowMs;
    const qint64 hardEndMs = limits.probeWindowMs + 2 * limits.resolveWindowMs;
    bool repeated = false;
    while (clock.elapsed() < endMs) {
        // SOAP over UDP may lose a datagram: the probe goes out a second time, after the shortest
        // retransmission delay, so that the answers to both are due early in the window.
        if (!repeated && clock.elapsed() >= kRepeatProbeMs) {
            repeated = true;
            multicast(socket, interfaces, gWsdProbeMessage(requestIds.front()));
        }
        const qint64 wait =
            std::min<qint64>(endMs - clock.elapsed(), repeated ? endMs : kRepeatProbeMs);
        if (!socket.hasPendingDatagrams() &&
            !socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, wait))))
            continue;
        while (socket.hasPendingDatagrams()) {
            QByteArray datagram(std::min<qint64>(socket.pendingDatagramSize(), kWsdMaxDatagram + 1),
                                Qt::Uninitialized);
            const qint64 size = socket.readDatagram(datagram.data(), datagram.size());
            if (size <= 0)
                continue;
            datagram.truncate(size);
            const auto reply = gParseWsdReply(datagram);
            if (!reply || !requestIds.contains(reply->relatesTo))
                continue;
            for (const WsdMatch& match : reply->matches) {
                if (match.endpoint.isEmpty() || !isComputer(match))
                    continue;
                auto known = std::find_if(devices.begin(), devices.end(), [&](const Device& d) {
                    return d.endpoint == match.endpoint;
                });
                if (known == devices.end()) {
                    devices.push_back({match.endpoint, QString()});
                    known = devices.end() - 1;
                }
                if (!known->address.isEmpty())
                    continue;
                known->address = httpAddress(match.xaddrs);
                if (known->address.isEmpty() && match.xaddrs.isEmpty()) {
                    requestIds.append(newMessageId());
                    multicast(socket, interfaces,
                              gWsdResolveMessage(requestIds.back(), match.endpoint));
                    endMs = std::min(hardEndMs,
                                     std::max(endMs, clock.elapsed() + limits.resolveWindowMs));
                }
            }
        }
    }
    for (const Device& device : devices) {
        if (device.address.isEmpty())
            continue;
        const QByteArray metadata = httpPost(
            device.address, gWsdGetMessage(newMessageId(), device.endpoint), limits.httpTimeoutMs);
        const auto computer = gParseWsdMetadata(metadata);
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
