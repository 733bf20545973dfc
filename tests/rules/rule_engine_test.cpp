// Rule matching and template expansion, end to end through apply_rule.
#include "rules/rule_engine.h"

#include "engine_test_util.h"
#include "platform/codepage.h"
#include "rules/template_check.h"
#include "rules/template_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kalvento::test {
namespace {

// A Wednesday-morning programme: 6 January 2010, 01:30 to 02:30.
ProgramInfo sample_programme(std::int64_t start = local_time(2010, 1, 6, 1, 30),
                             std::int64_t end = local_time(2010, 1, 6, 2, 30)) {
    ProgramInfo candidate;
    candidate.eventName = cp932("Title");
    candidate.title = candidate.eventName;
    candidate.eventText = cp932("「Sub」");
    candidate.extendedText = cp932("出演\r声優A\r声優B");
    candidate.channelName = cp932("Ch1");
    candidate.serviceName = cp932("Service1");
    candidate.channelLabel = cp932("Label1");
    candidate.genreMajor = cp932("アニメ");
    candidate.genreMinor = cp932("国内");
    candidate.queryTitle = cp932("Query #5 Link");
    candidate.startTime = start;
    candidate.endTime = end;
    return candidate;
}

// A programme-name rule; patterns and template are written in UTF-8.
RenameRule title_rule(const std::string& find_text, const std::string& templ) {
    RenameRule rule;
    rule.FindText = cp932(find_text);
    rule.FindType = kFindProgramme;
    rule.RenameText = cp932(templ);
    return rule;
}

// Expands a UTF-8 template for the candidate; "<no match>" when the rule did not apply.
std::string expand(ProgramInfo& candidate, const std::string& templ,
                   std::string_view current_name = {}) {
    std::string output;
    if (!apply_rule(current_name, candidate, title_rule(".", templ), output)) return "<no match>";
    return utf8(output);
}

std::string expand(const std::string& templ) {
    ProgramInfo candidate = sample_programme();
    return expand(candidate, templ);
}

TEST(RuleEngine, WorkedExampleWithEpisodeCountAndBroadcastDay) {
    ProgramInfo candidate = sample_programme();
    RenameRule rule = title_rule("Title", "@TT 第@2nb話@sb [@CH] @mm月@dd日(@wk)");
    NumberingEntry entry;
    entry.StartTime = local_time(2010, 1, 5);  // Tuesday
    entry.StartNo = 1;
    entry.WeekCheck[3] = 1;  // Wednesday only
    rule.Numbering.push_back(entry);

    // The output is appended to what the caller handed in.
    std::string output = "x";
    ASSERT_TRUE(apply_rule("old.ts", candidate, rule, output));
    EXPECT_EQ(utf8(output), "xTitle 第01話「Sub」 [Ch1] 01月05日(火)");
}

TEST(RuleEngine, DateMacrosUseFourOClockAsDayStart) {
    EXPECT_EQ(expand("@YY/@2YY/@MM/@DD @SH:@SM:@SS @WK @WE - @EH:@EM:@ES"),
              "2010/10/01/06 01:30:00 水 Wed - 02:30:00");
    EXPECT_EQ(expand("@yy/@2yy/@mm/@dd @sh:@sm:@ss @wk @we - @eh:@em:@es"),
              "2010/10/01/05 25:30:00 火 Tue - 26:30:00");
    const struct {
        std::int64_t start, end;
        const char* templ;
        const char* expected;
    } cases[] = {
        {local_time(2010, 1, 6, 4, 30), local_time(2010, 1, 6, 5, 0), "@mm/@dd @sh @eh @wk",
         "01/06 04 05 水"},
        // New Year's night belongs to the last day of the old year.
        {local_time(2010, 1, 1, 3, 30), local_time(2010, 1, 1, 4, 30),
         "@yy-@2yy-@mm-@dd @sh-@eh @YY-@MM-@DD", "2009-09-12-31 27-28 2010-01-01"},
        // The end hour is shifted by the start's hour, not its own.
        {local_time(2010, 1, 5, 23, 30), local_time(2010, 1, 6, 0, 30), "@sh-@eh @dd", "23-00 05"},
    };
    for (const auto& c : cases) {
        ProgramInfo candidate = sample_programme(c.start, c.end);
        EXPECT_EQ(expand(candidate, c.templ), c.expected) << c.templ;
    }
}

TEST(RuleEngine, PlainMacrosAtSignsAndMalformedMacros) {
    const std::pair<const char*, const char*> cases[] = {
        {"@@TT", "@Title"},
        {"end@", "end@"},
        {"@XY @", "@XY @"},
        {"mail@TTx", "mailTitlex"},
        {"@CH|@CH2|@CH3|@CH9", "Ch1|Service1|Label1|Ch19"},
        {"@G1/@G2", "アニメ/国内"},
        {"@CH@C'x'", "Ch1"},  // CH is tried before C
        // Malformed macros are dropped.
        {"@PT9", "9"},
        {"@NT1x", "x"},
        {"@NTx", "x"},
        {"@NCN'x'", "N'x'"},
        {"@Cx", "x"},
        {"@C'Tit", "'Tit"},
        {"@R'a/b", "'a/b"},
        {"@NTN", ""},
        {"@NTN'open", "'open"},
        // 「＠」 is 0x81 0x97; the ideographic space is 0x81 0x40, whose second byte is "@".
        {"　TT＠TT", "　TT＠TT"},
    };
    for (const auto& [templ, expected] : cases) EXPECT_EQ(expand(templ), expected) << templ;

    // An "@" that names no macro is kept and named in a note; one inside an
    // argument, or the second byte of a two-byte character, is no "@".
    const std::string stray = "@tt @@TT @C'a@b'@5nb　＠TT end@";
    EXPECT_EQ(stray_macros(cp932(stray)), (std::vector<std::string>{"@tt", "@", "@5nb", "@"}));
    RuleNotes notes;
    std::string named;
    ProgramInfo noted = sample_programme();
    ASSERT_TRUE(apply_rule({}, noted, title_rule("Tit", stray), named, {}, &notes));
    EXPECT_EQ(utf8(named), "@tt @Title @5nb　＠TT end@");
    ASSERT_EQ(notes.warnings.size(), 4u);
    EXPECT_EQ(notes.warnings[0],
              "rule \"Tit\": \"@tt\" is not a macro and stays in the name as written");
    notes.warnings.clear();
    apply_template({}, noted, "@TT@X", named, &notes);
    EXPECT_EQ(notes.warnings,
              std::vector<std::string>{"\"@X\" is not a macro and stays in the name as written"});

    // 254 bytes between the quotes still form an argument, 255 do not.
    ProgramInfo candidate = sample_programme();
    const std::string arg254 = "Title|" + std::string(248, 'z');
    EXPECT_EQ(expand(candidate, "@C'" + arg254 + "'@TT"), "");
    EXPECT_EQ(candidate.eventName, "");
    candidate = sample_programme();
    EXPECT_EQ(expand(candidate, "@C'" + arg254 + "z'@TT"), "'" + arg254 + "z'Title");

    // Trimmed and untrimmed subtitles; the candidate keeps its own.
    candidate.eventText = cp932("　 Sub　");
    EXPECT_EQ(expand(candidate, "[@SB][@sb]"), "[　 Sub　][Sub]");
    EXPECT_EQ(utf8(candidate.eventText), "　 Sub　");

    // A lead byte at the very end is copied alone; 0xE0..0xFF lead even outside CP932.
    for (const std::string& raw : {std::string("@TT\x81"), std::string("\xE0@", 2)}) {
        RenameRule rule = title_rule(".", "");
        rule.RenameText = raw;
        std::string output;
        ASSERT_TRUE(apply_rule({}, candidate, rule, output));
        EXPECT_EQ(output, raw[0] == '@' ? "Title\x81" : raw);
    }
}

TEST(RuleEngine, CutAndReplaceChangeWhatLaterMacrosSee) {
    ProgramInfo candidate = sample_programme();
    const std::string tagged = cp932("＜新＞＜字＞タイトル＜再＞");
    candidate.eventName = tagged;
    EXPECT_EQ(expand(candidate, "@C'(?:＜.+?＞)+'@TT"), "タイトル＜再＞");
    EXPECT_EQ(utf8(candidate.eventName), "タイトル＜再＞");  // the edit stays in the candidate
    candidate.eventName = tagged;
    EXPECT_EQ(expand(candidate, "@TT|@C'(?:＜.+?＞)+'@TT"),
              "＜新＞＜字＞タイトル＜再＞|タイトル＜再＞");
    candidate.eventName = cp932("Title(1)");
    EXPECT_EQ(expand(candidate, "@C'('@TT"), "Title(1)");  // a broken pattern leaves it alone

    candidate.eventName = cp932("A　B　C");
    EXPECT_EQ(expand(candidate, "@R'　/ '@TT"), "A B C");
    const std::pair<const char*, const char*> replaces[] = {
        {"@R'a\\/b/X'@TT", "X X"},                      // an escaped slash is part of the pattern
        {"@R'X/a/b'@TT", "X X"},                        // two slashes: nothing
        {"@R'X//Y'@TT", "X X"},    {"@R'X/'@TT", " "},  // empty replacement deletes
        {"@R'nothing'@TT", " "},                        // no slash: nothing
    };
    candidate.eventName = "a/b a/b";
    for (const auto& [templ, expected] : replaces)
        EXPECT_EQ(expand(candidate, templ), expected) << templ;
    candidate.eventName = "2010-01";
    EXPECT_EQ(expand(candidate, "@R'(\\d+)-(\\d+)/$2.$1'@TT"), "01.2010");
}

TEST(RuleEngine, ExtractionSlotsAndNumberOverride) {
    EXPECT_EQ(expand("@NS1'「.+?」'@PS1|@PS2|@PT1"), "「Sub」||");
    EXPECT_EQ(expand("@PS1@NS1'Sub'"), "");           // set after it was printed
    EXPECT_EQ(expand("@NS4'「(.+?)」'@PS4"), "Sub");  // group 1 is what a slot keeps
    // Line breaks of the descriptions are CR LF for the patterns.
    EXPECT_EQ(expand("@ND2'出演\r\n声優.'@PD2"), "出演\r\n声優A");
    EXPECT_EQ(expand("@NC3'#\\d+'@PC3"), "#5");
    EXPECT_FALSE(expand("@NT1'('@PT1").empty());  // a broken pattern's description

    ProgramInfo candidate = sample_programme();
    EXPECT_EQ(expand(candidate, "@NF1'\\d{8}'@PF1", "rec_20100106.ts"), "20100106");
    EXPECT_EQ(expand(candidate, "@NFN'\\d+'@3nb", "ep07.ts"), "007");
    candidate.title = cp932("番組 第十二話");
    EXPECT_EQ(expand(candidate, "@2nb|@NTN'第.+?話'@2nb"), "00|12");
    EXPECT_EQ(expand(candidate, "@NTN'nothing'@2nb"), "00");
    EXPECT_EQ(expand(candidate, "@NTNx@nb"), "x0");
    EXPECT_EQ(expand("@NSN'Sub'@nb @NDN'声優.'@NB"), "0 #0");
}

TEST(RuleEngine, PatternsOfATemplateAreTheOnesItsExpansionRuns) {
    EXPECT_EQ(template_patterns(
                  cp932("@TT@C'a'@R'b/c'@R'd'@NT1'e'@NSN'f'@PT1@CH2'g'@NC2'h'@NCN'i'@x'j'@C'k")),
              (std::vector<std::string>{"a", "b", "e", "f", "h"}));
}

TEST(RuleEngine, MoveSubtitleOutOfTheName) {
    ProgramInfo candidate = sample_programme();
    candidate.eventName = cp932("Title「Act 1」 end");
    candidate.eventText = cp932("long text");
    EXPECT_EQ(expand(candidate, "@SB|@MST@TT|@SB|@NS1'Act \\d'@PS1"),
              "long text|Title end|「Act 1」|Act 1");
    EXPECT_EQ(utf8(candidate.eventName), "Title end");

    candidate.eventName = cp932("Title「open");
    EXPECT_EQ(expand(candidate, "@MST@TT|@SB"), "Title「open|「Act 1」");
    // 「＝」 is 0x81 0x81; with the "u" (0x75) after it its trail byte would read as 「.
    candidate.eventName = cp932("＝u」");
    EXPECT_EQ(expand(candidate, "@MST@TT"), "＝u」");
}

TEST(RuleEngine, PatternMatching) {
    ProgramInfo candidate = sample_programme();
    EXPECT_TRUE(rule_matches(candidate, title_rule("(Tit)le", "")));
    EXPECT_FALSE(rule_matches(candidate, title_rule("(X)?Title", "")));  // group 1 took no part
    EXPECT_FALSE(rule_matches(candidate, title_rule("Z*", "")));         // empty match
    EXPECT_FALSE(rule_matches(candidate, title_rule("", "")));
    candidate.eventName = "Other";  // the subject is the working title
    EXPECT_TRUE(rule_matches(candidate, title_rule("Title", "")));

    RenameRule station;
    station.FindType = kFindStation;
    station.FindTextCh = cp932("Service");
    EXPECT_TRUE(rule_matches(candidate, station));  // channelName fails, serviceName matches
    station.FindTextCh = "Nowhere";
    EXPECT_FALSE(rule_matches(candidate, station));

    // Unknown types test both patterns; a broken title pattern matches every
    // title, the station still counts.
    for (const char* title : {"Title", "("}) {
        for (const std::int32_t type : {std::int32_t{kFindBoth}, std::int32_t{7}}) {
            RenameRule both = title_rule(title, "");
            both.FindType = type;
            both.FindTextCh = "Ch1";
            EXPECT_TRUE(rule_matches(candidate, both)) << title << type;
            both.FindTextCh = "Ch2";
            EXPECT_FALSE(rule_matches(candidate, both)) << title << type;
        }
    }
    EXPECT_TRUE(rule_matches(candidate, title_rule("(", "@TT")));
}

TEST(RuleEngine, ResultFieldsAndScheduleLookup) {
    ProgramInfo candidate = sample_programme();
    candidate.resultTitle = candidate.resultSubtitle = candidate.resultChannel = "stale";
    candidate.resultNumbers = "#9";
    int calls = 0;
    const ScheduleLookup lookup = [&calls](ProgramInfo& info, const RenameRule& rule,
                                           std::string_view name) {
        ++calls;
        EXPECT_EQ(rule.SyoboFind, "@TT");
        EXPECT_EQ(name, "old.ts");
        EXPECT_TRUE(info.resultTitle.empty());  // emptied before the lookup
        info.resultTitle = "Looked";
        info.resultNumbers = "#1,#3";
        info.resultSubtitle = cp932(" 「Sub2」 ");
        info.resultChannel = "Ch9";
        return ScheduleDecision{};
    };
    auto run = [&](const RenameRule& rule, const ScheduleLookup& with) {
        std::string output;
        return apply_rule("old.ts", candidate, rule, output, with) ? utf8(output) : "<no match>";
    };

    // A rule that does not match changes nothing and asks nobody.
    RenameRule other = title_rule("Nothing", "@TT");
    other.SyoboFind = "@TT";
    EXPECT_EQ(run(other, lookup), "<no match>");
    EXPECT_EQ(candidate.resultNumbers, "#9");
    // Without a search word the lookup is not called and the results are emptied.
    EXPECT_EQ(run(title_rule("Title", "@TT @2nb @CH"), lookup), "Title 00 Ch1");
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(candidate.resultTitle.empty() && candidate.resultNumbers.empty() &&
                candidate.resultSubtitle.empty() && candidate.resultChannel.empty());

    RenameRule searching = title_rule("Title", "@TT @2nb@sb[@CH]");
    searching.SyoboFind = "@TT";
    EXPECT_EQ(run(searching, lookup), "Looked 01-03「Sub2」[Ch9]");
    EXPECT_EQ(calls, 1);
    // With a search word but no lookup the candidate's own fields are used.
    EXPECT_EQ(run(searching, {}), "Title 00「Sub」[Ch1]");
}

TEST(RuleEngine, FirstMatchingRuleWinsAndIsCut) {
    ProgramInfo candidate = sample_programme();
    const std::vector<RenameRule> rules = {title_rule("Other", "first"),
                                           title_rule("Tit", "second @TT"),
                                           title_rule("Title", "third")};
    std::string result = "previous";
    EXPECT_TRUE(apply_first_rule({title_rule("Title", "")}, {}, candidate, result));
    EXPECT_TRUE(result.empty());  // an empty template still matches
    EXPECT_TRUE(apply_first_rule(rules, {}, candidate, result));
    EXPECT_EQ(result, "second Title");
    EXPECT_FALSE(apply_first_rule({rules[0]}, {}, candidate, result));
    EXPECT_EQ(result, "second Title");
    EXPECT_FALSE(apply_first_rule({}, {}, candidate, result));

    // 1 + 300 two-byte characters: the cut falls before the character that would pass 500 bytes.
    std::string long_name;
    for (int i = 0; i < 300; ++i) long_name += cp932("あ");
    candidate.eventName = long_name;
    EXPECT_TRUE(apply_first_rule({title_rule("Title", "x@TT")}, {}, candidate, result));
    EXPECT_EQ(result, "x" + long_name.substr(0, 498));
}

}  // namespace
}  // namespace kalvento::test
