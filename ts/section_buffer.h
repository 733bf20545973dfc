// Assembly of the sections of one PID from the payloads of its packets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace kalvento {

// The longest section: a 12-bit section_length plus the three bytes before it.
inline constexpr std::size_t kMaxSectionBytes = 0x0FFF + 3;

class SectionBuffer {
  public:
    // Bytes a buffer may hold: an unfinished section is dispatched after every
    // append, so it never holds more than one section short of its last byte
    // plus one packet payload. Anything beyond is damage, not data.
    static constexpr std::size_t kMaxLength = kMaxSectionBytes + 184;
    // Spare room added on growth, so that a section usually needs one allocation.
    static constexpr std::size_t kGrowthSpare = 200;

    // Continuity counter the next packet must carry to continue the section.
    int expectedCounter = 0;

    // Appends bytes behind the assembled ones. Returns false, and empties the
    // buffer, when the result would exceed kMaxLength or memory runs out.
    bool append(const std::uint8_t* bytes, std::size_t count);

    // Forgets the assembled bytes; the block is kept for the next section.
    void reset() { length_ = 0; }

    // Drops the first `count` bytes and moves the rest to the front.
    void drop_front(std::size_t count);

    std::span<const std::uint8_t> bytes() const { return {data_.get(), length_}; }
    std::size_t length() const { return length_; }
    std::size_t capacity() const { return capacity_; }

  private:
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t capacity_ = 0;
    std::size_t length_ = 0;
};

}  // namespace kalvento
