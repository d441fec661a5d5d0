#include "platform/mailslot_reader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

#include "platform/local_mailslot.h"

namespace pelimo::platform {

MailslotReader::MailslotReader(int handle, std::size_t maxQueuedBytes)
    : handle_(handle), maxQueuedBytes_(maxQueuedBytes) {
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (handle_ >= 0 && wakeFd_ >= 0)
        thread_ = std::thread([this] { run(); });
}

MailslotReader::~MailslotReader() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

namespace {

// Datagrams moved per hold of the lock, so a scan never waits long behind the thread.
constexpr int kReadsPerLock = 256;
// What a queued datagram costs beyond its bytes, so zero-length floods are bounded too.
constexpr std::size_t kQueuedOverhead = 64;

std::size_t queuedSize(const EnvelopedMessage& message) {
    return static_cast<std::size_t>(message.message.size()) + kQueuedOverhead;
}

}  // namespace

void MailslotReader::readAvailable() {
    for (int i = 0; i < kReadsPerLock; ++i) {
        const LocalMailslotInfo info = queryLocalMailslot(handle_);
        if (!info.ok || info.waiting == 0)
            return;
        const std::optional<QByteArray> bytes = readLocalMailslot(handle_, info.nextSize);
        if (!bytes)
            return;
        std::optional<EnvelopedMessage> message = decodeMailslotEnvelope(*bytes);
        if (!message) {
            ++malformed_;
            continue;
        }
        const std::size_t size = queuedSize(*message);
        if (queuedBytes_ + size > maxQueuedBytes_) {
            ++dropped_;
            continue;
        }
        queuedBytes_ += size;
        queue_.push_back(std::move(*message));
    }
}

void MailslotReader::run() {
    for (;;) {
        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {handle_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if ((fds[0].revents & POLLIN) != 0 || (fds[1].revents & (POLLERR | POLLNVAL)) != 0)
            return;
        if ((fds[1].revents & POLLIN) != 0) {
            const std::lock_guard lock(mutex_);
            readAvailable();
        }
    }
}

std::optional<EnvelopedMessage> MailslotReader::take() {
    const std::lock_guard lock(mutex_);
    // Reading under the lock keeps the order when the socket holds what the thread has not
    // taken yet.
    if (queue_.empty())
        readAvailable();
    if (queue_.empty())
        return std::nullopt;
    EnvelopedMessage message = std::move(queue_.front());
    queue_.pop_front();
    queuedBytes_ -= queuedSize(message);
    return message;
}

}  // namespace pelimo::platform
