// Bounds-checked reading and plain writing of binary protocol fields. Every read checks the
// remaining length; the first short read sets a sticky error, after which every read yields zero
// or empty, so a decoder checks ok() once at the end of a group of fields.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstddef>
#include <cstdint>

namespace pelimo::platform {

class ByteReader {
public:
    explicit ByteReader(QByteArrayView bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    std::size_t position() const { return position_; }
    std::size_t size() const { return static_cast<std::size_t>(bytes_.size()); }
    std::size_t remaining() const { return ok_ ? size() - position_ : 0; }
    QByteArrayView whole() const { return bytes_; }

    std::uint8_t u8() {
        if (!need(1))
            return 0;
        return byteAt(position_++);
    }
    std::uint16_t u16be() {
        if (!need(2))
            return 0;
        const auto value =
            static_cast<std::uint16_t>(byteAt(position_) << 8 | byteAt(position_ + 1));
        position_ += 2;
        return value;
    }
    std::uint16_t u16le() {
        if (!need(2))
            return 0;
        const auto value =
            static_cast<std::uint16_t>(byteAt(position_) | byteAt(position_ + 1) << 8);
        position_ += 2;
        return value;
    }
    std::uint32_t u32be() {
        const std::uint32_t high = u16be();
        return high << 16 | u16be();
    }
    std::uint32_t u32le() {
        const std::uint32_t low = u16le();
        return low | static_cast<std::uint32_t>(u16le()) << 16;
    }
    // The next `count` bytes; empty (and the error set) when fewer remain.
    QByteArrayView bytes(std::size_t count) {
        if (!need(count))
            return {};
        const QByteArrayView view =
            bytes_.sliced(static_cast<qsizetype>(position_), static_cast<qsizetype>(count));
        position_ += count;
        return view;
    }
    void skip(std::size_t count) { bytes(count); }
    // Moves to an absolute position; a position past the end sets the error.
    void seek(std::size_t position) {
        if (!ok_ || position > size()) {
            fail();
            return;
        }
        position_ = position;
    }
    // The bytes up to the next NUL, which is consumed; the error is set when there is no NUL.
    QByteArrayView nulTerminated() {
        if (!ok_)
            return {};
        const QByteArrayView rest = bytes_.sliced(static_cast<qsizetype>(position_));
        const qsizetype end = rest.indexOf('\0');
        if (end < 0) {
            fail();
            return {};
        }
        position_ += static_cast<std::size_t>(end) + 1;
        return rest.first(end);
    }
    void fail() { ok_ = false; }

private:
    bool need(std::size_t count) {
        if (!ok_ || count > size() - position_) {
            fail();
            return false;
        }
        return true;
    }
    std::uint8_t byteAt(std::size_t index) const {
        return static_cast<std::uint8_t>(bytes_[static_cast<qsizetype>(index)]);
    }

    QByteArrayView bytes_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

// Appends fields to a packet being built.
class ByteWriter {
public:
    explicit ByteWriter(QByteArray& out) : out_(out) {}
    void u8(std::uint8_t value) { out_.append(static_cast<char>(value)); }
    void u16be(std::uint16_t value) {
        u8(static_cast<std::uint8_t>(value >> 8));
        u8(static_cast<std::uint8_t>(value));
    }
    void u16le(std::uint16_t value) {
        u8(static_cast<std::uint8_t>(value));
        u8(static_cast<std::uint8_t>(value >> 8));
    }
    void u32be(std::uint32_t value) {
        u16be(static_cast<std::uint16_t>(value >> 16));
        u16be(static_cast<std::uint16_t>(value));
    }
    void u32le(std::uint32_t value) {
        u16le(static_cast<std::uint16_t>(value));
        u16le(static_cast<std::uint16_t>(value >> 16));
    }
    void bytes(QByteArrayView value) { out_.append(value); }
    void zeros(std::size_t count) { out_.append(static_cast<qsizetype>(count), '\0'); }
    // Overwrites a big-endian 16-bit field written earlier (lengths known only at the end).
    void patchU16be(std::size_t position, std::uint16_t value) {
        out_[static_cast<qsizetype>(position)] = static_cast<char>(value >> 8);
        out_[static_cast<qsizetype>(position) + 1] = static_cast<char>(value);
    }
    void patchU16le(std::size_t position, std::uint16_t value) {
        out_[static_cast<qsizetype>(position)] = static_cast<char>(value);
        out_[static_cast<qsizetype>(position) + 1] = static_cast<char>(value >> 8);
    }
    std::size_t size() const { return static_cast<std::size_t>(out_.size()); }

private:
    QByteArray& out_;
};

}  // namespace pelimo::platform
