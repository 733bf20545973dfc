// Stepping through code page 932 text one character at a time: a lead byte
// (0x81-0x9F, 0xE0-0xFC) and the byte after it are one character, so a trail
// byte that happens to look like '\', '|', ']' or '@' is never taken for one.
// Every helper that searches, cuts or walks CP932 text goes through these.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kalvento {

// First byte of a CP932 double-byte character.
constexpr bool is_cp932_lead_byte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
constexpr bool is_cp932_lead_byte(char byte) {
    return is_cp932_lead_byte(static_cast<unsigned char>(byte));
}

// Bytes of the character that starts at `at`: 2 for a lead byte with a byte
// after it, else 1 (a lead byte at the very end stands alone).
constexpr std::size_t cp932_char_width(std::string_view text, std::size_t at) {
    return is_cp932_lead_byte(text[at]) && at + 1 < text.size() ? 2 : 1;
}

// True when the text ends with a lead byte whose trail byte is missing.
bool ends_inside_character(std::string_view text);

// Length of the longest prefix of at most `max_bytes` bytes that ends at a
// character boundary.
std::size_t cp932_fitting_length(std::string_view text, std::size_t max_bytes);

// Cuts the text to at most `max_bytes` bytes at a character boundary.
void cut_cp932(std::string& text, std::size_t max_bytes);

// Appends as much of `text` as keeps `target` within `limit` bytes, whole
// characters only.
void append_cp932(std::string& target, std::string_view text, std::size_t limit);

// First position at or after `from` where `needle` starts at a character
// boundary, or npos; half of one character and half of the next never match.
std::size_t find_at_character(std::string_view text, std::string_view needle, std::size_t from = 0);

}  // namespace kalvento
