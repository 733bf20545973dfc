#include "ts/arib_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "tests/support/arib_encoder.h"
#include "tests/support/ts_builder.h"
#include "ts/arib_tables.h"

namespace kalvento::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string decode(const Bytes& bytes, std::size_t extra = 80) {
    return arib_to_sjis(bytes.data(), bytes.size(), extra);
}

std::string symbol_text(std::uint16_t code14) {
    return decode(arib_symbol(code14));
}

// Decodes into a buffer of `size` bytes followed by guard bytes; checks that the
// guard is untouched and returns what the destination holds up to its NUL.
std::string decode_into(const Bytes& bytes, std::size_t size) {
    constexpr char kGuard = '\x55';
    std::vector<char> buffer(size + 8, kGuard);
    arib_to_sjis(bytes.data(), bytes.size(), buffer.data(), size);
    for (std::size_t k = size; k < buffer.size(); ++k) EXPECT_EQ(buffer[k], kGuard) << "byte " << k;
    if (size == 0) return {};
    const auto end = std::find(buffer.begin(), buffer.begin() + static_cast<long>(size), '\0');
    EXPECT_NE(end, buffer.begin() + static_cast<long>(size)) << "no NUL within the destination";
    return std::string(buffer.begin(), end);
}

TEST(AribText, DecodingRules) {
    // clang-format off
    const std::vector<std::pair<Bytes, const char*>> cases = {
        // 今日は晴れ: Kanji in GL, hiragana in GR; extension rows by the same arithmetic.
        {{0x3A, 0x23, 0x46, 0x7C, 0xCF, 0x40, 0x32, 0xEC}, "今日は晴れ"},
        {{0x2D, 0x21}, "①"},
        {{0x1B, '$', '*', 'B', 0xB4, 0xC1, 0x34, 0x41}, "漢漢"},  // Kanji invoked into GR
        // A cell byte outside 0x21..0x7E drops the pair (no NUL or '/' trail byte).
        {{0x34, 0x00, 0x34, 0x10, 0x34, 0x41}, "漢"},
        // Alphanumerics: normal size is full width, MSZ half, NSZ back.
        {{0x0E, 'A', 'b', '1', 0x89, 'A', 'b', '1', 0x8A, 'A', 0x0F}, "Ａｂ１Ab1Ａ"},
        {{0x20, 0x89, 0x20, 0x8A, 0x20}, "　 　"},
        {{0x89, 0xA2, 0x3A, 0x23}, "あ今"},  // hiragana and Kanji stay full width
        {{0x0E, 0x22, 0x27, 0x5C, 0x60, 0x7E}, "”’￥　￣"},
        {{0x0E, 0x89, 0x22, 0x27, 0x5C, 0x60, 0x7E}, "\"'\\`~"},
        {{0x80, 0x87, 0x90, 0xA0, 0x7F, 0xA2}, "あ"},  // other C1 bytes dropped
        {{0xA2, 0x0D, 0xA4, 0x0D, 0x0A, 0xA6, 0x0D, 0x0D, 0x0A, 0x0A}, "あ\rい\rう\r\r"},
        {{0x07, 0x0A, 0x0E, 0x16, 'A', 'B'}, "Ｂ"},  // C0 skipped; PAPF takes its parameter
        {{}, ""},
        {{0x00, 0xA2}, ""},
        {{0xA2, 0x00, 0xA4}, "あ"},
        // Invocations: LS2, LS3, LS1R, LS3R + LS2R, SS2 + SS3.
        {{0x1B, 'n', 0x22}, "あ"},
        {{0x1B, 'o', 0x22}, "ア"},
        {{0x1B, '~', 0xC1}, "Ａ"},
        {{0x1B, '|', 0xA2, 0x1B, '}', 0xA2}, "アあ"},
        {{0x19, 0x22, 0x1D, 0x22, 0x30, 0x21}, "あア亜"},
        // Designations: one-byte plain and DRCS; mosaic, JIS X 0201 katakana and
        // unknown finals; two-byte with and without the DRCS 0x20; unknown escapes.
        {{0x1B, '(', 0x4A, 'A', 0x1B, '(', 0x20, 0x30, 0x22}, "Ａあ"},
        {{0x1B, ')', 0x32, 0x0E, 'A', 0x1B, ')', 0x49, 'B', 0x1B, ')', 0x7A, 'C'}, ""},
        {{0x1B, '(', 0x7A, 0x30, 0x21}, "亜"},
        {{0x1B, '$', 0x3B, 0x7A, 0x56}, "[字]"},
        {{0x1B, '$', ')', 0x20, 'B', 0x0E, 0x30, 0x21}, "亜"},
        {{0x1B, '$', '(', 0x20, 0x3B, 0x7A, 0x56}, "[字]"},
        {{0x1B, 'x', 0xA2}, "あ"},
        // Undefined hiragana codes and 0x7F give a full-width blank.
        {{0xF4, 0xF5, 0xF6, 0xFF}, "　　　　"},
        {{0xF3, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE}, "んゝゞー。「」、・"},
        {{0x1B, 'o', 0x21, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E, 0x1D,
          0x7F},
         "ァヴヵヶヽヾー。「」、・　"},
    };
    // clang-format on
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(decode(bytes), cp932(expected)) << expected;
    // ESC $ ( without 0x20 consumes two bytes: "(" and "B" are then read as Kanji 0x2842.
    EXPECT_EQ(decode({0x1B, '$', '(', 'B'}), decode({0x28, 0x42}));
    EXPECT_EQ(arib_to_sjis(nullptr, 0, 20), "");
}

