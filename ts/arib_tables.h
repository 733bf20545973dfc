// Code tables of the ARIB text decoder: what each character of the graphic sets
// and each additional symbol becomes in code page 932. Data only; the decoding
// logic lives in ts/arib_text.cpp.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento::arib {

// The one-byte sets are indexed by their 7-bit code 0x20..0x7F.
constexpr std::uint8_t kFirstTableCode = 0x20;
constexpr std::size_t kTableCodes = 0x60;
using CharacterTable = std::array<std::string, kTableCodes>;

// Alphanumeric set in normal size: full-width forms (0x22 ”, 0x27 ’, 0x5C ￥,
// 0x60 and 0x7F a full-width blank, 0x7E ￣).
const CharacterTable& fullwidth_alphanumeric_table();
// Alphanumeric set in middle size: the ASCII characters themselves.
const CharacterTable& halfwidth_alphanumeric_table();
// Hiragana and katakana sets, always full width; undefined codes give a full-width blank.
const CharacterTable& hiragana_table();
const CharacterTable& katakana_table();

// The additional symbols we turn into short text, as runs of consecutive 14-bit
// codes ((first byte & 0x7F) << 8 | (second byte & 0x7F)).
struct AdditionalSymbolRange {
    std::uint16_t firstCode = 0;
    std::vector<std::string> texts;  // texts[k] belongs to firstCode + k
};
const std::vector<AdditionalSymbolRange>& additional_symbol_ranges();

// Longest text of an additional symbol, in bytes.
constexpr std::size_t kMaxAdditionalSymbolBytes = 6;

// The text of one additional symbol; the geta mark "〓" for codes outside the table.
std::string_view additional_symbol_text(std::uint16_t code14);

}  // namespace kalvento::arib
