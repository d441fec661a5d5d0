#include "platform/local_mailslot.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <unordered_set>

#include "platform/netbios/router_socket.h"

namespace pelimo::platform {
namespace {

// Forcing goes past the kernel's default maximum when we hold CAP_NET_ADMIN.
void enlargeBuffer(int socket, int option, int forcedOption) {
    const int size = kMailslotSocketBufferBytes;
    if (setsockopt(socket, SOL_SOCKET, forcedOption, &size, sizeof size) != 0) {
        setsockopt(socket, SOL_SOCKET, option, &size, sizeof size);
    }
}

int newDatagramSocket() {
    return ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

}  // namespace

QByteArray localMailslotAddress(QByteArrayView channel) {
    QByteArray name(kLocalMailslotPrefix);
    for (const char byte : channel) {
        name.append(byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : byte);
    }
    return name;
}

int createLocalMailslot(QByteArrayView channel) {
    const int handle = newDatagramSocket();
    if (handle < 0)
        return -1;
    enlargeBuffer(handle, SO_RCVBUF, SO_RCVBUFFORCE);
    sockaddr_un address;
    const socklen_t length = abstractSocketAddress(localMailslotAddress(channel), address);
    if (::bind(handle, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        ::close(handle);
        return -1;
    }
    return handle;
}

LocalMailslotInfo queryLocalMailslot(int handle) {
    LocalMailslotInfo info;
    if (handle < 0)
        return info;
    char probe = 0;
    const ssize_t size = ::recv(handle, &probe, 1, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
    if (size >= 0) {
        info.ok = true;
        info.waiting = 1;
        info.nextSize = size;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        info.ok = true;
    }
    return info;
}

std::optional<QByteArray> readLocalMailslot(int handle, qint64 expectedSize) {
    if (handle < 0 || expectedSize < 0)
        return std::nullopt;
    QByteArray message(static_cast<qsizetype>(std::max<qint64>(expectedSize, 1)), '\0');
    const ssize_t size =
        ::recv(handle, message.data(), static_cast<std::size_t>(message.size()), MSG_DONTWAIT);
    if (size < 0)
        return std::nullopt;
    message.truncate(std::min<qsizetype>(size, message.size()));
    return message;
}

void closeLocalMailslot(int handle) {
    if (handle >= 0)
        ::close(handle);
}

LocalMailslotWriter::LocalMailslotWriter() : socket_(newDatagramSocket()) {
    if (socket_ >= 0)
        enlargeBuffer(socket_, SO_SNDBUF, SO_SNDBUFFORCE);
}

LocalMailslotWriter::~LocalMailslotWriter() {
    if (socket_ >= 0)
        ::close(socket_);
}

MailslotDelivery LocalMailslotWriter::sendTo(const QByteArray& address, QByteArrayView message) {
    if (socket_ < 0)
        return MailslotDelivery::Failed;
    sockaddr_un target;
    const socklen_t length = abstractSocketAddress(address, target);
    for (;;) {
        const ssize_t sent = ::sendto(
            socket_, message.data(), static_cast<std::size_t>(message.size()),
            MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&target), length);
        if (sent >= 0)
            return MailslotDelivery::Delivered;
        switch (errno) {
            case EINTR:
                continue;
            case EAGAIN:
#if EWOULDBLOCK != EAGAIN
            case EWOULDBLOCK:
#endif
            case ENOBUFS:
                return MailslotDelivery::Full;
            case ECONNREFUSED:
            case ENOENT:
                return MailslotDelivery::NoMailslot;
            default:
                return MailslotDelivery::Failed;
        }
    }
}

MailslotDelivery LocalMailslotWriter::sendNow(QByteArrayView channel, QByteArrayView message,
                                              const MailslotOrigin& origin) {
    return sendTo(localMailslotAddress(channel), encodeMailslotEnvelope(origin, message));
}

bool LocalMailslotWriter::isHeldBack(const QByteArray& address) const {
    for (const Pending& entry : pending_) {
        if (entry.address == address)
            return true;
    }
    return false;
}

MailslotDelivery LocalMailslotWriter::deliver(QByteArrayView channel, QByteArrayView message,
                                              const MailslotOrigin& origin) {
    QByteArray address = localMailslotAddress(channel);
    QByteArray enveloped = encodeMailslotEnvelope(origin, message);
    // Behind messages already held back for the same mailslot, so the order is kept.
    if (!isHeldBack(address)) {
        const MailslotDelivery result = sendTo(address, enveloped);
        if (result != MailslotDelivery::Full)
            return result;
    }
    if (pendingBytes_ + static_cast<std::size_t>(enveloped.size()) > kMaxPendingBytes) {
        return MailslotDelivery::Full;  // dropped: a reader that far behind loses new messages
    }
    pendingBytes_ += static_cast<std::size_t>(enveloped.size());
    pending_.push_back({std::move(address), std::move(enveloped)});
    return MailslotDelivery::HeldBack;
}

bool LocalMailslotWriter::retryPending() {
    std::unordered_set<std::string> blocked;
    for (auto it = pending_.begin(); it != pending_.end();) {
        const std::string key = it->address.toStdString();
        if (blocked.count(key) != 0) {
            ++it;
            continue;
        }
        if (sendTo(it->address, it->message) == MailslotDelivery::Full) {
            blocked.insert(key);
            ++it;
            continue;
        }
        // Written, or the mailslot is gone (or failed for good): either way it leaves the queue.
        pendingBytes_ -= static_cast<std::size_t>(it->message.size());
        it = pending_.erase(it);
    }
    return !pending_.empty();
}

}  // namespace pelimo::platform
