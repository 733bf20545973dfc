// ARIB 8-unit text for test inputs: the encoder that tests, benchmarks and the
// sample writer use to put Japanese strings into descriptors.
//
// Every encoded piece starts and ends in the initial code state of a broadcast
// text (G0 Kanji, G1 alphanumeric, G2 hiragana, G3 katakana, GL = G0, GR = G2,
// normal size), so pieces from arib_encode and arib_symbol can simply be
// concatenated.
//
// How characters are encoded:
// - JIS X 0208 characters (kanji, symbols, full-width forms without an
//   alphanumeric code) through G0, the Kanji set; the code comes from the CP932
//   bytes by the Shift-JIS to JIS arithmetic.
// - Hiragana and the marks ゝ ゞ ー 。 「 」 、 ・ through GR (G2, the hiragana set),
//   the form most EPG texts use.
// - Katakana (and ヽ ヾ) through GL after LS3 (G3, the katakana set).
// - ASCII 0x21..0x7E as middle-size alphanumerics (half-width after decoding);
//   full-width ＡＢＣ, ！ and the like as normal-size alphanumerics (full width).
//   The size controls MSZ / NSZ are written only when the size changes.
// - " " as a middle-size space, "　" as a normal-size space.
// - "\r" as the line break 0x0D, "\n" as 0x0A (so "\r\n" gives 0x0D 0x0A).
// - The extension-row kanji that only exist as additional symbols (髙, 﨑, 塚,
//   寬, 彅, 德, 鍈) as those symbols.
// - Anything else (other control characters, characters CP932 lacks, half-width
//   katakana, the user-defined rows) as the geta mark 〓.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace kalvento::test {

// Encodes UTF-8 text as ARIB 8-unit text (see above). Malformed UTF-8 yields an
// empty result.
std::vector<std::uint8_t> arib_encode(std::string_view utf8);

// One additional symbol by its 14-bit code (for example 0x7A56 for "[字]"):
// designates the additional-symbol set into G3, single-shifts the code and puts
// the katakana set back into G3.
std::vector<std::uint8_t> arib_symbol(std::uint16_t code14);

// Joins encoded pieces: arib_join({arib_encode("ニュース"), arib_symbol(0x7A56)}).
std::vector<std::uint8_t> arib_join(std::initializer_list<std::vector<std::uint8_t>> pieces);

}  // namespace kalvento::test
