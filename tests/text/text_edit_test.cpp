#include "text/text_edit.h"
#include "test_text.h"

#include <gtest/gtest.h>

namespace kalvento::test {
namespace {

TEST(ReadQuoted, ArgumentsUpTo254Bytes) {
    // Text, position, end (0: no argument), argument.
    const std::string a254 = std::string(254, 'a');
    const std::tuple<std::string, std::size_t, std::size_t, std::string> cases[] = {
        {"@C'abc'x", 2, 7, "abc"},
        {"'" + a254 + "'", 0, 256, a254},
        {"''", 0, 2, ""},
        {"'" + a254 + "a'", 0, 0, "-"},
        {"'never closed", 0, 0, "-"},
        {"no quote", 0, 0, "-"},
        {"x", 1, 1, "-"}};  // at the end
    for (const auto& [text, position, end, expected] : cases) {
        std::string argument = "-";
        EXPECT_EQ(read_quoted(text, position, argument), end) << text.substr(0, 20);
        EXPECT_EQ(argument, expected) << text.substr(0, 20);
    }
}

TEST(TextEdit, TrimAndReplaceAtCharacterStarts) {
    const std::pair<const char*, const char*> trims[] = {
        {"　　 内 側 　　 ", "内 側"}, {" 　\t\r\n 　", ""}, {"表　裏", "表　裏"}};
    for (const auto& [text, trimmed] : trims) {
        std::string t = cp932(text);
        trim_blanks(t);
        EXPECT_EQ(u8(t), trimmed);
    }
    // Replaced without rescanning; the trail byte 0x5C of 表 is no backslash.
    const std::tuple<std::string, std::string, std::string, std::string> replaces[] = {
        {"a\rb\r", "\r", "\r\n", "a\r\nb\r\n"},
        {"x&nbsp;&nbsp;y", "&nbsp;", "", "xy"},
        {cp932("表\\"), "\\", cp932("￥"), cp932("表￥")},
        {"aaa", "a", "aa", "aaaaaa"},
        {"aaa", "", "x", "aaa"}};
    for (auto [text, from, to, expected] : replaces) {
        replace_text(text, from, to);
        EXPECT_EQ(text, expected);
    }
}

TEST(UrlEncode, EveryUtf8ByteInUpperCaseHexWithinTheLimit) {
    EXPECT_EQ(url_encode(cp932("　表")), "%E3%80%80%E8%A1%A8");
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
    // Stops before 1024 bytes without splitting a character.
    EXPECT_EQ(url_encode(std::string(400, 'a')).size(), 1023u);
    EXPECT_EQ(url_encode(std::string(340, 'a') + cp932("あ")).size(), 1020u);
}

}  // namespace
}  // namespace kalvento::test
