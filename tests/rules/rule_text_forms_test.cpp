#include "rules/rule_text_forms.h"

#include "platform/codepage.h"
#include "rules/rule_keys.h"
#include "rules/rule_numbers.h"

#include <gtest/gtest.h>

#include <string>

namespace kalvento::test {
namespace {

// Every field of a rule, for comparing round trips.
std::string describe(const RenameRule& rule) {
    std::string out = rule.FindText + "|" + rule.FindTextCh + "|" + std::to_string(rule.FindType) +
                      "|" + rule.RenameText + "|" + rule.SyoboFind + "|" + rule.SyoboFindCh + "|" +
                      rule.SyoboFindSt + "|" + std::to_string(rule.SyoboTT) +
                      std::to_string(rule.SyoboNB) + std::to_string(rule.SyoboSB) +
                      std::to_string(rule.SyoboCH);
    for (const NumberingEntry& entry : rule.Numbering) {
        out += "|" + std::to_string(entry.StartTime) + "#" + std::to_string(entry.StartNo) + ":";
        for (std::int32_t day : entry.WeekCheck) out += std::to_string(day);
    }
    return out;
}

// A rule with Japanese text, including characters whose trail byte is 0x5C.
RenameRule japanese_rule() {
    RenameRule rule;
    rule.FindText = cp932("表示ソフト[新]");
    rule.FindTextCh = cp932("ＮＨＫ総合");
    rule.RenameText = cp932("@TT 第@2nb話「@sb」 @C'\\[.+?\\]' 能");
    rule.SyoboFind = cp932("表");
    rule.SyoboFindCh = cp932("ソ");
    rule.SyoboFindSt = cp932("予告");
    rule.SyoboTT = rule.SyoboCH = 1;
    derive_find_type(rule);
    // 2024-01-05 00:00 Japan time, and a later start with the largest number.
    rule.Numbering = {
        {.StartTime = 1704380400, .StartNo = 1, .WeekCheck = {0, 0, 0, 0, 0, 1, 0}},
        {.StartTime = 1711897200, .StartNo = 2147483647, .WeekCheck = {1, 0, 0, 0, 0, 0, 1}}};
    return rule;
}

TEST(ExportLine, FormatAndRoundTrip) {
    RenameRule rule;
    rule.FindText = "a";
    rule.FindTextCh = "b";
    rule.RenameText = "c";
    rule.SyoboTT = 1;
    rule.Numbering = {{.StartTime = 86400, .StartNo = 4, .WeekCheck = {0, 1, 0, 0, 0, 0, 0}}};
    EXPECT_EQ(format_export_line(rule),
              "a\tb\tc\t\t\t\t1\t0\t0\t0\t1\t86400\t4\t0\t1\t0\t0\t0\t0\t0\r\n");

    const RenameRule original = japanese_rule();
    const std::string crlf = format_export_line(original);
    const std::string lf = crlf.substr(0, crlf.size() - 2) + "\n";
    for (const std::string& line : {crlf, lf}) {
        const std::optional<RenameRule> back = parse_import_line(line);
        ASSERT_TRUE(back);
        EXPECT_EQ(describe(*back), describe(original));
        EXPECT_EQ(back->Modified, 1);
        EXPECT_EQ(back->SectionIndex, -1);
    }
}

TEST(ExportLine, ImportAddsWithFreshSectionsAndSkipsShortLines) {
    RuleList list(2);
    list[0].SectionIndex = 0;
    list[1].SectionIndex = 2;

    const ImportResult result = import_rules(list,
                                             "T\tC\tR\tS\tSC\tSS\t1\t0\t0\t0\t0\r\n"
                                             "too\tfew\tfields\r\n"
                                             "\tstation only\t\t\t\t\t0\t0\t0\t0\t0\n");
    EXPECT_EQ(result.added, 2u);
    const RenameRule* both = nullptr;
    for (const RenameRule& rule : list)
        if (rule.FindText == "T") both = &rule;
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->FindType, kFindBoth);
    EXPECT_EQ(both->SyoboTT, 1);
    EXPECT_TRUE(both->Numbering.empty());
    EXPECT_EQ(both->SectionIndex, 1);
    EXPECT_EQ(both->Modified, 1);
    EXPECT_EQ(list[result.lastIndex].FindTextCh, "station only");
    EXPECT_EQ(list[result.lastIndex].FindType, kFindStation);
    EXPECT_EQ(list[result.lastIndex].SectionIndex, 3);
    EXPECT_TRUE(result.duplicates.empty());

