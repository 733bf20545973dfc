#include "rules/rule_store.h"

#include "platform/codepage.h"
#include "rules/rule_row_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kalvento::test {
namespace {

RenameRule rule_with(std::string find_text, std::string find_text_ch, std::string templ = {}) {
    RenameRule rule;
    rule.FindText = std::move(find_text);
    rule.FindTextCh = std::move(find_text_ch);
    rule.RenameText = std::move(templ);
    derive_find_type(rule);
    return rule;
}

std::vector<std::string> titles(const RuleList& list) {
    std::vector<std::string> out;
    for (const RenameRule& rule : list)
        out.push_back(rule.FindText + "|" + rule.FindTextCh + "|" + rule.RenameText);
    return out;
}

TEST(RuleOrder, InsertionFollowsTypeThenPrefixLastOrder) {
    RuleList list;
    for (const char* text : {"AB", "B", "ABD", "AA", "ABC"})
        insert_rule_sorted(list, rule_with(text, ""));
    EXPECT_EQ(titles(list), (std::vector<std::string>{"AA||", "ABC||", "ABD||", "AB||", "B||"}));
    // Bytes compare unsigned, so a CP932 lead byte sorts after ASCII; the empty text comes last.
    EXPECT_LT(compare_prefix_last("Z", "\x82\xa0"), 0);
    EXPECT_LT(compare_prefix_last("A", ""), 0);

    // A "both" rule precedes every programme-name rule, station rules come last
    // and ignore FindText.
    EXPECT_EQ(insert_rule_sorted(list, rule_with("ZZZ", "X")), 0u);
    RuleList stations;
    for (const char* ch : {"AB", "ABC", "A"}) insert_rule_sorted(stations, rule_with("", ch));
    EXPECT_EQ(titles(stations), (std::vector<std::string>{"|ABC|", "|AB|", "|A|"}));
    RenameRule station = rule_with("", "AB");
    station.FindText = "AAAA";  // not looked at for station rules
    station.FindType = kFindStation;
    EXPECT_EQ(insert_rule_sorted(stations, station), 2u);
    for (const RenameRule& rule : stations) list.push_back(rule);
    EXPECT_EQ(insert_rule_sorted(list, rule_with("A", "")), 5u);  // after AB, before B
    EXPECT_EQ(list[6].FindText, "B");
    EXPECT_EQ(list.front().FindType, kFindBoth);
    EXPECT_EQ(list.back().FindType, kFindStation);

    // Within "both" rules FindTextCh breaks ties; equal rules go after the equal ones.
    RuleList both;
    insert_rule_sorted(both, rule_with("T", "B", "first"));
    insert_rule_sorted(both, rule_with("T", "BC", "second"));
    EXPECT_EQ(insert_rule_sorted(both, rule_with("T", "B", "third")), 2u);
    EXPECT_EQ(titles(both), (std::vector<std::string>{"T|BC|second", "T|B|first", "T|B|third"}));
}

TEST(RuleOrder, FindTypeAndSectionIndexes) {
    EXPECT_EQ(rule_with("T", "C").FindType, kFindBoth);
    EXPECT_EQ(rule_with("", "C").FindType, kFindStation);
    EXPECT_EQ(rule_with("T", "").FindType, kFindProgramme);
    EXPECT_EQ(rule_with("", "").FindType, kFindProgramme);

    RuleList list;
    EXPECT_EQ(lowest_free_section_index(list), 0);
    for (std::int32_t index : {0, 1, 3}) {
        RenameRule rule = rule_with("T" + std::to_string(index), "");
        rule.SectionIndex = index;
        insert_rule_sorted(list, rule);
    }
    EXPECT_EQ(lowest_free_section_index(list), 2);
    const std::size_t at = add_new_rule(list, rule_with("T9", ""));
    EXPECT_EQ(list[at].SectionIndex, 2);
    EXPECT_EQ(list[at].Modified, 1);
    EXPECT_EQ(lowest_free_section_index(list), 4);

    // Rules with the same keys: all but the first can never match; a station
    // rule's FindText plays no part, and a longer pattern is no repeat.
    RuleList same;
    for (const auto& [find, ch] : std::vector<std::pair<std::string, std::string>>{
             {"T", ""}, {"T", ""}, {"TT", ""}, {"T", "C"}, {"", "C"}, {"", "C"}, {"T", ""}})
        insert_rule_sorted(same, rule_with(find, ch));
    same[6].FindText = "other";
    const std::vector<ShadowedRule> shadowed = shadowed_rules(same);
    ASSERT_EQ(shadowed.size(), 3u);
    EXPECT_EQ(same[shadowed[0].rule].FindText, "T");
    EXPECT_EQ(shadowed[0].by + 1, shadowed[0].rule);
    EXPECT_EQ(shadowed[1].by, shadowed[0].by);
    EXPECT_EQ(shadowed[2].rule, 6u);
    EXPECT_EQ(shadowed[2].by, 5u);
    EXPECT_TRUE(same_rule(same[0], rule_with("T", "C")));
    RenameRule numbered = rule_with("T", "C");
    numbered.Numbering.emplace_back();
    EXPECT_FALSE(same_rule(same[0], numbered));

    // Changing a rule's pattern moves it and keeps its section.
    const std::size_t moved = replace_rule(list, at, rule_with("A", "", "x"));
    EXPECT_EQ(moved, 0u);
    EXPECT_EQ(list.size(), 4u);
}

TEST(RuleRowText, ColumnsOfTheRuleList) {
    RenameRule rule;
    rule.FindText = "T";
    rule.FindTextCh = "C";
    EXPECT_EQ(rule_search_text(rule), "T,C");
    EXPECT_EQ(find_type_name(kFindBoth), cp932("両方"));
    EXPECT_EQ(find_type_name(kFindStation), cp932("放送局"));
    EXPECT_EQ(find_type_name(7), "");
    rule.FindType = kFindStation;
    EXPECT_EQ(rule_search_text(rule), "C");

    EXPECT_EQ(numbering_summary(rule), "");
    NumberingEntry entry;
    entry.StartTime = 1704380400;  // Friday 2024-01-05, midnight in Japan
    entry.StartNo = 12;
    entry.WeekCheck = {1, 0, 0, 0, 0, 1, 0};
    rule.Numbering = {entry, NumberingEntry{}};
    EXPECT_EQ(cp932_to_utf8_lossy(numbering_summary(rule)), "2024/01/05(金) #12 日金");
    // A start far outside the calendar shows no date instead of failing.
    rule.Numbering[0].StartTime = INT64_MAX;
    EXPECT_NE(numbering_summary(rule).find(" #12 "), std::string::npos);
}

}  // namespace
}  // namespace kalvento::test
