#include "text/numerals.h"
#include "test_text.h"

#include <gtest/gtest.h>

namespace kalvento {
namespace {

TEST(KanjiNumerals, PositionalDigitsUnitsAndLargeUnits) {
    EXPECT_EQ(parse_kanji_numeral(cp932("二〇一〇")), 2010);
    EXPECT_EQ(parse_kanji_numeral(cp932("十二")), 12);
    EXPECT_EQ(parse_kanji_numeral(cp932("二十")), 20);
    EXPECT_EQ(parse_kanji_numeral(cp932("百")), 100);
    EXPECT_EQ(parse_kanji_numeral(cp932("三百五")), 305);
    EXPECT_EQ(parse_kanji_numeral(cp932("十万")), 100000);
    EXPECT_EQ(parse_kanji_numeral(cp932("一億二千万")), 120000000);
    EXPECT_EQ(parse_kanji_numeral(cp932("万")), 0);
    EXPECT_EQ(parse_kanji_numeral(""), 0);
    EXPECT_EQ(parse_kanji_numeral(cp932("壱萬弐拾")), 10020);
    EXPECT_EQ(parse_kanji_numeral(cp932("質")), 7);
    // Reading stops at the first character from the end that is not a numeral.
    EXPECT_EQ(parse_kanji_numeral(cp932("第十二")), 12);
    EXPECT_EQ(parse_kanji_numeral(cp932("x十二")), 12);
    // Twelve nines wrap like 32-bit integers (999999999999 mod 2^32).
    EXPECT_EQ(parse_kanji_numeral(cp932("九九九九九九九九九九九九")), -727379969);
}

TEST(KanjiNumerals, TableHoldsThirtyFourTwoByteCharacters) {
    const auto table = KanjiDigitTable();
    ASSERT_EQ(table.size(), 34u);
    EXPECT_EQ(std::string(table[0].bytes, 2), cp932("〇"));
    EXPECT_EQ(std::string(table[14].bytes, 2), cp932("億"));
    EXPECT_EQ(table[14].code, kKanjiLargeUnit | 8);
    EXPECT_EQ(std::string(table[33].bytes, 2), cp932("質"));
}

std::int32_t extract(const std::string& templ_utf8, const std::string& subject_utf8,
                     std::size_t* end = nullptr) {
    std::int32_t target = -99;
    const std::string templ = cp932(templ_utf8);
    const std::size_t after = extract_number(templ, templ.find('N', 2), cp932(subject_utf8), target);
    if (end) *end = after;
    return target;
}

TEST(ExtractNumber, AsciiThenFullWidthThenKanji) {
    EXPECT_EQ(extract("@NSN'第.+?話'", "今回は第12話です"), 12);
    EXPECT_EQ(extract("@NSN'第.+?話'", "今回は第１２話です"), 12);
    EXPECT_EQ(extract("@NSN'第.+?話'", "第十二話"), 12);
    EXPECT_EQ(extract("@NSN'第.+?話'", "第二十話"), 20);
    EXPECT_EQ(extract("@NSN'第.+?話'", "第百話"), 100);
    EXPECT_EQ(extract("@NSN'第.+?話'", "第十2話"), 2);  // ASCII digits win over kanji
    EXPECT_EQ(extract("@NSN'第(.+?)話'", "第３話"), 3);
    EXPECT_EQ(extract("@NSN'第.+?話'", "第99999999999話"), 2147483647);
}

TEST(ExtractNumber, TargetUnchangedWithoutNumberOrArgument) {
    std::size_t end = 0;
    EXPECT_EQ(extract("@NSN'第.+?話'rest", "話なし", &end), -99);
    EXPECT_EQ(end, cp932("@NSN'第.+?話'").size());
    EXPECT_EQ(extract("@NSN'第.+?話'", "第ｘ話"), -99);  // match without a number
    EXPECT_EQ(extract("@NSNrest", "第1話", &end), -99);
    EXPECT_EQ(end, 4u);  // behind the N
    EXPECT_EQ(extract("@NSN'never closed", "第1話", &end), -99);
    EXPECT_EQ(end, 4u);
}

}  // namespace
}  // namespace kalvento
