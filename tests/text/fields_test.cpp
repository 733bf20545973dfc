#include "text/fields.h"
#include "test_text.h"

#include <gtest/gtest.h>

namespace kalvento {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitFields, SplitsAtCharacterStartsOnly) {
    EXPECT_EQ(split_fields("a\tb\t", "\t", false), (Fields{"a", "b", ""}));
    EXPECT_EQ(split_fields("", "\t", false), (Fields{""}));
    EXPECT_EQ(split_fields("abc", "\t", false), (Fields{"abc"}));
    EXPECT_EQ(split_fields(",,", ",", false), (Fields{"", "", ""}));
    // 0x40 is the trail byte of the ideographic space: no split inside it.
    EXPECT_EQ(split_fields(cp932("　@b"), "@", false), (Fields{cp932("　"), "b"}));
    // A multi-byte separator.
    EXPECT_EQ(split_fields(cp932("あ、い、う"), cp932("、"), false),
              (Fields{cp932("あ"), cp932("い"), cp932("う")}));
    EXPECT_EQ(split_fields("abc", "", false), (Fields{"abc"}));
}

TEST(SplitFields, EscapedSeparatorsStayInTheField) {
    EXPECT_EQ(split_fields("x\\/y/z", "/", true), (Fields{"x/y", "z"}));
    EXPECT_EQ(split_fields("\\/a", "/", true), (Fields{"/a"}));
    EXPECT_EQ(split_fields("a/b/c", "/", true), (Fields{"a", "b", "c"}));
    // Without the escape flag the backslash does not protect the separator.
    EXPECT_EQ(split_fields("x\\/y", "/", false), (Fields{"x\\", "y"}));
    // The trail byte 0x5C of 表 is not a backslash: the slash after it splits.
    EXPECT_EQ(split_fields(cp932("表/裏"), "/", true), (Fields{cp932("表"), cp932("裏")}));
}

TEST(SplitFirst, BeforeAndAfterTheFirstSeparator) {
    std::string before = "old", after = "old";
    EXPECT_FALSE(split_first("", "\r\n", before, after));
    EXPECT_EQ(before, "");
    EXPECT_EQ(after, "");
    EXPECT_FALSE(split_first("abc", "\r\n", before, after));
    EXPECT_EQ(before, "abc");
    EXPECT_EQ(after, "");
    EXPECT_TRUE(split_first("a\r\nb\r\nc", "\r\n", before, after));
    EXPECT_EQ(before, "a");
    EXPECT_EQ(after, "b\r\nc");
    EXPECT_TRUE(split_first("\r\nb", "\r\n", before, after));
    EXPECT_EQ(before, "");
    EXPECT_EQ(after, "b");
}

TEST(SkipPrefix, MovesOnlyOverAMatchingPrefix) {
    EXPECT_EQ(skip_prefix("@MST rest", 1, "MST"), 4u);
    EXPECT_EQ(skip_prefix("@MS", 1, "MST"), 1u);
    EXPECT_EQ(skip_prefix("@NB", 1, "MST"), 1u);
    EXPECT_EQ(skip_prefix("ab", 5, "a"), 5u);
}

}  // namespace
}  // namespace kalvento
