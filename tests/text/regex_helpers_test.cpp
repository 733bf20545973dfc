#include "text/regex_cache.h"
#include "text/regex_helpers.h"
#include "test_text.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kalvento {
namespace {

using test::u8;

TEST(RegexDelete, RemovesOnlyTheFirstRunOrWhatGroupsCaptured) {
    std::string text = cp932("＜新＞＜字＞タイトル＜再＞");
    EXPECT_TRUE(regex_delete(text, cp932("(?:＜.+?＞)+")));
    EXPECT_EQ(u8(text), "タイトル＜再＞");
    EXPECT_TRUE(regex_delete(text, cp932("(?:＜.+?＞)+")));
    EXPECT_EQ(u8(text), "タイトル");
    EXPECT_FALSE(regex_delete(text, cp932("(?:＜.+?＞)+")));
    EXPECT_EQ(u8(text), "タイトル");

    text = cp932("第12話");
    EXPECT_TRUE(regex_delete(text, cp932("第([0-9]+)話")));
    EXPECT_EQ(u8(text), "第話");

    // Nested groups delete exactly what they captured, nothing outside them.
    text = "abc";
    EXPECT_TRUE(regex_delete(text, "(a(b))c"));
    EXPECT_EQ(text, "c");
    // A group that took no part deletes nothing, yet the pattern matched.
    text = "ab";
    EXPECT_TRUE(regex_delete(text, "(x)?b"));
    EXPECT_EQ(text, "ab");
    // A group captured inside a look-ahead lies behind the match and still goes.
    text = "xab";
    EXPECT_TRUE(regex_delete(text, "a(?=(b))"));
    EXPECT_EQ(text, "xa");
}

TEST(RegexDelete, WorksOnCharactersNotBytes) {
    std::string text = cp932("タイトル　 　");
    EXPECT_TRUE(regex_delete(text, cp932("[　 ]+$")));
    EXPECT_EQ(u8(text), "タイトル");

    text = cp932("表示");
    EXPECT_TRUE(regex_delete(text, "."));
    EXPECT_EQ(u8(text), "示");

    // The trail byte 0x5C of 表 and 0x40 of the ideographic space are not "\" or "@".
    text = cp932("表　");
    EXPECT_FALSE(regex_delete(text, "\\\\"));
    EXPECT_FALSE(regex_delete(text, "@"));
    EXPECT_EQ(u8(text), "表　");
}

TEST(RegexHelpers, UntouchedCharactersKeepTheirExactBytes) {
    // ED 40 (an NEC-selected code) would come back as FA 5C from a plain
    // round trip through wide text; the helpers must not rewrite it.
    std::string text = std::string("\xED\x40") + "abc";
    EXPECT_TRUE(regex_delete(text, "b"));
    EXPECT_EQ(text, std::string("\xED\x40") + "ac");
    EXPECT_TRUE(regex_replace(text, "c", "d"));
    EXPECT_EQ(text, std::string("\xED\x40") + "ad");
    EXPECT_EQ(regex_extract(std::string("x\xED\x40y"), "x(.)"), "\xED\x40");
    // Bytes that are not valid CP932 survive as well.
    text = std::string("\xFD") + "ab" + "\x81";
    EXPECT_TRUE(regex_delete(text, "a"));
    EXPECT_EQ(text, std::string("\xFD") + "b" + "\x81");
}

TEST(RegexExtract, GroupOneOrWholeMatch) {
    const std::string text = cp932("タイトル「副題」「次」");
    EXPECT_EQ(u8(regex_extract(text, cp932("「.+?」"))), "「副題」");
    EXPECT_EQ(u8(regex_extract(text, cp932("「(.+?)」"))), "副題");
    EXPECT_EQ(regex_extract(text, cp932("「(x)?.+?」")), "");  // group 1 took no part
    EXPECT_EQ(regex_extract(text, "zzz"), "");
    EXPECT_EQ(u8(regex_extract(cp932("前コメント1中身コメント2後"),
                               cp932("(?<=コメント1).+(?=コメント2)"))),
              "中身");
    EXPECT_EQ(regex_extract("a-b-c", "-(.)$"), "c");
}

TEST(RegexExtract, BadPatternsYieldTheLibraryDescription) {
    const std::string error = regex_extract("abc", "(abc");
    EXPECT_NE(error.find("Unmatched"), std::string::npos) << error;
    EXPECT_NE(error.find("(abc"), std::string::npos) << error;

    // A Japanese pattern appears in the description as CP932, not as garbage.
    const std::string japanese = regex_extract("abc", cp932("[表"));
    EXPECT_FALSE(japanese.empty());
    ASSERT_TRUE(cp932_to_utf8(japanese).has_value());
    EXPECT_NE(u8(japanese).find("[表"), std::string::npos) << u8(japanese);

    std::string text = "abc";
    EXPECT_FALSE(regex_delete(text, "(abc"));
    EXPECT_FALSE(regex_replace(text, "*", "x"));
    EXPECT_EQ(text, "abc");
}

TEST(RegexReplace, EveryMatchWithPerlFormat) {
    std::string text = cp932("あ　い　う");
    EXPECT_TRUE(regex_replace(text, cp932("　"), " "));
    EXPECT_EQ(u8(text), "あ い う");

    text = "a1b22c";
    EXPECT_TRUE(regex_replace(text, "([0-9]+)", "<$1|$&|$$>"));
    EXPECT_EQ(text, "a<1|1|$>b<22|22|$>c");

    text = "abc";
    EXPECT_TRUE(regex_replace(text, "x", "y"));  // ran, nothing matched
    EXPECT_EQ(text, "abc");
    EXPECT_TRUE(regex_replace(text, "b", ""));
    EXPECT_EQ(text, "ac");
}

TEST(RegexHelpers, InputsAndResultsAreLimited) {
    const std::string long_text(1100, 'a');
    EXPECT_EQ(regex_extract(long_text, "a+").size(), 1023u);
    EXPECT_EQ(regex_extract(long_text + "b", "b"), "");  // the b lies past the limit

    std::string text(600, 'a');
    EXPECT_TRUE(regex_replace(text, "a", cp932("表")));
    EXPECT_EQ(text.size(), 1022u);  // cut before a character would be split
    EXPECT_EQ(text.substr(1020), cp932("表"));
}

TEST(RegexHelpers, PathologicalPatternsFinishQuickly) {
    const std::string text(1023, 'a');
    for (const char* pattern : {"(a+)+b", "(a|aa)*c", "(.*)*x", "(a*)*b", "((a+)*)+$x"}) {
        const auto start = std::chrono::steady_clock::now();
        const std::string result = regex_extract(text, pattern);
        std::string copy = text;
        regex_delete(copy, pattern);
        regex_replace(copy, pattern, "y");
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_LT(elapsed, std::chrono::seconds(3)) << pattern;
        EXPECT_TRUE(result.empty() || result.find("complexity") != std::string::npos ||
                    result.find("memory") != std::string::npos || result.find("stack") != std::string::npos)
            << pattern << ": " << result.substr(0, 80);
    }
}

TEST(RegexCache, CachedResultsEqualFreshCompilation) {
    const std::string title = cp932("＜新＞アニメ「第１話」 #01 [字][デ]");
    const char* patterns[] = {"「.+?」", "(?:\\[.+?\\])+", "[#＃]([0-9０-９]+)", "(?<=「).+(?=」)", "(bad"};
    auto run_all = [&] {
        std::vector<std::string> results;
        for (const char* utf8 : patterns) {
            const std::string pattern = cp932(utf8);
            results.push_back(regex_extract(title, pattern));
            std::string deleted = title;
            results.push_back(regex_delete(deleted, pattern) ? deleted : "-");
            std::string replaced = title;
            results.push_back(regex_replace(replaced, pattern, "<$&>") ? replaced : "-");
        }
        return results;
    };
    const std::size_t saved = regex_cache_capacity();
    set_regex_cache_capacity(0);
    const auto fresh = run_all();
    set_regex_cache_capacity(2);  // smaller than the pattern set: entries are evicted and rebuilt
    const auto small = run_all();
    const auto small_again = run_all();
    set_regex_cache_capacity(saved);
    const auto cached = run_all();
    EXPECT_EQ(fresh, small);
    EXPECT_EQ(fresh, small_again);
    EXPECT_EQ(fresh, cached);
}

}  // namespace
}  // namespace kalvento
