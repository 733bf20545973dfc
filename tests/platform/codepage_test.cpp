#include "platform/codepage.h"
#include "platform/halfwidth.h"

#include <gtest/gtest.h>

namespace kalvento::test {
namespace {

std::string round_trip(const std::string& bytes) {
    return wide_to_cp932(cp932_to_wide(bytes)).value_or("<failed>");
}

TEST(Codepage, WindowsFormsSurviveOrConvertBackAsWindowsDoes) {
    EXPECT_EQ(cp932_to_utf8("\x8B\x67").value(), "吉");
    EXPECT_EQ(cp932_to_utf8("\xFA\x9C").value(), "\uFA10");  // 塚, an IBM extension kanji
    EXPECT_EQ(round_trip("\xFA\x9C"), "\xFA\x9C");
    EXPECT_EQ(round_trip("\x8B\x67"), "\x8B\x67");
    EXPECT_EQ(round_trip("\\"), "\\");  // 0x5C is a backslash, not a yen sign
    EXPECT_EQ(cp932_to_utf8("\\~").value(), "\\~");
    // An NEC-selected code is written back in the IBM row, as Windows does.
    EXPECT_EQ(cp932_to_utf8("\xED\x40").value(), "纊");
    EXPECT_EQ(round_trip("\xED\x40"), "\xFA\x5C");
    EXPECT_EQ(utf8_to_cp932("～－￢∵").value(), "\x81\x60\x81\x7C\x81\xCA\x81\xE6");
}

TEST(Codepage, ExtensionRowsRoundTripAsWindowsDoes) {
    // The kanji of rows 0xFA-0xFC (from FA 5C on) come back byte for byte; the
    // symbols before them (Roman numerals, ￢, ∵, ...) keep their character but
    // are written in their NEC or JIS row, as Windows writes them.
    int checked = 0;
    for (int lead = 0xFA; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const std::wstring wide = cp932_to_wide(bytes);
            ASSERT_EQ(wide.size(), 1u);
            if (wide[0] >= 0x100000) continue;  // unassigned tail of row 0xFC
            const std::string back = round_trip(bytes);
            EXPECT_EQ(cp932_to_wide(back), wide) << std::hex << lead << ' ' << trail;
            if (lead > 0xFA || trail >= 0x5C) {
                EXPECT_EQ(back, bytes) << std::hex << lead << ' ' << trail;
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 360);  // the 360 IBM extension kanji
}

TEST(Codepage, InvalidBytesAreCarriedUnchanged) {
    const std::string damaged = std::string("A\x81", 2) + "\x85\x40" + "\xFD" + "\x82";
    EXPECT_EQ(round_trip(damaged), damaged);
    EXPECT_EQ(cp932_to_wide(damaged).size(), 5u);  // A, stray lead, unassigned pair, FD, stray lead
    EXPECT_FALSE(cp932_to_utf8(damaged).has_value());
    // A lead byte takes only a byte of 40..FC (but 7F) as its trail.
    const std::string strays = "\x82\r\x83\x7F\x84\xFD";
    EXPECT_EQ(cp932_to_wide(strays).size(), 6u);
    EXPECT_EQ(round_trip(strays), strays);
    EXPECT_EQ(cp932_to_utf8_lossy("a\xFD"), "a\xEF\xBF\xBD");
}

TEST(Codepage, UnmappableCharactersFollowThePolicy) {
    EXPECT_FALSE(utf8_to_cp932("café").has_value());
    EXPECT_EQ(utf8_to_cp932("café", Unmappable::space).value(), "caf ");
    EXPECT_EQ(utf8_to_cp932("😀x", Unmappable::space).value(), " x");
    EXPECT_EQ(cp932("表"), "\x95\x5C");
}

TEST(Codepage, Utf8IsDecodedStrictly) {
    EXPECT_FALSE(utf8_to_wide("\xC0\xAF").has_value());      // overlong "/"
    EXPECT_FALSE(utf8_to_wide("\xED\xA0\x80").has_value());  // surrogate
    EXPECT_FALSE(utf8_to_wide("\xE3\x81").has_value());      // cut short
    EXPECT_FALSE(utf8_to_wide("\xF4\x90\x80\x80").has_value());
    EXPECT_EQ(utf8_to_wide("a\xE3\x80\x80").value(), L"a\u3000");
    EXPECT_FALSE(wide_to_utf8(std::wstring(1, static_cast<wchar_t>(0xD800))).has_value());
}

TEST(Codepage, OffsetsPointAtEachCharacter) {
    const DecodedText decoded = decode_cp932(cp932("a表b"));
    ASSERT_EQ(decoded.wide, L"a\u8868b");
    EXPECT_EQ(decoded.offsets, (std::vector<std::uint32_t>{0, 1, 3, 4}));
}

TEST(Halfwidth, FullWidthDigitsAndLettersBecomeAscii) {
    EXPECT_EQ(to_halfwidth(cp932("第１２話　ＡＢ")), cp932("第12話 AB"));
    EXPECT_EQ(to_halfwidth(cp932("表ソ")), cp932("表ソ"));
}

}  // namespace
}  // namespace kalvento::test
