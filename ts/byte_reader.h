// Bounds-checked reading of section and descriptor bytes.
//
// Every table parser reads through a ByteReader. The first read that asks for
// more bytes than remain puts the reader into the failed state: the read yields
// zeros and every later read fails too, so a parser can be written as straight
// line code and test ok() once where a decision depends on the values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kalvento {

class ByteReader {
  public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool ok() const { return !failed_; }
    std::size_t remaining() const { return failed_ ? 0 : bytes_.size() - position_; }
    std::size_t position() const { return position_; }

    std::uint8_t u8() {
        if (!need(1)) return 0;
        return bytes_[position_++];
    }

    // Big-endian 16-bit value.
    std::uint16_t u16() {
        if (!need(2)) return 0;
        const auto value =
            static_cast<std::uint16_t>(bytes_[position_] << 8 | bytes_[position_ + 1]);
        position_ += 2;
        return value;
    }

    // The low 12 bits of a 16-bit value (the usual section and loop lengths).
    std::uint16_t u12() { return static_cast<std::uint16_t>(u16() & 0x0FFF); }

    // The low 13 bits of a 16-bit value (PIDs).
    std::uint16_t u13() { return static_cast<std::uint16_t>(u16() & 0x1FFF); }

    void skip(std::size_t count) {
        if (need(count)) position_ += count;
    }

    // The next `count` bytes; an empty span (and the failed state) when fewer remain.
    std::span<const std::uint8_t> bytes(std::size_t count) {
        if (!need(count)) return {};
        const auto piece = bytes_.subspan(position_, count);
        position_ += count;
        return piece;
    }

    // A reader over the next `count` bytes, which this reader steps over. When
    // fewer remain, both readers are failed.
    ByteReader take(std::size_t count) {
        ByteReader sub(bytes(count));
        sub.failed_ = failed_;
        return sub;
    }

    // Like take, but a length that runs past the end is cut to what remains:
    // for loops whose declared length may overrun a damaged section.
    ByteReader take_up_to(std::size_t count) {
        return take(count < remaining() ? count : remaining());
    }

  private:
    bool need(std::size_t count) {
        if (failed_ || count > bytes_.size() - position_) {
            failed_ = true;
            return false;
        }
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

}  // namespace kalvento
