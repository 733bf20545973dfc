// The logic behind the rule dialogs and the rule popup of the window: the
// rule that names a row, templates, the cleaned programme name, the edits of
// numbering entries, the live preview, and the rule steps of the window's
// naming, which leave schedule lookups to a worker or stop them.
#include "app/numbering_edit.h"
#include "app/rule_preview.h"
#include "app/rule_shortcuts.h"
#include "app/window_rule_steps.h"
#include "naming/entry_paths.h"
#include "platform/codepage.h"
#include "tests/support/local_http_server.h"
#include "text/pattern_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stop_token>
#include <string>
#include <vector>

namespace kalvento::test {
namespace {

RenameRule rule(std::string_view find, std::string_view templ, std::string_view station = "") {
    RenameRule rule;
    rule.FindText = cp932(find);
    rule.FindTextCh = cp932(station);
    derive_find_type(rule);
    rule.RenameText = cp932(templ);
    return rule;
}

ProgramInfo programme(std::string_view name, std::string_view channel = "カルヴェントテレビ") {
    ProgramInfo info;
    info.eventName = info.title = cp932(name);
    info.channelName = cp932(channel);
    info.startTime = 1712491200;  // Sunday 2024-04-07 21:00 in Japan
    info.dateMD = cp932("04月07日(日)");
    info.dateISO28 = "2024-04-07";
    return info;
}

// The rule, asking the schedule service for the programme's title.
RenameRule searching(RenameRule rule) {
    rule.SyoboFind = "@TT";
    return rule;
}

std::string u8(const std::string& cp932_text) {
    return cp932_to_utf8_lossy(cp932_text);
}

TEST(RuleShortcuts, MatchingRuleAndTemplates) {
    const RuleList rules = {rule("Temp:連ドラ", "@TT 第@2nb話"), rule("ドラマ", "@TT"),
                            rule("ニュース", "@TT"), rule("TEMP:アニメ", "@TT #@NB"),
                            rule("tem:", "x")};
    EXPECT_EQ(first_matching_rule(rules, programme("夜のドラマ")), 1u);
    EXPECT_FALSE(first_matching_rule(rules, programme("映画")));

    const std::vector<TemplateChoice> choices = template_choices(rules);
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0].rule, 0u);
    EXPECT_EQ(u8(choices[0].label), "「連ドラ」で作成");
    EXPECT_EQ(u8(choices[1].label), "「アニメ」で作成");

    RuleList many(150, rule("temp:x", ""));
    EXPECT_EQ(template_choices(many).size(), kMaxTemplateChoices);
}

TEST(RuleShortcuts, NewRuleFromATemplateCleansTheProgrammeName) {
    EXPECT_EQ(u8(clean_programme_name(cp932("＜新＞＜字＞ドラマ「約束」＃５ [字][再]（終）"))),
              "ドラマ");
    // Inner blanks stay where a piece was cut out.
    EXPECT_EQ(u8(clean_programme_name(cp932("　アニメ 第12話 後編 #3"))), "アニメ  後編");
    // Each pattern takes its first match only: a second 「…」 stays.
    EXPECT_EQ(u8(clean_programme_name(cp932("「一」番組「二」"))), "番組「二」");

    RenameRule templ = rule("temp:連ドラ", "@TT 第@2nb話「@sb」");
    templ.SectionIndex = 4;
    templ.Modified = 1;
    templ.Numbering.push_back({.StartTime = 1, .StartNo = 2, .WeekCheck = {}});
    const RenameRule made = rule_from_template(templ, programme("ドラマ「約束」#5", "局Ａ"));
    EXPECT_EQ(u8(made.FindText), "ドラマ");
    EXPECT_EQ(u8(made.FindTextCh), "局Ａ");
    EXPECT_EQ(made.RenameText, templ.RenameText);
    EXPECT_EQ(made.Numbering.size(), 1u);
    EXPECT_EQ(made.SectionIndex, -1);
    EXPECT_EQ(made.Modified, 0);
}

TEST(NumberingEdit, AddDeleteAndOrder) {
    std::vector<NumberingEntry> entries;
    EXPECT_EQ(delete_numbering_entry(entries, 3), 0u);
    EXPECT_EQ(add_numbering_entry(entries, 5), 0u);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].StartTime, 0);
    entries[0] = {.StartTime = 100, .StartNo = 1, .WeekCheck = {0, 1, 0, 0, 0, 0, 0}};
    EXPECT_EQ(add_numbering_entry(entries, 0), 1u);  // a copy right after the shown one
    entries[1].StartNo = 9;
    EXPECT_EQ(add_numbering_entry(entries, 0), 1u);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].StartNo, 1);
    EXPECT_EQ(entries[2].StartNo, 9);
    // Deleting the last shows the one before it.
    EXPECT_EQ(delete_numbering_entry(entries, 2), 1u);
    EXPECT_EQ(entries.size(), 2u);
    EXPECT_EQ(clamp_entry_index(entries, 7), 1u);

    std::vector<NumberingEntry> unordered = {{.StartTime = 300, .StartNo = 1, .WeekCheck = {}},
                                             {.StartTime = 100, .StartNo = 5, .WeekCheck = {}},
                                             {.StartTime = 100, .StartNo = 2, .WeekCheck = {}},
                                             {.StartTime = 100, .StartNo = 2, .WeekCheck = {1}}};
    sort_numbering_entries(unordered);
    EXPECT_EQ(unordered[0].StartNo, 2);
    EXPECT_EQ(unordered[0].WeekCheck[0], 1);  // of two equal entries the later comes first
    EXPECT_EQ(unordered[1].WeekCheck[0], 0);
    EXPECT_EQ(unordered[2].StartNo, 5);
    EXPECT_EQ(unordered[3].StartTime, 300);
}

