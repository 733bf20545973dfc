#include "text/numerals.h"
#include "test_text.h"

#include <gtest/gtest.h>

namespace kalvento::test {
namespace {

TEST(KanjiNumerals, PositionalDigitsUnitsAndLargeUnits) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"二〇一〇", 2010},
        {"十二", 12},
        {"二十", 20},
        {"百", 100},
        {"三百五", 305},
        {"十万", 100000},
        {"一億二千万", 120000000},
        {"万", 0},
        {"", 0},
        {"壱萬弐拾", 10020},
        {"質", 7},
        // Reading stops at the first character from the end that is not a numeral.
        {"第十二", 12},
        {"x十二", 12},
        // Twelve nines wrap like 32-bit integers (999999999999 mod 2^32).
        {"九九九九九九九九九九九九", -727379969}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(parse_kanji_numeral(cp932(text)), value) << text;
}

// The number an @NSN macro finds in the subject; -99 when it finds none. `end`
// gets the template position behind the macro.
std::int32_t extract(const std::string& templ_utf8, const std::string& subject_utf8,
                     std::size_t* end = nullptr) {
    std::int32_t target = -99;
    const std::string templ = cp932(templ_utf8);
    const std::size_t after =
        extract_number(templ, templ.find('N', 2), cp932(subject_utf8), target);
    if (end) *end = after;
    return target;
}

TEST(ExtractNumber, AsciiThenFullWidthThenKanji) {
    const std::pair<const char*, std::int32_t> subjects[] = {
        {"今回は第12話です", 12},
        {"今回は第１２話です", 12},
        {"第十二話", 12},
        {"第二十話", 20},
        {"第百話", 100},
        {"第十2話", 2},  // ASCII digits win over kanji
        {"第99999999999話", 2147483647},
        {"話なし", -99},
        {"第ｘ話", -99}};  // a match without a number
    for (const auto& [subject, number] : subjects)
        EXPECT_EQ(extract("@NSN'第.+?話'", subject), number) << subject;
    EXPECT_EQ(extract("@NSN'第(.+?)話'", "第３話"), 3);

    std::size_t end = 0;
    EXPECT_EQ(extract("@NSN'第.+?話'rest", "話なし", &end), -99);
    EXPECT_EQ(end, cp932("@NSN'第.+?話'").size());
    for (const char* templ : {"@NSNrest", "@NSN'never closed"}) {
        EXPECT_EQ(extract(templ, "第1話", &end), -99);
        EXPECT_EQ(end, 4u);  // behind the N
    }
}

}  // namespace
}  // namespace kalvento::test
