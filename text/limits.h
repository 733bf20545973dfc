// Fixed limits of the text helpers.
#pragma once

#include <cstddef>

namespace kalvento {

// Regular expressions see at most this many characters of each input (text,
// pattern, replacement) and give back at most this many bytes.
inline constexpr std::size_t kRegexInputLimit = 1023;
inline constexpr std::size_t kRegexResultLimit = 1023;

// A quoted macro argument holds at most this many bytes between its quotes.
inline constexpr std::size_t kQuotedArgumentMax = 254;

// Percent-encoded texts have room for this many bytes.
inline constexpr std::size_t kUrlEncodedLimit = 1023;

}  // namespace kalvento
