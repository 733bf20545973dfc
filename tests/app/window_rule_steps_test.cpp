#include "app/window_rule_steps.h"

#include "naming/entry_paths.h"
#include "platform/codepage.h"
#include "tests/support/local_http_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stop_token>
#include <string>
#include <vector>

namespace kalvento::test {
namespace {

RenameRule rule(std::string_view utf8_pattern, std::string_view utf8_template,
                std::string search_word = {}) {
    RenameRule rule;
    rule.FindText = cp932(utf8_pattern);
    rule.FindType = kFindProgramme;
    rule.RenameText = cp932(utf8_template);
    rule.SyoboFind = std::move(search_word);
    return rule;
}

FileEntry entry(std::string_view utf8_name) {
    ProgramInfo info;
    info.eventName = info.title = cp932(utf8_name);
    info.startTime = 1712491200;
    info.dateISO28 = "2024-04-07";
    return make_file_entry("/rec/a.ts", {info});
}

TEST(WindowRuleSteps, EntriesWhoseRuleSearchesWaitForTheWorker) {
    // "[字]" would be cut from the programme name by the second rule's @C.
    const RuleList rules = {rule("ニュース", "@TT 定時"), rule("ドラマ", "@C'\\[字\\]'@TT", "@TT")};
    std::vector<std::string> deferred;
    const RuleStep step = make_deferring_rule_step(
        rules, [&](const FileEntry& e) { deferred.push_back(e.nativePath); });

    FileEntry news = entry("ニュース");
    std::string result = "old";
    EXPECT_TRUE(step(news, news.candidates[0], result));
    EXPECT_EQ(result, cp932("ニュース 定時"));
    EXPECT_TRUE(deferred.empty());

    FileEntry drama = entry("ドラマ[字]");
    result = "old";
    EXPECT_TRUE(step(drama, drama.candidates[0], result));
    EXPECT_EQ(result, "");
    EXPECT_EQ(deferred, (std::vector<std::string>{"/rec/a.ts"}));
    EXPECT_EQ(drama.candidates[0].eventName, cp932("ドラマ[字]"));  // untouched

    FileEntry other = entry("映画");
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
        make_stoppable_rule_step({rule("ドラマ", "@TT!", "@TT")}, service, stopper.get_token());

    FileEntry drama = entry("ドラマ");
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
    FileEntry again = entry("ドラマ 第2話");
    std::string result;
    EXPECT_TRUE(step(again, again.candidates[0], result));
    EXPECT_EQ(server.request_count(), 1u);
}

}  // namespace
}  // namespace kalvento::test