TEST(AribText, SequencesCutAtTheEndStayInsideTheSource) {
    // Exactly sized heap copies, so a read past the end is caught by the sanitizer.
    // clang-format off
    const std::vector<Bytes> tails = {
        {0x1B},       {0x1B, '$'},       {0x1B, '$', '+'}, {0x1B, '$', '+', 0x20},
        {0x1B, '$', '('}, {0x1B, '$', '(', 0x20}, {0x1B, '('}, {0x1B, '(', 0x20},
        {0x1D},       {0x19},            {0x30},  // a Kanji with its second byte missing
        {0x1B, '$', '+', 0x3B, 0x1D, 0x7A},       // an additional symbol cut in half
        {0x0D},
        // Controls whose parameters are cut off end the text.
        {0x16}, {0x1C, 0x41}, {0x90, 0x20}, {0x92}, {0x9B, '1', ';', '2', 0x20},
        {0x9D, 0x29, '1', 0x20}, {0x95, 0x40, 0x21, 0x30, 0x21, 0x95},
    };
    // clang-format on
    for (const Bytes& tail : tails) {
        const Bytes text = concat({{0xA2}, tail});
        const auto exact = std::make_unique<std::uint8_t[]>(text.size());
        std::memcpy(exact.get(), text.data(), text.size());
        EXPECT_EQ(arib_to_sjis(exact.get(), text.size(), 80),
                  cp932(tail == Bytes{0x0D} ? "あ\r" : "あ"))
            << "tail of " << tail.size() << " bytes starting "
            << static_cast<int>(tail.size() > 1 ? tail[1] : tail[0]);
    }
}

TEST(AribText, DestinationHoldsAtMostSizeMinusTwoBytes) {
    const Bytes text = arib_encode("あいうえお");  // 10 bytes of output
    const std::pair<std::size_t, const char*> sizes[] = {
        {0, ""}, {1, ""}, {2, ""}, {3, ""}, {4, "あ"}, {11, "あいうえ"}, {12, "あいうえお"}};
    for (const auto& [size, expected] : sizes) EXPECT_EQ(decode_into(text, size), cp932(expected));
    EXPECT_EQ(decode_into({}, 1), "");
    EXPECT_EQ(decode_into({0x00}, 3), "");
    // A piece that does not fit is dropped; a later, shorter one still goes in.
    const Bytes mixed = concat({arib_encode("あ"), arib_symbol(0x7A56), arib_encode("A")});
    EXPECT_EQ(decode_into(mixed, 5), cp932("あA"));
    EXPECT_EQ(decode_into(mixed, 8), cp932("あ[字]"));
    // The convenience form sizes the buffer as 2 * length + extra.
    EXPECT_EQ(decode({0xA2}, 0), "");
    EXPECT_EQ(decode({0xA2}, 1), "");
    EXPECT_EQ(decode({0xA2}, 2), cp932("あ"));
    EXPECT_EQ(decode({0x1B, '$', 0x3B, 0x7A, 0x74}, 0), cp932("<ほか>"));  // 6 bytes from 5
}

