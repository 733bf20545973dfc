// Bytes in memory as the byte source of an analysis (tests and fuzzing).
#pragma once

#include "ts/ts_analyzer.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace kalvento {

class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::int64_t size() override { return static_cast<std::int64_t>(bytes_.size()); }

    bool seek(std::int64_t offset) override {
        if (offset < 0) return false;
        // Like a file: a position behind the end is allowed and reads nothing.
        const auto position = static_cast<std::uint64_t>(offset);
        position_ = position < bytes_.size() ? static_cast<std::size_t>(position) : bytes_.size();
        return true;
    }

    std::size_t read(std::uint8_t* buffer, std::size_t length) override {
        const std::size_t count =
            length < bytes_.size() - position_ ? length : bytes_.size() - position_;
        if (count != 0) std::memcpy(buffer, bytes_.data() + position_, count);
        position_ += count;
        return count;
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace kalvento