    // A line whose rule is there already, also from earlier in the same
    // file, is not added again; one differing in a single field is.
    const ImportResult again = import_rules(list,
                                            "X\t\t\t\t\t\t0\t0\t0\t0\t0\r\n"
                                            "T\tC\tR\tS\tSC\tSS\t1\t0\t0\t0\t0\r\n"
                                            "X\t\t\t\t\t\t0\t0\t0\t0\t0\r\n"
                                            "T\tC\tR\tS\tSC\tSS\t1\t0\t0\t0\t1\t5\t1\t0\t0\t0"
                                            "\t0\t0\t0\t0\r\n");
    EXPECT_EQ(again.added, 2u);
    ASSERT_EQ(again.duplicates.size(), 2u);
    EXPECT_EQ(again.duplicates[0].line, 2u);
    EXPECT_EQ(list[again.duplicates[0].rule].SectionIndex, 1);
    EXPECT_EQ(again.duplicates[1].line, 3u);
    EXPECT_EQ(list[again.duplicates[1].rule].FindText, "X");
    EXPECT_EQ(list.size(), 6u);
}

TEST(ExportLine, BadImportLines) {
    const std::string head = "T\t\t\t\t\t\t0\t0\t0\t0\t";
    // The count is bounded by the entries really present.
    auto entries_of = [](const std::string& line) {
        return parse_import_line(line).value().Numbering.size();
    };
    EXPECT_EQ(entries_of(head + "2147483647\t100\t1\t0\t0\t0\t0\t0\t0\t0\r\n"), 1u);
    EXPECT_EQ(entries_of(head + "99999999999999999999\t100\t1\t0\t0\t0\t0\t0\t0\r\n"),
              0u);  // one field short
    EXPECT_EQ(entries_of(head + "-3\t100\t1\t0\t0\t0\t0\t0\t0\t0\r\n"), 0u);
    EXPECT_FALSE(parse_import_line("a\tb\tc\td\te\tf\t0\t0\t0\t0"));
    EXPECT_FALSE(parse_import_line(""));

    // Start times take their base from the prefix; numbers out of range are clamped.
    const RenameRule numbers =
        parse_import_line(head + "3\t0x1F\t2147483648\t0\t0\t0\t0\t0\t0\t0\t" +
                          "010\t-2147483649\t0\t0\t0\t0\t0\t0\t9" +
                          "\t99999999999999999999\t1\t0\t0\t0\t0\t0\t0\t0\r\n")
            .value();
    ASSERT_EQ(numbers.Numbering.size(), 3u);
    EXPECT_EQ(numbers.Numbering[0].StartTime, 31);
    EXPECT_EQ(numbers.Numbering[0].StartNo, INT32_MAX);
    EXPECT_EQ(numbers.Numbering[1].StartTime, 8);
    EXPECT_EQ(numbers.Numbering[1].StartNo, INT32_MIN);
    EXPECT_EQ(numbers.Numbering[1].WeekCheck[6], 9);
    EXPECT_EQ(numbers.Numbering[2].StartTime, -1);  // all 64 bits set
    EXPECT_EQ(parse_prefixed_uint64("0x"), 0);
    EXPECT_EQ(parse_prefixed_uint64("-1"), -1);
    EXPECT_EQ(parse_prefixed_uint64("  0777z"), 511);
    EXPECT_EQ(parse_decimal_int64("-9223372036854775809"), INT64_MIN);

    // A line of 65,535 bytes is one line; a longer one falls apart into pieces.
    std::string long_line = head + "0";
    long_line.insert(0, std::string(kImportLineMax - long_line.size(), 'x'));
    ASSERT_EQ(long_line.size(), kImportLineMax);
    RuleList list;
    EXPECT_EQ(import_rules(list, long_line + "\r\n").added, 1u);
    EXPECT_EQ(list[0].FindText.size(), kImportLineMax - head.size() - 1 + 1);
    const std::string longer = std::string(70000, 'x') + head.substr(1) + "0";
    list.clear();
    EXPECT_EQ(import_rules(list, longer + "\r\n").added, 1u);
    EXPECT_EQ(list[0].FindText, std::string(70000 - kImportLineMax, 'x'));

    // A huge line full of entries makes at most the bounded number of them.
    std::string many = head + "1000000000";
    for (int k = 0; k < 500; ++k) many += "\t1\t1\t0\t0\t0\t0\t0\t0\t0";
    EXPECT_EQ(entries_of(many), kMaxNumberingEntries);
}

TEST(ClipboardBlock, RoundTripIntoAnotherRule) {
    const RenameRule original = japanese_rule();
    const std::string block = format_clipboard_block(original);
    EXPECT_EQ(block.substr(0, block.find(cp932("ＮＨＫ"))),
              "FindText=" + original.FindText + "\r\nFindTextCh=");
    EXPECT_NE(block.find("\r\nStartTime000001=1711897200\r\nStartNo000001=2147483647\r\n"),
              std::string::npos);
    EXPECT_NE(block.find("\r\nWeekCheck5=1\r\nWeekCheck6=0\r\n"), std::string::npos);

    RenameRule other;
    other.FindText = "old";
    other.Numbering.resize(5);
    other.SectionIndex = 7;
    parse_clipboard_block(block, other);
    EXPECT_EQ(describe(other), describe(original));
    EXPECT_EQ(other.SectionIndex, 7);

    // LF line ends and a missing last line end work as well.
    std::string lf_block = block;
    for (std::size_t at = 0; (at = lf_block.find("\r\n", at)) != std::string::npos;)
        lf_block.erase(at, 1);
    lf_block.pop_back();
    RenameRule third;
    parse_clipboard_block(lf_block, third);
    EXPECT_EQ(describe(third), describe(original));
}

TEST(ClipboardBlock, OddLines) {
    RenameRule rule;
    rule.FindText = "keep";
    rule.SyoboFindSt = "st";
    rule.Numbering.resize(2);
    parse_clipboard_block("nothing useful\r\n", rule);
    EXPECT_EQ(rule.FindText, "keep");
    EXPECT_TRUE(rule.Numbering.empty());

    parse_clipboard_block(
        "SyoboFindCh=ch\r\nStartTime000002=77\r\nStartTime999999=1\r\nStartTime000100=1\r\n"
        "WeekCheck7=1\r\nWeekCheck000001_9=1\r\nWeekCheck000001_3=1\r\nWeekCheck2="
        "1\r\nStartTime\r\n"
        "StartTimeabcdef=1\r\nStartNo000001\r\nStartNo=99999999999\r\nWeekCheck\r\nWeekCheck000001_"
        "\r\n"
        "FindType=2\r\n",
        rule);
    EXPECT_EQ(rule.SyoboFindCh, "ch");
    EXPECT_EQ(rule.SyoboFindSt, "st");
    EXPECT_EQ(rule.FindType, 2);
    ASSERT_EQ(rule.Numbering.size(), 3u);  // up to the highest entry mentioned within the bound
    EXPECT_EQ(rule.Numbering[0].StartNo, INT32_MAX);
    EXPECT_EQ(rule.Numbering[0].WeekCheck[2], 1);
    EXPECT_EQ(rule.Numbering[1].StartTime, 0);
    EXPECT_EQ(rule.Numbering[1].WeekCheck, (std::array<std::int32_t, 7>{0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(rule.Numbering[2].StartTime, 77);
    EXPECT_EQ(rule.Numbering[2].StartNo, 0);
}

}  // namespace
}  // namespace kalvento::test
