#include "platform/netbios/nmbd_unexpected_reader.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/netbios/nbds_datagram.h"

namespace pelimo::platform {
namespace {

// The layout of nmbd's query and packet header on this machine (native types and byte order).
constexpr std::size_t kQueryTypeOffset = 0;
constexpr std::size_t kQueryNameLengthOffset = 8;
constexpr std::size_t kQueryTransactionOffset = 16;
constexpr std::size_t kHeaderLengthOffset = 0;
constexpr std::size_t kHeaderTypeOffset = 8;
constexpr std::size_t kHeaderAddressOffset = 24;
constexpr std::size_t kHeaderPortOffset = 28;
constexpr std::size_t kReadChunk = 16 * 1024;

template <class Value>
Value nativeAt(const QByteArray& bytes, qsizetype offset) {
    Value value{};
    // Callers check the length first; the check here keeps every read inside the buffer.
    if (offset < 0 || bytes.size() - offset < static_cast<qsizetype>(sizeof value))
        return value;
    std::memcpy(&value, bytes.constData() + offset, sizeof value);
    return value;
}

template <class Value>
void putNative(QByteArray& bytes, std::size_t offset, Value value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

}  // namespace

QString nmbdUnexpectedSocketPath(const SambaConfigSource& source) {
    QString directory =
        sambaGlobalParameter(QString::fromLatin1(nmbd::kSocketDirectoryParameter), source);
    if (directory.isEmpty())
        directory = QString::fromLatin1(nmbd::kDefaultSocketDirectory);
    return directory + u'/' + QString::fromLatin1(nmbd::kUnexpectedSocketName);
}

QByteArray encodeNmbdDatagramQuery() {
    static_assert(sizeof(std::int32_t) + sizeof(std::size_t) <= kQueryTransactionOffset);
    QByteArray query(nmbd::kQuerySize, '\0');
    putNative<std::int32_t>(query, kQueryTypeOffset, nmbd::kDatagramPacketType);
    putNative<std::size_t>(query, kQueryNameLengthOffset, 0);  // no filter: every datagram
    putNative<std::int32_t>(query, kQueryTransactionOffset, 0);
    return query;
}

void NmbdStreamParser::feed(QByteArrayView bytes) {
    if (failed_)
        return;
    // Consumed bytes are dropped before new ones are added, so the buffer holds at most one
    // packet and what arrived after it.
    if (position_ > 0) {
        buffer_.remove(0, position_);
        position_ = 0;
    }
    buffer_.append(bytes);
}

std::optional<NmbdPacket> NmbdStreamParser::next() {
    while (!failed_) {
        const qsizetype remaining = buffer_.size() - position_;
        if (!accepted_) {
            if (remaining < 1)
                return std::nullopt;
            if (static_cast<std::uint8_t>(buffer_[position_]) != nmbd::kQueryAccepted) {
                failed_ = true;
                return std::nullopt;
            }
            accepted_ = true;
            ++position_;
            continue;
        }
        if (remaining < static_cast<qsizetype>(nmbd::kPacketHeaderSize))
            return std::nullopt;
        const auto length = nativeAt<std::size_t>(buffer_, position_ + kHeaderLengthOffset);
        if (length > nbds::kMaxPacketSize) {
            failed_ = true;
            return std::nullopt;
        }
        // Both bounded above (the length by the largest packet): the sum cannot overflow.
        const auto total =
            static_cast<qsizetype>(nmbd::kPacketHeaderSize) + static_cast<qsizetype>(length);
        if (remaining < total)
            return std::nullopt;
        const auto type = nativeAt<std::int32_t>(buffer_, position_ + kHeaderTypeOffset);
        NmbdPacket packet;
        // in_addr is in network order; the port is a native int.
        packet.sourceIp = ntohl(nativeAt<std::uint32_t>(buffer_, position_ + kHeaderAddressOffset));
        const auto port = nativeAt<std::int32_t>(buffer_, position_ + kHeaderPortOffset);
        packet.sourcePort = port >= 0 && port <= 0xFFFF ? static_cast<std::uint16_t>(port) : 0;
        packet.datagram = buffer_.mid(position_ + static_cast<qsizetype>(nmbd::kPacketHeaderSize),
                                      static_cast<qsizetype>(length));
        position_ += total;
        if (type == nmbd::kDatagramPacketType)
            return packet;
    }
    return std::nullopt;
}

NmbdUnexpectedReader::NmbdUnexpectedReader(QString socketPath) : path_(std::move(socketPath)) {}

NmbdUnexpectedReader::~NmbdUnexpectedReader() {
    disconnect();
}

int NmbdUnexpectedReader::connect() {
    disconnect();
    const QByteArray path = path_.toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof address.sun_path)
        return ENAMETOOLONG;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return errno;
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(socket);
        return error;
    }
    const QByteArray query = encodeNmbdDatagramQuery();
    const ssize_t written =
        ::send(socket, query.constData(), static_cast<std::size_t>(query.size()),
               MSG_NOSIGNAL | MSG_DONTWAIT);
    if (written != query.size()) {
        const int error = written < 0 ? errno : EIO;
        ::close(socket);
        return error;
    }
    socket_ = socket;
    parser_ = NmbdStreamParser();
    lastSeen_ = Clock::now();
    return 0;
}

void NmbdUnexpectedReader::disconnect() {
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = -1;
}

bool NmbdUnexpectedReader::readAvailable(std::vector<NmbdPacket>& packets) {
    if (socket_ < 0)
        return false;
    char chunk[kReadChunk];
    for (;;) {
        const ssize_t size = ::recv(socket_, chunk, sizeof chunk, MSG_DONTWAIT);
        if (size > 0) {
            parser_.feed(QByteArrayView(chunk, size));
            const bool wasAccepted = parser_.accepted();
            while (auto packet = parser_.next())
                packets.push_back(std::move(*packet));
            if (!wasAccepted && parser_.accepted())
                delay_ = kFirstReconnectDelay;
            if (parser_.failed())
                break;
            lastSeen_ = Clock::now();
            continue;
        }
        if (size < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            lastSeen_ = Clock::now();
            return true;
        }
        if (size < 0 && errno == EINTR)
            continue;
        break;  // end of stream or an error
    }
    disconnect();
    return false;
}

void NmbdUnexpectedReader::scheduleReconnect(Clock::time_point now) {
    nextAttempt_ = now + delay_;
    delay_ = std::min(delay_ * 2, kMaxReconnectDelay);
}

}  // namespace pelimo::platform
