#include "platform/netbios/router_socket.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace pelimo::platform {

socklen_t abstractSocketAddress(QByteArrayView name, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const auto length =
        std::min<std::size_t>(static_cast<std::size_t>(name.size()), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), length);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

int connectRecordSocket(QByteArrayView name, int& error) {
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    sockaddr_un address;
    const socklen_t length = abstractSocketAddress(name, address);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        error = errno;
        ::close(fd);
        return -1;
    }
    error = 0;
    return fd;
}

ReceivedRecord receiveRecord(int fd, QByteArray& buffer, std::size_t maxSize) {
    buffer.resize(static_cast<qsizetype>(maxSize) + 1);
    for (;;) {
        // MSG_TRUNC gives the record's whole size even when it is larger than the buffer.
        const ssize_t size = ::recv(fd, buffer.data(), static_cast<std::size_t>(buffer.size()),
                                    MSG_DONTWAIT | MSG_TRUNC);
        if (size < 0 && errno == EINTR)
            continue;
        if (size < 0)
            return {errno == EAGAIN || errno == EWOULDBLOCK, std::nullopt};
        if (size == 0 || static_cast<std::size_t>(size) > maxSize)
            return {false, std::nullopt};
        return {true, QByteArrayView(buffer).first(size)};
    }
}

bool sendQueuedRecords(int fd, std::deque<QByteArray>& out, std::size_t& outBytes) {
    while (!out.empty()) {
        const QByteArray& record = out.front();
        const ssize_t sent = ::send(fd, record.constData(), static_cast<std::size_t>(record.size()),
                                    MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK;
        outBytes -= static_cast<std::size_t>(record.size()) + kQueuedRecordOverhead;
        out.pop_front();
    }
    return true;
}

}  // namespace pelimo::platform
