#include "ts/arib_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "tests/support/arib_encoder.h"
#include "ts/arib_tables.h"

namespace kalvento {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::arib_encode;
using test::arib_join;
using test::arib_symbol;

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

TEST(AribText, KanjiInG0WithHiraganaThroughGr) {
    // 今日は晴れ: 今 (3A 23) 日 (46 7C) 晴 (40 32) in GL, は れ as hiragana in GR.
    EXPECT_EQ(decode({0x3A, 0x23, 0x46, 0x7C, 0xCF, 0x40, 0x32, 0xEC}), cp932("今日は晴れ"));
    // Extension rows are decoded by the same arithmetic: 0x2D21 is ① (87 40).
    EXPECT_EQ(decode({0x2D, 0x21}), "\x87\x40");
    // A Kanji set invoked into GR reads as the same codes: G2 = Kanji, then 漢 as B4 C1.
    EXPECT_EQ(decode({0x1B, '$', '*', 'B', 0xB4, 0xC1, 0x34, 0x41}), cp932("漢漢"));
    // A cell byte outside 0x21..0x7E has no character: the pair is dropped
    // instead of producing a NUL or '/' trail byte.
    EXPECT_EQ(decode({0x34, 0x00, 0x34, 0x10, 0x34, 0x41}), cp932("漢"));
}

TEST(AribText, SizeControlsPickHalfOrFullWidth) {
    // LS1 to the alphanumeric set: normal size is full width, MSZ half, NSZ back.
    EXPECT_EQ(decode({0x0E, 'A', 'b', '1', 0x89, 'A', 'b', '1', 0x8A, 'A', 0x0F}),
              cp932("Ａｂ１Ab1Ａ"));
    EXPECT_EQ(decode({0x20, 0x89, 0x20, 0x8A, 0x20}), cp932("　 　"));
    // Hiragana and Kanji stay full width in middle size.
    EXPECT_EQ(decode({0x89, 0xA2, 0x3A, 0x23}), cp932("あ今"));
    // The full-width table's own forms, and the plain bytes in middle size.
    EXPECT_EQ(decode({0x0E, 0x22, 0x27, 0x5C, 0x60, 0x7E}), cp932("”’￥　￣"));
    EXPECT_EQ(decode({0x0E, 0x89, 0x22, 0x27, 0x5C, 0x60, 0x7E}), "\"'\\`~");
    // Other C1 bytes (colours, flashing, ...) are dropped.
    EXPECT_EQ(decode({0x80, 0x87, 0x90, 0xA0, 0x7F, 0xA2}), cp932("あ"));
}

TEST(AribText, LineBreaksAndControls) {
    EXPECT_EQ(decode({0xA2, 0x0D, 0xA4, 0x0D, 0x0A, 0xA6, 0x0D, 0x0D, 0x0A, 0x0A}),
              cp932("あ\rい\rう\r\r"));
    // Other C0 bytes are skipped; their parameter bytes come out as characters.
    EXPECT_EQ(decode({0x07, 0x0A, 0x0E, 0x16, 'A'}), cp932("Ａ"));
}

TEST(AribText, EmptySourceAndNulEndTheText) {
    EXPECT_EQ(decode({}), "");
    EXPECT_EQ(decode({0x00, 0xA2}), "");
    EXPECT_EQ(decode({0xA2, 0x00, 0xA4}), cp932("あ"));
    EXPECT_EQ(arib_to_sjis(nullptr, 0, 20), "");
    EXPECT_EQ(decode_into({}, 1), "");
    EXPECT_EQ(decode_into({0x00}, 3), "");
}

TEST(AribText, InvocationsAndDesignations) {
    EXPECT_EQ(decode({0x1B, 'n', 0x22}), cp932("あ"));                         // LS2
    EXPECT_EQ(decode({0x1B, 'o', 0x22}), cp932("ア"));                         // LS3
    EXPECT_EQ(decode({0x1B, '~', 0xC1}), cp932("Ａ"));                         // LS1R
    EXPECT_EQ(decode({0x1B, '|', 0xA2, 0x1B, '}', 0xA2}), cp932("アあ"));      // LS3R, LS2R
    EXPECT_EQ(decode({0x19, 0x22, 0x1D, 0x22, 0x30, 0x21}), cp932("あア亜"));  // SS2, SS3
    // One-byte designations, plain and DRCS form; the final byte alone picks the set.
    EXPECT_EQ(decode({0x1B, '(', 0x4A, 'A', 0x1B, '(', 0x20, 0x30, 0x22}), cp932("Ａあ"));
    // Mosaic and JIS X 0201 katakana are dropped; an unknown final byte changes nothing.
    EXPECT_EQ(decode({0x1B, ')', 0x32, 0x0E, 'A', 0x1B, ')', 0x49, 'B', 0x1B, ')', 0x7A, 'C'}), "");
    EXPECT_EQ(decode({0x1B, '(', 0x7A, 0x30, 0x21}), cp932("亜"));
    // Two-byte designations into G0..G3, with and without the DRCS 0x20.
    EXPECT_EQ(decode({0x1B, '$', 0x3B, 0x7A, 0x56}), cp932("[字]"));
    EXPECT_EQ(decode({0x1B, '$', ')', 0x20, 'B', 0x0E, 0x30, 0x21}), cp932("亜"));
    EXPECT_EQ(decode({0x1B, '$', '(', 0x20, 0x3B, 0x7A, 0x56}), cp932("[字]"));
    // ESC $ ( without 0x20 consumes two bytes: "(" and "B" are then read as Kanji 0x2842.
    EXPECT_EQ(decode({0x1B, '$', '(', 'B'}), decode({0x28, 0x42}));
    // Unknown escapes consume two bytes.
    EXPECT_EQ(decode({0x1B, 'x', 0xA2}), cp932("あ"));
}

TEST(AribText, SequencesCutAtTheEndStayInsideTheSource) {
    // Exactly sized heap copies, so a read past the end is caught by the sanitizer.
    const std::vector<Bytes> tails = {
        {0x1B},
        {0x1B, '$'},
        {0x1B, '$', '+'},
        {0x1B, '$', '+', 0x20},
        {0x1B, '$', '('},
        {0x1B, '$', '(', 0x20},
        {0x1B, '('},
        {0x1B, '(', 0x20},
        {0x1D},
        {0x19},
        {0x30},                              // a Kanji with its second byte missing
        {0x1B, '$', '+', 0x3B, 0x1D, 0x7A},  // an additional symbol cut in half
        {0x0D},
    };
    for (const Bytes& tail : tails) {
        const Bytes text = arib_join({{0xA2}, tail});
        auto* exact = new std::uint8_t[text.size()];
        std::memcpy(exact, text.data(), text.size());
        const std::string out = arib_to_sjis(exact, text.size(), 80);
        delete[] exact;
        const std::string expected = cp932(tail == Bytes{0x0D} ? "あ\r" : "あ");
        EXPECT_EQ(out, expected) << "tail of " << tail.size() << " bytes starting "
                                 << static_cast<int>(tail.size() > 1 ? tail[1] : tail[0]);
    }
}

TEST(AribText, DestinationHoldsAtMostSizeMinusTwoBytes) {
    const Bytes text = arib_encode("あいうえお");  // 10 bytes of output
    EXPECT_EQ(decode_into(text, 0), "");
    EXPECT_EQ(decode_into(text, 1), "");
    EXPECT_EQ(decode_into(text, 2), "");
    EXPECT_EQ(decode_into(text, 3), "");
    EXPECT_EQ(decode_into(text, 4), cp932("あ"));
    EXPECT_EQ(decode_into(text, 11), cp932("あいうえ"));
    EXPECT_EQ(decode_into(text, 12), cp932("あいうえお"));
    // A piece that does not fit is dropped; a later, shorter one still goes in.
    const Bytes mixed = arib_join({arib_encode("あ"), arib_symbol(0x7A56), arib_encode("A")});
    EXPECT_EQ(decode_into(mixed, 5), cp932("あA"));
    EXPECT_EQ(decode_into(mixed, 8), cp932("あ[字]"));
    // The convenience form sizes the buffer as 2 * length + extra.
    const Bytes hiragana = {0xA2};
    EXPECT_EQ(decode(hiragana, 0), "");
    EXPECT_EQ(decode(hiragana, 1), "");
    EXPECT_EQ(decode(hiragana, 2), cp932("あ"));
    const Bytes symbol = {0x1B, '$', 0x3B, 0x7A, 0x74};  // "<ほか>", 6 bytes from 5
    EXPECT_EQ(decode(symbol, 0), cp932("<ほか>"));
}

TEST(AribText, AdditionalSymbolsComeOutByteForByte) {
    EXPECT_EQ(symbol_text(0x7A56), cp932("[字]"));
    EXPECT_EQ(symbol_text(0x7A75), cp932("〓"));
    EXPECT_EQ(symbol_text(0x7D2C), cp932("〓"));
    EXPECT_EQ(symbol_text(0x7E7E), cp932("〓"));

    // The single kanji, several of them in the extension rows.
    const std::vector<std::pair<std::uint16_t, std::string>> kanji = {
        {0x752F, "\x8B\x67"}, {0x753A, "\xFA\x9C"}, {0x753F, "\xFA\xAA"}, {0x7540, "\xFA\xB1"},
        {0x7541, "\x9B\xBD"}, {0x7544, "\xFA\x67"}, {0x7545, "\xFA\xBA"}, {0x756E, "\x91\xF4"},
        {0x7625, "\xE2\xD7"}, {0x762D, "\x8A\x8B"}, {0x763D, "\x93\x41"}, {0x7642, "\xFA\x5E"},
        {0x7647, "\xFB\xFC"}, {0x7648, "\x8E\x49"}, {0x7649, "\x89\xA8"},
    };
    for (const auto& [code, bytes] : kanji) EXPECT_EQ(symbol_text(code), bytes) << std::hex << code;

    // The broadcast marks, in code order from 0x7A50.
    const char* const marks[] = {"[HV]", "[SD]", "[Ｐ]",  "[Ｗ]", "[MV]",  "[手]", "[字]", "[双]",
                                 "[デ]", "[Ｓ]", "[二]",  "[多]", "[解]",  "[SS]", "[Ｂ]", "[Ｎ]",
                                 "■",    "●",    "[天]",  "[交]", "[映]",  "[無]", "[料]", "_",
                                 "[前]", "[後]", "[再]",  "[新]", "[初]",  "[終]", "[生]", "[販]",
                                 "[声]", "[吹]", "[PPV]", "(秘)", "<ほか>"};
    for (std::uint16_t k = 0; k < std::size(marks); ++k)
        EXPECT_EQ(symbol_text(0x7A50 + k), cp932(marks[k])) << marks[k];
    EXPECT_EQ(symbol_text(0x7A52), "[\x82\x6F]");          // [Ｐ]
    EXPECT_EQ(symbol_text(0x7A74), "<\x82\xD9\x82\xA9>");  // <ほか>
    EXPECT_EQ(symbol_text(0x7D2D), "No.");
    EXPECT_EQ(symbol_text(0x7D48), "kg");
    EXPECT_EQ(symbol_text(0x7D6E), "!!");
    EXPECT_EQ(symbol_text(0x7D6F), "!?");

    // Roman numerals Ⅰ..Ⅹ are 87 54..87 5D; then ⅩⅠ and ⅩⅡ as two characters.
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(symbol_text(0x7E21 + k), (std::string{'\x87', static_cast<char>(0x54 + k)}));
    EXPECT_EQ(symbol_text(0x7E2B), "\x87\x5D\x87\x54");
    EXPECT_EQ(symbol_text(0x7E2C), "\x87\x5D\x87\x55");
    // Circled digits ①..⑯ are 87 40..87 4F.
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(symbol_text(0x7E61 + k), (std::string{'\x87', static_cast<char>(0x40 + k)}));
    // The parenthesised and bracketed numbers and letters.
    const auto numbered = [](int first_code, int first, int last, const char* open,
                             const char* close) {
        for (int n = first; n <= last; ++n)
            EXPECT_EQ(symbol_text(static_cast<std::uint16_t>(first_code + n - first)),
                      open + std::to_string(n) + close);
    };
    numbered(0x7E2D, 17, 20, "(", ")");
    numbered(0x7E31, 1, 12, "(", ")");
    numbered(0x7E3D, 21, 24, "(", ")");
    numbered(0x7E5B, 25, 30, "(", ")");
    numbered(0x7E71, 1, 12, "<", ">");
    numbered(0x7E7D, 31, 31, "(", ")");
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        EXPECT_EQ(symbol_text(static_cast<std::uint16_t>(0x7E41 + letter - 'A')),
                  (std::string{'(', letter, ')'}));

    // Every code of the set: exactly 149 give text, each valid CP932 of at most 6 bytes.
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
    EXPECT_EQ(with_text, 149);
    EXPECT_EQ(arib::additional_symbol_ranges().size(), 15u);
}

TEST(AribText, HiraganaAndKatakanaSets) {
    // Undefined hiragana codes and 0x7F give a full-width blank.
    EXPECT_EQ(decode({0xF4, 0xF5, 0xF6, 0xFF}), cp932("　　　　"));
    EXPECT_EQ(decode({0xF3, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE}),
              cp932("んゝゞー。「」、・"));
    EXPECT_EQ(decode({0x1B, 'o', 0x21, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x7C, 0x7D,
                      0x7E, 0x1D, 0x7F}),
              cp932("ァヴヵヶヽヾー。「」、・　"));
}

TEST(AribText, EncoderRoundTripsEpgTexts) {
    // The encoder's shapes: hiragana through GR, ASCII as middle-size alphanumerics,
    // and every piece ends in the initial state.
    EXPECT_EQ(arib_encode("Aあ"), (Bytes{0x89, 0x0E, 0x41, 0xA2, 0x0F, 0x8A}));
    EXPECT_EQ(arib_encode("ア"), (Bytes{0x1B, 'o', 0x22, 0x0F}));

    const char* const texts[] = {
        "大河ドラマ「光る君へ」（１５）　まひろの覚悟",
        "ＮＨＫニュース７",
        "映画 スター・ウォーズ 4K Ultra HD版 (2015)",
        "名探偵コナン　第1100話「髙橋と﨑山の事件」",
        "出演：山田太郎\r（声）ヴィクトリア・田中\r\n音楽：ＡＢＣバンド",
        "ゐゑをんヶヵゝゞヽヾ…※〒①Ⅲ℡",
    };
    for (const char* text : texts) {
        std::string expected = cp932(text);
        if (const auto at = expected.find("\r\n"); at != std::string::npos)
            expected.erase(at + 1, 1);
        EXPECT_EQ(decode(arib_encode(text)), expected) << text;
    }
    EXPECT_EQ(decode(arib_join({arib_encode("ニュース"), arib_symbol(0x7A56), arib_symbol(0x7A50),
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
}  // namespace kalvento
