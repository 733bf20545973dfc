#include "text/fields.h"
#include "test_text.h"

#include <gtest/gtest.h>

namespace kalvento::test {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitFields, SplitsAtCharacterStartsOnly) {
    // Text, separator, escape, fields. 0x40 is the trail byte of the ideographic
    // space and 0x5C that of 表: neither is a separator or an escape.
    const std::tuple<std::string, std::string, bool, Fields> cases[] = {
        {"a\tb\t", "\t", false, {"a", "b", ""}},
        {"", "\t", false, {""}},
        {",,", ",", false, {"", "", ""}},
        {"abc", "", false, {"abc"}},
        {cp932("　@b"), "@", false, {cp932("　"), "b"}},
        {cp932("あ、い、う"), cp932("、"), false, {cp932("あ"), cp932("い"), cp932("う")}},
        {"x\\/y/z", "/", true, {"x/y", "z"}},
        {"\\/a", "/", true, {"/a"}},
        {"x\\/y", "/", false, {"x\\", "y"}},
        {cp932("表/裏"), "/", true, {cp932("表"), cp932("裏")}},
    };
    for (const auto& [text, separator, escape, fields] : cases)
        EXPECT_EQ(split_fields(text, separator, escape), fields) << u8(text);
}

TEST(SplitFirst, BeforeAndAfterTheFirstSeparator) {
    const std::tuple<const char*, bool, const char*, const char*> cases[] = {
        {"", false, "", ""},
        {"abc", false, "abc", ""},
        {"a\r\nb\r\nc", true, "a", "b\r\nc"},
        {"\r\nb", true, "", "b"}};
    for (const auto& [text, found, before, after] : cases) {
        std::string head = "old", tail = "old";
        EXPECT_EQ(split_first(text, "\r\n", head, tail), found) << text;
        EXPECT_EQ(head + "|" + tail, std::string(before) + "|" + after) << text;
    }
    EXPECT_EQ(skip_prefix("@MST rest", 1, "MST"), 4u);
    EXPECT_EQ(skip_prefix("@MS", 1, "MST"), 1u);
    EXPECT_EQ(skip_prefix("@NB", 1, "MST"), 1u);
    EXPECT_EQ(skip_prefix("ab", 5, "a"), 5u);
}

}  // namespace
}  // namespace kalvento::test
