// ARIB STD-B24 8-unit text to code page 932.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kalvento {

// Decodes `length` bytes of ARIB text into `destination` (NUL-terminated when a
// destination of at least one byte is given). A piece of n bytes is written only
// when written + n + 1 < destination_size; what does not fit is dropped.
void arib_to_sjis(const std::uint8_t* source, std::size_t length, char* destination,
                  std::size_t destination_size);

// Convenience: decodes into a buffer of 2 * length + extra bytes, as callers size
// it (extra = 80 for event texts, 20 for service and TS names), and returns the text.
std::string arib_to_sjis(const std::uint8_t* source, std::size_t length, std::size_t extra);

}  // namespace kalvento
