// Cutting CP932 text to a byte limit without splitting a double-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kalvento {

// Length of the longest prefix of at most `max_bytes` bytes that ends at a
// character boundary (a lead byte counts with its trail byte).
std::size_t cp932_fitting_length(std::string_view text, std::size_t max_bytes);

// Cuts the text to at most `max_bytes` bytes at a character boundary.
void cut_cp932(std::string& text, std::size_t max_bytes);

// Appends as much of `text` as keeps `target` within `limit` bytes, whole
// characters only.
void append_cp932(std::string& target, std::string_view text, std::size_t limit);

}  // namespace kalvento
