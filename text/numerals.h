// Episode numbers written in ASCII digits, full-width digits or kanji numerals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kalvento {

// One kanji numeral character: a digit (code 0..9), a small unit (0x10 | power
// of ten: 十 百 千) or a large unit (0x20 | power of ten: 万 億).
struct KanjiDigit {
    char bytes[2];  // CP932
    std::uint8_t code;
};
inline constexpr std::uint8_t kKanjiSmallUnit = 0x10;
inline constexpr std::uint8_t kKanjiLargeUnit = 0x20;

// The 34 characters in lookup order.
std::span<const KanjiDigit> KanjiDigitTable();

// The value of a text made of table characters, read from its end; reading
// stops at a character outside the table. 0 for an empty text. The arithmetic
// wraps like signed 32-bit integers.
std::int32_t parse_kanji_numeral(std::string_view text);

// A whole number as a user types one: an optional "-" and decimal digits, no
// blanks, within the range of int; nullopt for anything else.
std::optional<int> whole_number(std::string_view text);

// The number in the first match of `pattern` in `subject`: ASCII digits
// first, then full-width digits, then kanji numerals; nullopt when nothing
// matches or the match holds no number.
std::optional<std::int32_t> number_in_match(std::string_view subject, std::string_view pattern);

}  // namespace kalvento
