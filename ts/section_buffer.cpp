#include "ts/section_buffer.h"

#include <cstring>
#include <new>

namespace kalvento {

bool SectionBuffer::append(const std::uint8_t* bytes, std::size_t count) {
    if (count == 0) return true;
    if (count > kMaxLength - length_) {
        reset();
        return false;
    }
    if (capacity_ < length_ + count) {
        const std::size_t capacity = length_ + count + kGrowthSpare;
        std::unique_ptr<std::uint8_t[]> grown(new (std::nothrow) std::uint8_t[capacity]);
        if (!grown) {
            reset();
            return false;
        }
        if (length_ != 0) std::memcpy(grown.get(), data_.get(), length_);
        data_ = std::move(grown);
        capacity_ = capacity;
    }
    std::memcpy(data_.get() + length_, bytes, count);
    length_ += count;
    return true;
}

void SectionBuffer::drop_front(std::size_t count) {
    if (count >= length_) {
        reset();
        return;
    }
    std::memmove(data_.get(), data_.get() + count, length_ - count);
    length_ -= count;
}

}  // namespace kalvento