TEST(RulePreview, NameOfTheRowOrWhyNot) {
    NamingSettings naming;
    naming.items = {1, 0, 0, 0};
    const FileEntry entry = make_file_entry("/rec/a.ts", {programme("ドラマ「約束」[字]")});

    RulePreview preview =
        preview_rule(rule("ドラマ", "@C'\\[字\\]'@TT/@mm月@dd日"), &entry, naming);
    EXPECT_EQ(preview.kind, PreviewKind::name);
    EXPECT_EQ(u8(preview.text), "ドラマ「約束」／04月07日.ts");
    EXPECT_FALSE(preview.withoutSchedule);
    EXPECT_EQ(u8(entry.candidates[0].eventName), "ドラマ「約束」[字]");  // untouched

    EXPECT_EQ(preview_rule(rule("映画", "@TT"), &entry, naming).kind, PreviewKind::noMatch);
    EXPECT_EQ(preview_rule(rule("ドラマ", "@TT", "^別局$"), &entry, naming).kind,
              PreviewKind::noMatch);
    EXPECT_EQ(preview_rule(rule("ドラマ", "@TT"), nullptr, naming).kind, PreviewKind::noRecording);
    const FileEntry no_data = make_file_entry("/rec/b.ts", {ProgramInfo{}});
    EXPECT_EQ(preview_rule(rule("ドラマ", "@TT"), &no_data, naming).kind, PreviewKind::noProgramme);

    // The first pattern that cannot be used is named, with its field.
    preview = preview_rule(rule("ドラマ(", "@TT"), &entry, naming);
    EXPECT_EQ(preview.kind, PreviewKind::badPattern);
    EXPECT_EQ(preview.field, PatternField::findText);
    EXPECT_FALSE(preview.text.empty());
    preview = preview_rule(rule("ドラマ", "@TT@R'[/x'@C'('"), &entry, naming);
    EXPECT_EQ(preview.kind, PreviewKind::badPattern);
    EXPECT_EQ(preview.field, PatternField::renameText);
    EXPECT_EQ(preview.pattern, "[");

    preview = preview_rule(searching(rule("ドラマ", "@TT")), &entry, naming);
    EXPECT_EQ(preview.kind, PreviewKind::name);
    EXPECT_TRUE(preview.withoutSchedule);
}

TEST(RulePreview, ProblemsOfPatterns) {
    EXPECT_FALSE(pattern_problem(cp932("[０-９]+"), cp932("第５話")));
    EXPECT_TRUE(pattern_problem("(a"));
    // A pattern the matcher gives up on is reported, not thrown.
    EXPECT_TRUE(pattern_problem("(a*)*b", std::string(1000, 'a')));
}

TEST(WindowRuleSteps, EntriesWhoseRuleSearchesWaitForTheWorker) {
    // "[字]" would be cut from the programme name by the second rule's @C.
    const RuleList rules = {rule("ニュース", "@TT 定時"),
                            searching(rule("ドラマ", "@C'\\[字\\]'@TT"))};
    std::vector<std::string> deferred;
    const RuleStep step = make_deferring_rule_step(
        rules, [&](const FileEntry& e) { deferred.push_back(e.nativePath); });

    FileEntry news = make_file_entry("/rec/a.ts", {programme("ニュース")});
    std::string result = "old";
    EXPECT_TRUE(step(news, news.candidates[0], result));
    EXPECT_EQ(result, cp932("ニュース 定時"));
    EXPECT_TRUE(deferred.empty());

    FileEntry drama = make_file_entry("/rec/a.ts", {programme("ドラマ[字]")});
    result = "old";
    EXPECT_TRUE(step(drama, drama.candidates[0], result));
    EXPECT_EQ(result, "");
    EXPECT_EQ(deferred, (std::vector<std::string>{"/rec/a.ts"}));
    EXPECT_EQ(drama.candidates[0].eventName, cp932("ドラマ[字]"));  // untouched

    FileEntry other = make_file_entry("/rec/a.ts", {programme("映画")});
    EXPECT_FALSE(step(other, other.candidates[0], result));
    EXPECT_TRUE(rule_needs_schedule(rules, drama.candidates[0]));
    EXPECT_FALSE(rule_needs_schedule(rules, news.candidates[0]));
    EXPECT_FALSE(rule_needs_schedule(rules, other.candidates[0]));
}

TEST(WindowRuleSteps, AStopEndsAWaitingLookup) {
    // A server that takes the request and never answers.
    LocalHttpServer server([](const std::string&) { return CannedReply{"", true}; });
    ScheduleService service;
    service.baseUrl = server.base_url();
    service.waitRounds = 300;  // 30 s if nothing stopped it
    std::stop_source stopper;
    const RuleStep step =
        make_stoppable_rule_step({searching(rule("ドラマ", "@TT!"))}, service, stopper.get_token());

    FileEntry drama = make_file_entry("/rec/a.ts", {programme("ドラマ")});
    auto composed = std::async(std::launch::async, [&] {
        std::string result;
        step(drama, drama.candidates[0], result);
        return result;
    });
    for (int i = 0; i < 200 && server.request_count() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(server.request_count(), 1u);
    const auto asked = std::chrono::steady_clock::now();
    stopper.request_stop();
    ASSERT_EQ(composed.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));
    EXPECT_EQ(composed.get(), cp932("ドラマ!"));

    // Once stopped, no lookup starts.
    FileEntry again = make_file_entry("/rec/a.ts", {programme("ドラマ 第2話")});
    std::string result;
    EXPECT_TRUE(step(again, again.candidates[0], result));
    EXPECT_EQ(server.request_count(), 1u);
}

}  // namespace
}  // namespace kalvento::test
