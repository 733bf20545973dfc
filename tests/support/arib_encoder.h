// ARIB 8-unit text for test inputs, used by tests, benchmarks and the sample
// writer. Every piece starts and ends in the initial state (G0 Kanji, G1
// alphanumeric, G2 hiragana, G3 katakana, GL = G0, GR = G2, normal size), so
// pieces can simply be concatenated. JIS X 0208 characters go through G0,
// hiragana and ゝゞー。「」、・ through GR, katakana through G3 after LS3, ASCII
// 0x21..0x7E as middle-size alphanumerics, full-width ＡＢＣ！ as normal-size
// ones, " " and "　" as middle and normal-size spaces, "\r" and "\n" as 0x0D and
// 0x0A, the extension-row kanji 髙﨑塚寬彅德鍈 and the marks of the
// additional-symbol set (🈑 for [字], 🈞 for [再], ... U+1F14A to U+1F22F)
// as rows 0x75, 0x76 and 0x7A of the Kanji set, as broadcasters send them;
// anything else as the geta mark 〓.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kalvento::test {

// Malformed UTF-8 yields an empty result.
std::vector<std::uint8_t> arib_encode(std::string_view utf8);

// One additional symbol by its 14-bit code (for example 0x7A56 for "[字]"):
// designates the additional-symbol set into G3, single-shifts the code and puts
// the katakana set back into G3.
std::vector<std::uint8_t> arib_symbol(std::uint16_t code14);

// The same symbol as a code of the Kanji set in G0, the form broadcasts use.
std::vector<std::uint8_t> arib_kanji_set_symbol(std::uint16_t code14);

}  // namespace kalvento::test