TEST(AribText, AdditionalSymbolsComeOutByteForByte) {
    // Exact bytes that matter in file names: the single kanji (several in the
    // extension rows), marks, numerals and the geta for unassigned codes.
    // clang-format off
    const std::pair<std::uint16_t, const char*> symbols[] = {
        {0x752F, "\x8B\x67"}, {0x753A, "\xFA\x9C"}, {0x753F, "\xFA\xAA"}, {0x7540, "\xFA\xB1"},
        {0x7541, "\x9B\xBD"}, {0x7544, "\xFA\x67"}, {0x7545, "\xFA\xBA"}, {0x756E, "\x91\xF4"},
        {0x7625, "\xE2\xD7"}, {0x762D, "\x8A\x8B"}, {0x763D, "\x93\x41"}, {0x7642, "\xFA\x5E"},
        {0x7647, "\xFB\xFC"}, {0x7648, "\x8E\x49"}, {0x7649, "\x89\xA8"},
        {0x7525, "\xFA\x71"}, {0x754B, "\x8F\x8C"}, {0x7643, "\xFB\xE8"}, {0x7645, "\xE9\x4C"},
        {0x7A50, "[HV]"},     {0x7A52, "[\x82\x6F]"}, {0x7A56, "[\x8E\x9A]"},
        {0x7A74, "<\x82\xD9\x82\xA9>"}, {0x7A75, "\x81\xAC"}, {0x7B28, "\x81\xA7"},
        {0x7C27, "\x94\x4E"}, {0x7C2B, "\x87\x75"}, {0x7C2C, "\x81\xAC"}, {0x7C4D, "\x87\x8A"},
        {0x7D2C, "\x87\x7E"}, {0x7D2E, "\x87\x84"}, {0x7D2F, "\x81\xAC"}, {0x7D4B, "\x87\x71"},
        {0x7D2D, "No."},      {0x7D6F, "!?"},     {0x7E21, "\x87\x54"}, {0x7E2A, "\x87\x5D"},
        {0x7E2B, "\x87\x5D\x87\x54"}, {0x7E2D, "(17)"}, {0x7E41, "(A)"}, {0x7E5A, "(Z)"},
        {0x7E61, "\x87\x40"}, {0x7E70, "\x87\x4F"}, {0x7E71, "<1>"},  {0x7E7D, "(31)"},
        {0x7E7E, "\x81\xAC"},
    };
    // clang-format on
    for (const auto& [code, bytes] : symbols)
        EXPECT_EQ(symbol_text(code), bytes) << std::hex << code;

    // Every code of the set: exactly 202 give text, each valid CP932 of at most 6 bytes.
    const std::string geta = cp932("〓");
    int with_text = 0;
    for (int first = 0x21; first <= 0x7E; ++first) {
        for (int second = 0x21; second <= 0x7E; ++second) {
            const std::string text = symbol_text(static_cast<std::uint16_t>(first << 8 | second));
            if (text == geta) continue;
            ++with_text;
            EXPECT_LE(text.size(), arib::kMaxAdditionalSymbolBytes);
            EXPECT_TRUE(cp932_to_utf8(text).has_value()) << std::hex << first << second;
            EXPECT_EQ(text.find(' '), std::string::npos) << "unconverted character";
        }
    }
    EXPECT_EQ(with_text, 202);
}

TEST(AribText, SymbolRowsOfTheKanjiSetAreAdditionalSymbols) {
    // A title as broadcast, its marks in the Kanji set, and the same title with
    // the marks sent through the additional-symbol set in G0.
    const std::string title = cp932("ドラマ「港町」[字][再]");
    EXPECT_EQ(decode(arib_encode("ドラマ「港町」🈑🈞")), title);
    EXPECT_EQ(decode(concat({arib_encode("ドラマ「港町」"),
                             {0x1B, '$', 0x3B, 0x7A, 0x56, 0x7A, 0x6A, 0x1B, '$', 'B'}})),
              title);

    // Every code of the symbol rows, in the Kanji set and in JIS compatible
    // Kanji plane 1, gives what the additional-symbol set gives.
    int symbols = 0;
    for (const int row : {0x75, 0x76, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E}) {
        for (int cell = 0x21; cell <= 0x7E; ++cell) {
            const auto code = static_cast<std::uint16_t>(row << 8 | cell);
            const std::string expected = symbol_text(code);
            symbols += expected != cp932("〓");
            EXPECT_EQ(decode(arib_kanji_set_symbol(code)), expected) << std::hex << code;
            EXPECT_EQ(decode(concat({{0x1B, '$', 0x39}, arib_kanji_set_symbol(code)})), expected)
                << std::hex << code;
        }
    }
    EXPECT_EQ(symbols, 202);

    // The rows around them, and every row of plane 2, keep the JIS arithmetic.
    EXPECT_EQ(decode({0x74, 0x21, 0x79, 0x21, 0x77, 0x21}), "\xEA\x9F\xED\x40\xEC\x40");
    EXPECT_EQ(decode({0x1B, '$', 0x3A, 0x7A, 0x56, 0x75, 0x21}), "\xED\xD4\xEB\x40");
    EXPECT_EQ(decode({0x1B, '$', ')', 0x3A, 0x0E, 0x7A, 0x56, 0x0F, 0x7A, 0x56}),
              "\xED\xD4" + cp932("[字]"));
}

