// Numbers in the rule texts (settings values, exchange lines, clipboard
// blocks), read the way the C library reads them but without its undefined
// behaviour on overflow.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kalvento {

// Leading white space, an optional sign and decimal digits up to the first
// other character; anything else (a line end, trailing text) is ignored. A
// value out of range is clamped to the limits of the type. "" and "x" give 0.
std::int32_t parse_decimal_int32(std::string_view text);
std::int64_t parse_decimal_int64(std::string_view text);

// An unsigned 64-bit number whose base comes from its prefix: "0x" or "0X"
// hexadecimal, a leading "0" octal, else decimal; a leading "-" negates modulo
// 2^64 and an overflow gives 2^64 - 1 (as strtoull). The bits are returned as a
// signed number, so "0xFFFFFFFFFFFFFFFF" and "-1" both give -1.
std::int64_t parse_prefixed_uint64(std::string_view text);

}  // namespace kalvento
