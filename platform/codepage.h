// Conversions between code page 932 (Windows Shift-JIS), UTF-8 and wide text.
//
// The core keeps every text as CP932 bytes; these functions are the only way in
// and out. The CP932 tables are taken from iconv's "CP932" converter once, so
// the extension rows 0xFA-0xFC survive a round trip, NEC-selected codes come
// back as Windows writes them, and 0x5C stays a backslash.
//
// Bytes that are not valid CP932 (a stray trail byte, a lead byte at the end, an
// unassigned double-byte code) are carried through wide text in private code
// points above U+100000, so decoding and encoding again never changes them.
#pragma once

#include "platform/cp932_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// The byte order mark that some editors put before UTF-8 text.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// What becomes of a character that CP932 cannot represent.
enum class Unmappable {
    fail,   // the whole conversion fails
    space,  // the character is written as one ASCII blank
};

// CP932 -> wide. Never fails: invalid bytes become private code points.
std::wstring cp932_to_wide(std::string_view cp932);

// CP932 -> wide, with the byte offset of every wide character: offsets[i] is
// where character i starts, offsets[wide.size()] is the length of the input.
// Text helpers use them to cut and copy the original bytes, so that a character
// with two CP932 forms (an NEC-selected code) is never rewritten to the other.
struct DecodedText {
    std::wstring wide;
    std::vector<std::uint32_t> offsets;
};
DecodedText decode_cp932(std::string_view cp932);

// Wide -> CP932. Private code points made by cp932_to_wide turn back into their bytes.
std::optional<std::string> wide_to_cp932(std::wstring_view wide,
                                         Unmappable policy = Unmappable::fail);

// Strict UTF-8 <-> wide (no overlong forms, no surrogates); nullopt on malformed input.
std::optional<std::wstring> utf8_to_wide(std::string_view utf8);
std::optional<std::string> wide_to_utf8(std::wstring_view wide);

// CP932 -> UTF-8; nullopt when the text holds bytes that are not valid CP932.
std::optional<std::string> cp932_to_utf8(std::string_view cp932);
// CP932 -> UTF-8 for display: invalid bytes are shown as U+FFFD.
std::string cp932_to_utf8_lossy(std::string_view cp932);

// UTF-8 -> CP932; nullopt on malformed UTF-8, or (with Unmappable::fail) on a
// character that CP932 cannot represent.
std::optional<std::string> utf8_to_cp932(std::string_view utf8,
                                         Unmappable policy = Unmappable::fail);

// Fixed texts of the program, written in UTF-8 in the sources, as CP932. They
// are all representable; an unrepresentable character would come out as a blank.
std::string cp932(std::string_view utf8_literal);

}  // namespace kalvento
