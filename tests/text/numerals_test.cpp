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

// The number that the pattern finds in the subject; -99 when it finds none.
std::int32_t extract(const std::string& pattern_utf8, const std::string& subject_utf8) {
    return number_in_match(cp932(subject_utf8), cp932(pattern_utf8)).value_or(-99);
}

TEST(NumberInMatch, AsciiThenFullWidthThenKanji) {
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
        EXPECT_EQ(extract("第.+?話", subject), number) << subject;
    EXPECT_EQ(extract("第(.+?)話", "第３話"), 3);
}

TEST(WholeNumber, WhatAUserTypesIsTakenOnlyWhole) {
    EXPECT_EQ(whole_number("2047"), 2047);
    EXPECT_EQ(whole_number("-5"), -5);
    for (const char* refused : {"", " 1", "1x", "+1", "２", "99999999999"})
        EXPECT_EQ(whole_number(refused), std::nullopt) << refused;
}

}  // namespace
}  // namespace kalvento::test
