#include "text/regex_helpers.h"
#include "test_text.h"
#include "text/regex_cache.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kalvento::test {
namespace {

TEST(RegexDelete, RemovesTheFirstMatchOrWhatItsGroupsCaptured) {
    // Text, pattern, whether it matched, the text after (all UTF-8).
    const std::tuple<const char*, const char*, bool, const char*> cases[] = {
        {"＜新＞＜字＞タイトル＜再＞", "(?:＜.+?＞)+", true, "タイトル＜再＞"},
        {"タイトル", "(?:＜.+?＞)+", false, "タイトル"},
        {"第12話", "第([0-9]+)話", true, "第話"},
        {"abc", "(a(b))c", true, "c"},    // nested groups: exactly what they captured
        {"ab", "(x)?b", true, "ab"},      // a group that took no part deletes nothing
        {"xab", "a(?=(b))", true, "xa"},  // a group inside a look-ahead still goes
        {"タイトル　 　", "[　 ]+$", true, "タイトル"},
        {"表示", ".", true, "示"},        // characters, not bytes
        {"表　", "\\\\", false, "表　"},  // the trail bytes 5C and 40 are no "\" or "@"
        {"表　", "@", false, "表　"},
        {"abc", "(abc", false, "abc"}};
    for (const auto& [text, pattern, matched, after] : cases) {
        std::string t = cp932(text);
        EXPECT_EQ(regex_delete(t, cp932(pattern)), matched) << text << " " << pattern;
        EXPECT_EQ(u8(t), after) << text << " " << pattern;
    }
}

TEST(RegexHelpers, UntouchedCharactersKeepTheirExactBytes) {
    // ED 40 (an NEC-selected code) would come back as FA 5C from a plain round
    // trip through wide text; bytes that are not CP932 survive as well.
    std::string text = std::string("\xED\x40") + "abc";
    EXPECT_TRUE(regex_delete(text, "b"));
    EXPECT_TRUE(regex_replace(text, "c", "d"));
    EXPECT_EQ(text, std::string("\xED\x40") + "ad");
    EXPECT_EQ(regex_extract(std::string("x\xED\x40y"), "x(.)"), "\xED\x40");
    text = std::string("\xFD") + "ab" + "\x81";
    EXPECT_TRUE(regex_delete(text, "a"));
    EXPECT_EQ(text, std::string("\xFD") + "b" + "\x81");
}

TEST(RegexExtract, GroupOneOrWholeMatchOrTheErrorDescription) {
    const std::string text = cp932("タイトル「副題」「次」");
    EXPECT_EQ(u8(regex_extract(text, cp932("「.+?」"))), "「副題」");
    EXPECT_EQ(u8(regex_extract(text, cp932("「(.+?)」"))), "副題");
    EXPECT_EQ(regex_extract(text, cp932("「(x)?.+?」")), "");  // group 1 took no part
    EXPECT_EQ(regex_extract(text, "zzz"), "");
    EXPECT_EQ(u8(regex_extract(cp932("前コメント1中身コメント2後"),
                               cp932("(?<=コメント1).+(?=コメント2)"))),
              "中身");
    EXPECT_EQ(regex_extract("a-b-c", "-(.)$"), "c");

    const std::string error = regex_extract("abc", "(abc");
    EXPECT_NE(error.find("Unmatched"), std::string::npos) << error;
    EXPECT_NE(error.find("(abc"), std::string::npos) << error;
    // A Japanese pattern appears in the description as CP932, not as garbage.
    const std::string japanese = regex_extract("abc", cp932("[表"));
    ASSERT_TRUE(cp932_to_utf8(japanese).has_value());
    EXPECT_NE(u8(japanese).find("[表"), std::string::npos) << u8(japanese);
}

TEST(RegexReplace, EveryMatchWithPerlFormat) {
    const std::tuple<const char*, const char*, const char*, bool, const char*> cases[] = {
        {"あ　い　う", "　", " ", true, "あ い う"},
        {"a1b22c", "([0-9]+)", "<$1|$&|$$>", true, "a<1|1|$>b<22|22|$>c"},
        {"abc", "x", "y", true, "abc"},  // ran, nothing matched
        {"abc", "b", "", true, "ac"},
        {"abc", "*", "x", false, "abc"}};
    for (const auto& [text, pattern, format, ran, after] : cases) {
        std::string t = cp932(text);
        EXPECT_EQ(regex_replace(t, cp932(pattern), format), ran) << pattern;
        EXPECT_EQ(u8(t), after) << pattern;
    }
}

TEST(RegexHelpers, InputsAndResultsAreLimited) {
    const std::string long_text(1100, 'a');
    EXPECT_EQ(regex_extract(long_text, "a+").size(), 1023u);
    EXPECT_EQ(regex_extract(long_text + "b", "b"), "");  // the b lies past the limit
    std::string text(600, 'a');
    EXPECT_TRUE(regex_replace(text, "a", cp932("表")));
    EXPECT_EQ(text.size(), 1022u);  // cut before a character would be split
    EXPECT_EQ(text.substr(1020), cp932("表"));

    // Pathological patterns end quickly with the library's complaint.
#ifdef KALVENTO_INSTRUMENTED
    constexpr auto quickly = std::chrono::seconds(15);
#else
    constexpr auto quickly = std::chrono::seconds(3);
#endif
    const std::string as(1023, 'a');
    for (const char* pattern : {"(a+)+b", "(a|aa)*c", "(.*)*x", "(a*)*b", "((a+)*)+$x"}) {
        const auto start = std::chrono::steady_clock::now();
        const std::string result = regex_extract(as, pattern);
        std::string copy = as;
        regex_delete(copy, pattern);
        regex_replace(copy, pattern, "y");
        EXPECT_LT(std::chrono::steady_clock::now() - start, quickly) << pattern;
        EXPECT_TRUE(result.empty() || result.find("complexity") != std::string::npos ||
                    result.find("memory") != std::string::npos ||
                    result.find("stack") != std::string::npos)
            << pattern << ": " << result.substr(0, 80);
    }
}

TEST(RegexCache, CachedResultsEqualFreshCompilation) {
    const std::string title = cp932("＜新＞アニメ「第１話」 #01 [字][デ]");
    const char* patterns[] = {"「.+?」", "(?:\\[.+?\\])+", "[#＃]([0-9０-９]+)", "(?<=「).+(?=」)",
                              "(bad"};
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
    EXPECT_EQ(run_all(), fresh);
    EXPECT_EQ(run_all(), fresh);
    set_regex_cache_capacity(saved);
    EXPECT_EQ(run_all(), fresh);
}

}  // namespace
}  // namespace kalvento::test