TEST(AribText, ControlParametersAreNotText) {
    // One title per control that carries parameters, the control between two
    // words: whatever its parameters, it leaves no character behind.
    // clang-format off
    const std::pair<const char*, Bytes> controls[] = {
        {"PAPF", {0x16, 0x45}},
        {"APS", {0x1C, 0x41, 0x4A}},
        {"SZX", {0x8B, 0x60}},
        {"COL", {0x90, 0x48}},
        {"COL palette", {0x90, 0x20, 0x42}},
        {"FLC", {0x91, 0x40}},
        {"CDC", {0x92, 0x40}},
        {"CDC with 0x20", {0x92, 0x20, 0x41}},
        {"POL", {0x93, 0x41}},
        {"WMM", {0x94, 0x44}},
        {"MACRO", {0x95, 0x4F}},
        {"MACRO definition", {0x95, 0x40, 0x21, 0x1B, 'o', 0x30, 0x21, 0x95, 0x4F}},
        {"MACRO definition and run", {0x95, 0x41, 0x22, 0xA2, 0xA4, 0x95, 0x4F}},
        {"HLC", {0x97, 0x41}},
        {"RPC", {0x98, 0x43}},
        {"CSI SDF", {0x9B, '9', '6', '0', ';', '5', '4', '0', 0x20, 0x56}},
        {"CSI ACPS", {0x9B, '1', '7', '0', ';', '3', '8', '9', 0x20, 0x61}},
        {"CSI RCS", {0x9B, '8', 0x20, 0x6E}},
        {"TIME wait", {0x9D, 0x20, 0x45}},
        {"TIME mode", {0x9D, 0x28, 0x41}},
        {"TIME specified", {0x9D, 0x29, '1', '2', ';', '3', '0', 0x20, 0x43}},
    };
    // clang-format on
    for (const auto& [name, control] : controls) {
        EXPECT_EQ(decode(concat({arib_encode("夜の"), control, arib_encode("港町です")})),
                  cp932("夜の港町です"))
            << name;
    }
    // A NUL inside a sequence that runs to a final byte ends the text.
    EXPECT_EQ(decode({0xA2, 0x9B, '1', 0x00, 0xA4}), cp932("あ"));
}

TEST(AribText, EncoderRoundTripsEpgTexts) {
    // The encoder's shapes: hiragana through GR, ASCII as middle-size alphanumerics,
    // and every piece ends in the initial state.
    EXPECT_EQ(arib_encode("Aあ"), (Bytes{0x89, 0x0E, 0x41, 0xA2, 0x0F, 0x8A}));
    EXPECT_EQ(arib_encode("ア"), (Bytes{0x1B, 'o', 0x22, 0x0F}));
    for (const char* text : {"大河ドラマ「光る君へ」（１５）　まひろの覚悟",
                             "映画 スター・ウォーズ 4K Ultra HD版 (2015)",
                             "名探偵コナン　第1100話「髙橋と﨑山の事件」",
                             "出演：山田太郎\r（声）ヴィクトリア・田中\r\n音楽：ＡＢＣバンド",
                             "ゐゑをんヶヵゝゞヽヾ…※〒①Ⅲ℡"}) {
        std::string expected = cp932(text);
        if (const auto at = expected.find("\r\n"); at != std::string::npos)
            expected.erase(at + 1, 1);
        EXPECT_EQ(decode(arib_encode(text)), expected) << text;
    }
    EXPECT_EQ(decode(concat({arib_encode("ニュース"), arib_symbol(0x7A56), arib_symbol(0x7A50),
                             arib_encode("天気 ABC")})),
              cp932("ニュース[字][HV]天気 ABC"));

    // Every double-byte character of rows 0x81..0xEF (JIS X 0208 and the NEC rows).
    int checked = 0;
    for (int lead = 0x81; lead <= 0xEF; ++lead) {
        if (lead > 0x9F && lead < 0xE0) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const auto utf8 = cp932_to_utf8(std::string_view(bytes, 2));
            // Characters whose CP932 form lies beyond row 0xEF have no Kanji-set code.
            if (!utf8 || static_cast<unsigned char>(cp932(*utf8)[0]) >= 0xF0) continue;
            ++checked;
            EXPECT_EQ(decode(arib_encode(*utf8)), cp932(*utf8)) << std::hex << lead << trail;
        }
    }
    EXPECT_GT(checked, 6900);
}

}  // namespace
}  // namespace kalvento::test
