#include "text/text_edit.h"
#include "test_text.h"

#include <gtest/gtest.h>

namespace kalvento {
namespace {

using test::u8;

TEST(ReadQuoted, ArgumentsUpTo254Bytes) {
    std::string argument = "unchanged";
    const std::string templ = "@C'abc'x";
    EXPECT_EQ(read_quoted(templ, 2, argument), 7u);
    EXPECT_EQ(argument, "abc");

    const std::string ok = "'" + std::string(254, 'a') + "'";
    EXPECT_EQ(read_quoted(ok, 0, argument), ok.size());
    EXPECT_EQ(argument.size(), 254u);

    argument = "unchanged";
    const std::string too_long = "'" + std::string(255, 'a') + "'";
    EXPECT_EQ(read_quoted(too_long, 0, argument), 0u);
    EXPECT_EQ(read_quoted("'never closed", 0, argument), 0u);
    EXPECT_EQ(read_quoted("no quote", 0, argument), 0u);
    EXPECT_EQ(read_quoted("x", 1, argument), 1u);  // at the end
    EXPECT_EQ(argument, "unchanged");

    EXPECT_EQ(read_quoted("''", 0, argument), 2u);
    EXPECT_EQ(argument, "");
}

TEST(TrimBlanks, RemovesOuterBlanksAndIdeographicSpaces) {
    std::string text = cp932("　　 内 側 　　 ");
    trim_blanks(text);
    EXPECT_EQ(u8(text), "内 側");

    text = cp932(" 　\t\r\n 　");
    trim_blanks(text);
    EXPECT_EQ(text, "");

    text = cp932("表　裏");
    trim_blanks(text);
    EXPECT_EQ(u8(text), "表　裏");
}

TEST(ReplaceText, ReplacesAtCharacterStartsWithoutRescanning) {
    std::string text = "a\rb\r";
    replace_text(text, "\r", "\r\n");
    EXPECT_EQ(text, "a\r\nb\r\n");

    text = "x&nbsp;&nbsp;y";
    replace_text(text, "&nbsp;", "");
    EXPECT_EQ(text, "xy");

    // The trail byte of 表 is 0x5C: only the real backslash is replaced.
    text = cp932("表\\");
    replace_text(text, "\\", cp932("￥"));
    EXPECT_EQ(u8(text), "表￥");

    text = "aaa";
    replace_text(text, "a", "aa");
    EXPECT_EQ(text, "aaaaaa");
    replace_text(text, "", "x");
    EXPECT_EQ(text, "aaaaaa");
}

TEST(UrlEncode, EveryUtf8ByteInUpperCaseHex) {
    EXPECT_EQ(url_encode("A"), "%41");
    EXPECT_EQ(url_encode(" "), "%20");
    EXPECT_EQ(url_encode(cp932("　")), "%E3%80%80");
    EXPECT_EQ(url_encode(cp932("表")), "%E8%A1%A8");
    EXPECT_EQ(url_encode(""), "");
    EXPECT_EQ(url_encode("\xFD"), "");  // not CP932

    std::string every_byte, expected;
    for (int b = 1; b < 0x80; ++b) {
        every_byte += static_cast<char>(b);
        char triple[4];
        std::snprintf(triple, sizeof triple, "%%%02X", b);
        expected += triple;
    }
    EXPECT_EQ(url_encode(every_byte, 1000), expected);
}

TEST(UrlEncode, StopsBeforeTheLimitWithoutSplittingACharacter) {
    EXPECT_EQ(url_encode(std::string(400, 'a')).size(), 1023u);
    const std::string text = std::string(340, 'a') + cp932("あ");
    EXPECT_EQ(url_encode(text).size(), 1020u);
}

}  // namespace
}  // namespace kalvento
