#include "common/mailslot_test_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <cstring>

#include "platform/ipv4_network.h"
#include "platform/local_mailslot.h"

QByteArray uniqueChannel(const char* stem) {
    static std::atomic<int> counter{0};
    return QByteArray(stem) + "-" + QByteArray::number(getpid()) + "-" +
           QByteArray::number(++counter);
}

namespace {

std::uint16_t boundPort(int socket) {
    sockaddr_in local;
    socklen_t length = sizeof local;
    getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length);
    return ntohs(local.sin_port);
}

}  // namespace

pelimo::platform::MailslotTransportConfig loopbackOnFreePorts() {
    // Both held open at once, so the two ports differ.
    const auto first = pelimo::platform::openUdpSocket(INADDR_LOOPBACK, 0, false);
    const auto second = pelimo::platform::openUdpSocket(INADDR_LOOPBACK, 0, false);
    const auto config = pelimo::platform::MailslotTransportConfig::loopback(
        boundPort(first.socket), boundPort(second.socket));
    ::close(first.socket);
    ::close(second.socket);
    return config;
}

LoopbackPeer::LoopbackPeer(std::uint16_t port) {
    socket_ = pelimo::platform::openUdpSocket(INADDR_LOOPBACK, port, false).socket;
}

LoopbackPeer::~LoopbackPeer() {
    if (socket_ >= 0)
        ::close(socket_);
}

std::optional<QByteArray> LoopbackPeer::receive(int timeoutMs, std::uint16_t* fromPort) {
    pollfd readable{socket_, POLLIN, 0};
    if (::poll(&readable, 1, timeoutMs) <= 0)
        return std::nullopt;
    QByteArray buffer(65536, '\0');
    sockaddr_in peer;
    socklen_t length = sizeof peer;
    const ssize_t size = ::recvfrom(socket_, buffer.data(), static_cast<std::size_t>(buffer.size()),
                                    0, reinterpret_cast<sockaddr*>(&peer), &length);
    if (size < 0)
        return std::nullopt;
    buffer.truncate(size);
    if (fromPort != nullptr)
        *fromPort = ntohs(peer.sin_port);
    return buffer;
}

bool LoopbackPeer::sendTo(std::uint16_t port, const QByteArray& packet) {
    return pelimo::platform::sendUdp(socket_, INADDR_LOOPBACK, port, packet);
}

std::optional<pelimo::platform::EnvelopedMessage> waitForEnvelope(int handle, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        const pelimo::platform::LocalMailslotInfo info =
            pelimo::platform::queryLocalMailslot(handle);
        if (info.waiting != 0) {
            const auto bytes = pelimo::platform::readLocalMailslot(handle, info.nextSize);
            return bytes ? pelimo::platform::decodeMailslotEnvelope(*bytes) : std::nullopt;
        }
        QThread::msleep(1);
    }
    return std::nullopt;
}

std::optional<QByteArray> waitForMessage(int handle, int timeoutMs) {
    const auto envelope = waitForEnvelope(handle, timeoutMs);
    return envelope ? std::optional<QByteArray>(envelope->message) : std::nullopt;
}
