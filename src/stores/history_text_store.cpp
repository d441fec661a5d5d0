#include "stores/history_text_store.h"

#include <unistd.h>

#include <QHashFunctions>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace {

// Blocks of this size hold many entries each; a text larger than a quarter of one gets a block
// of its own, so little of a block is left unused.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
constexpr std::size_t kOwnBlockBytes = kBlockBytes / 4;
constexpr std::size_t kFirstPlaces = 1024;
// Bytes of the history file read at a time: a message is much smaller.
constexpr std::size_t kWindowBytes = std::size_t{32} << 10;

}  // namespace

char* HistoryByteBlocks::allocate(std::size_t size) {
    if (size > kOwnBlockBytes) {
        // The block being filled stays the one being filled.
        blocks_.emplace_back(new char[size]);
        return blocks_.back().get();
    }
    if (size > left_) {
        blocks_.emplace_back(new char[kBlockBytes]);
        free_ = blocks_.back().get();
        left_ = kBlockBytes;
    }
    char* const at = free_;
    free_ += size;
    left_ -= size;
    return at;
}

void HistoryByteBlocks::clear() {
    blocks_.clear();
    free_ = nullptr;
    left_ = 0;
}

HistoryTextPool::HistoryTextPool() {
    clear();
}

quint32 HistoryTextPool::intern(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return 0;
    // Senders come from the network: the seed differs from run to run.
    const auto hash = static_cast<quint32>(qHash(bytes, QHashSeed::globalSeed()));
    const std::size_t mask = places_.size() - 1;
    for (std::size_t place = hash & mask;; place = (place + 1) & mask) {
        const quint32 found = places_[place];
        if (found == 0) {
            const auto size = static_cast<std::size_t>(bytes.size());
            char* const copy = bytes_.allocate(size);
            std::memcpy(copy, bytes.data(), size);
            texts_.push_back({copy, static_cast<quint32>(size), hash});
            const auto id = static_cast<quint32>(texts_.size() - 1);
            places_[place] = id + 1;
            if (texts_.size() * 2 > places_.size())
                grow();
            return id;
        }
        const Text& text = texts_[found - 1];
        if (text.hash == hash && text.size == static_cast<std::size_t>(bytes.size()) &&
            std::memcmp(text.data, bytes.data(), text.size) == 0) {
            return found - 1;
        }
    }
}

QByteArrayView HistoryTextPool::text(quint32 id) const {
    const Text& text = texts_[id];
    return {text.data, static_cast<qsizetype>(text.size)};
}

void HistoryTextPool::clear() {
    bytes_.clear();
    texts_.assign(1, Text{"", 0, 0});
    places_.assign(kFirstPlaces, 0);
}

void HistoryTextPool::grow() {
    std::vector<quint32> places(places_.size() * 2, 0);
    const std::size_t mask = places.size() - 1;
    for (quint32 id = 1; id < texts_.size(); ++id) {
        std::size_t place = texts_[id].hash & mask;
        while (places[place] != 0)
            place = (place + 1) & mask;
        places[place] = id + 1;
    }
    places_ = std::move(places);
}

HistoryFileBytes::HistoryFileBytes(HistoryFileBytes&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      window_(std::move(other.window_)),
      windowAt_(other.windowAt_),
      windowSize_(std::exchange(other.windowSize_, 0)) {}

HistoryFileBytes& HistoryFileBytes::operator=(HistoryFileBytes&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        window_ = std::move(other.window_);
        windowAt_ = other.windowAt_;
        windowSize_ = std::exchange(other.windowSize_, 0);
    }
    return *this;
}

HistoryFileBytes::~HistoryFileBytes() {
    close();
}

void HistoryFileBytes::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    windowSize_ = 0;
}

void HistoryFileBytes::adopt(int fd) {
    close();
    fd_ = fd;
}

bool HistoryFileBytes::read(quint64 offset, quint32 length, QByteArrayView& bytes) const {
    if (length == 0) {
        bytes = {};
        return true;
    }
    const bool inWindow = offset >= windowAt_ && offset + length <= windowAt_ + windowSize_;
    if (!inWindow) {
        if (fd_ < 0)
            return false;
        const std::size_t wanted = std::max<std::size_t>(length, kWindowBytes);
        if (window_.size() < wanted)
            window_.resize(wanted);
        windowAt_ = offset;
        windowSize_ = 0;
        while (windowSize_ < length) {
            const ssize_t got = ::pread(fd_, window_.data() + windowSize_, wanted - windowSize_,
                                        static_cast<off_t>(offset + windowSize_));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;  // an error, or the file is shorter than when it was read
            windowSize_ += static_cast<std::size_t>(got);
        }
    }
    bytes = QByteArrayView(window_.data() + (offset - windowAt_), static_cast<qsizetype>(length));
    return true;
}
