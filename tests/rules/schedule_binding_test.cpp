#include "rules/schedule_binding.h"

#include "platform/codepage.h"
#include "tests/schedule/schedule_test_util.h"
#include "tests/support/local_http_server.h"
#include "text/text_edit.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace kalvento::test {
namespace {

const std::string kDayInQuery = "2010%2F01%2F05";

// Serves the body of the first route whose key occurs in the request; a 404
// without rows otherwise.
LocalHttpServer::Responder routes(std::vector<std::pair<std::string, std::string>> table) {
    return [table = std::move(table)](const std::string& request) {
        for (const auto& [key, body] : table)
            if (request.find(key) != std::string::npos) return CannedReply{http_reply(body)};
        return CannedReply{http_reply("<p>not found</p>", "404 Not Found")};
    };
}

ScheduleService service_for(const std::string& base_url) {
    ScheduleService service;
    service.baseUrl = base_url;
    service.waitRounds = 50;
    service.roundLength = std::chrono::milliseconds(100);
    service.requestGap = std::chrono::milliseconds(0);
    return service;
}

ProgramInfo recording() {
    ProgramInfo info;
    info.eventName = cp932("＜字＞番組名「サブ」#5");
    info.title = info.eventName;
    info.channelName = cp932("放送局");
    info.dateISO28 = "2010-01-05";
    info.startTime = local_seconds(2010, 1, 6, 1, 30);
    return info;
}

RenameRule search_rule() {
    RenameRule rule;
    rule.FindText = cp932("番組名");
    rule.RenameText = cp932("@TT 第@2nb話 @sb");
    rule.SyoboFind = "@TT";
    rule.SyoboTT = rule.SyoboNB = rule.SyoboSB = rule.SyoboCH = 1;
    return rule;
}

// What the rule engine does in its step 3: results emptied, then the hook.
void apply(const ScheduleLookup& lookup, ProgramInfo& info, const RenameRule& rule) {
    info.resultTitle.clear();
    info.resultNumbers.clear();
    info.resultSubtitle.clear();
    info.resultChannel.clear();
    lookup(info, rule, "rec.ts");
}

// The four result fields, in UTF-8, joined by "|".
std::string results(const ProgramInfo& info) {
    return cp932_to_utf8_lossy(info.resultTitle + "|" + info.resultNumbers + "|" +
                               info.resultSubtitle + "|" + info.resultChannel);
}

std::string request_line(const std::string& request) {
    return request.substr(0, request.find("\r\n"));
}

const std::string kTitleWord = url_encode(cp932("番組名"));

TEST(ScheduleQuery, NearestRowFillsTheResultsAndIsFetchedOnce) {
    LocalHttpServer server(routes(
        {{"&r=3&",
          result_page(
              result_line("2010/01/05(火)", "19:30-20:00", "番組名 #4 前の話", "BS11") +
              result_line("2010/01/05(火)", "25:30-26:00", "番組名 #5 今回の話", "TOKYO MX", "新") +
              result_line("2010/01/06(水)", "05:00-05:30", "番組名 #6 次の話", "BS11"))}}));
    ScheduleService service = service_for(server.base_url() + "/");
    std::vector<std::string> logged;
    int pumped = 0;
    service.notices = NoticeSink([&](const Notice& notice) { logged.push_back(notice.text); });
    service.pump = [&] { ++pumped; };
    const ScheduleLookup lookup = make_schedule_lookup(service);

    ProgramInfo info = recording();
    const RenameRule rule = search_rule();
    apply(lookup, info, rule);
    ASSERT_EQ(server.request_count(), 1u);
    EXPECT_EQ(request_line(server.requests()[0]), "GET /find?sd=2&kw=" + kTitleWord +
                                                      "&ch=&st=&cm=&r=3&rd=" + kDayInQuery + "-" +
                                                      kDayInQuery + "&v=0 HTTP/1.0");
    EXPECT_EQ(info.queryKey, "@TT");
    EXPECT_EQ(info.queryTitle, cp932("番組名 #5 今回の話"));
    EXPECT_NE(info.queryRow.find("25:30-26:00"), std::string::npos);
    EXPECT_EQ(info.querySpan, cp932("新"));
    EXPECT_EQ(results(info), "番組名|#5|今回の話|TOKYO MX");
    EXPECT_GE(pumped, 1);
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged[0], server.base_url() + "/find?sd=2&kw=" + kTitleWord +
                             "&ch=&st=&cm=&r=3&rd=" + kDayInQuery + "-" + kDayInQuery + "&v=0");

    // The same search again: the stored row, no second fetch.
    apply(lookup, info, rule);
    EXPECT_EQ(server.request_count(), 1u);
    EXPECT_EQ(results(info), "番組名|#5|今回の話|TOKYO MX");

    // Only the flags that are set fill their field.
    RenameRule title_only = rule;
    title_only.SyoboNB = title_only.SyoboSB = title_only.SyoboCH = 0;
    apply(lookup, info, title_only);
    EXPECT_EQ(results(info), "番組名|||");
}

TEST(ScheduleQuery, SubtitleSearchTakesTheFirstRow) {
    LocalHttpServer server(routes(
        {{"&r=0&",
          result_page(
              result_line("2009/12/01(火)", "10:00-10:30", "番組名 #12 最終回", "BS11") +
              result_line("2010/01/05(火)", "25:30-26:00", "番組名 #5 別の話", "TOKYO MX"))}}));
    const ScheduleLookup lookup = make_schedule_lookup(service_for(server.base_url()));
    ProgramInfo info = recording();
    info.eventText = cp932("「最終回」");
    RenameRule rule = search_rule();
    rule.SyoboFindSt = "@SB";
    apply(lookup, info, rule);
    ASSERT_EQ(server.request_count(), 1u);
    EXPECT_NE(server.requests()[0].find("&st=" + url_encode(cp932("最終回")) + "&cm=&r=0&"),
              std::string::npos);
    EXPECT_EQ(results(info), "番組名|#12|最終回|BS11");
}

TEST(ScheduleQuery, SearchesThatFindNothingAreNotRepeated) {
    LocalHttpServer server(routes({{"GET", result_page("<tr><td>no match</td></tr>\n")}}));
    const ScheduleLookup lookup = make_schedule_lookup(service_for(server.base_url()));
    ProgramInfo info = recording();
    RenameRule rule = search_rule();
    const ScheduleDecision asked = lookup(info, rule, "rec.ts");
    const ScheduleDecision again = lookup(info, rule, "rec.ts");
    EXPECT_EQ(server.request_count(), 1u);
    // The second answer is the first one's, and says so.
    EXPECT_EQ(asked.outcome, ScheduleOutcome::notFound);
    EXPECT_FALSE(asked.remembered);
    EXPECT_EQ(asked.keyword + " " + asked.day, cp932("番組名 2010-01-05"));
    EXPECT_EQ(again.outcome, ScheduleOutcome::notFound);
    EXPECT_TRUE(again.remembered);
    EXPECT_EQ(again.keyword, asked.keyword);
    EXPECT_EQ(info.queryKey, "@TT");
    EXPECT_EQ(info.queryRow + results(info), "|||");

    // Other search texts make a new search.
    rule.SyoboFindCh = "@CH";
    apply(lookup, info, rule);
    ASSERT_EQ(server.request_count(), 2u);
    EXPECT_NE(server.requests()[1].find("&ch=" + url_encode(cp932("放送局")) + "&st=&"),
              std::string::npos);

    // A search word that comes out empty is not sent at all.
    rule.SyoboFind = "@G1";
    apply(lookup, info, rule);
    EXPECT_EQ(server.request_count(), 2u);
    EXPECT_EQ(info.queryKey, "@G1@CH");

    // An address over 4095 bytes is not sent either.
    const ScheduleLookup long_base =
        make_schedule_lookup(service_for(server.base_url() + "/" + std::string(4000, 'p')));
    ProgramInfo other = recording();
    apply(long_base, other, search_rule());
    EXPECT_EQ(server.request_count(), 2u);
    EXPECT_EQ(other.queryKey, "@TT");
}

TEST(ScheduleQuery, ServiceThatCannotBeReachedLeavesTheCandidatesOwnFields) {
    ScheduleService service = service_for(unreachable_base_url());
    std::vector<std::string> logged;
    service.notices = NoticeSink([&](const Notice& notice) { logged.push_back(notice.text); });
    ProgramInfo info = recording();
    apply(make_schedule_lookup(service), info, search_rule());
    EXPECT_EQ(info.queryKey, "@TT");
    EXPECT_EQ(info.queryRow + results(info), "|||");
    EXPECT_GE(logged.size(), 2u);  // the address and why it failed
}

TEST(ScheduleQuery, RowOfSeveralEpisodesFetchesTheirSubtitles) {
    const std::string first = result_page(
        result_line("2010/01/05(火)", "25:30-27:00", "番組名 #3～#5", "TOKYO MX", "一挙"));
    const std::string episodes =
        result_page(result_line("2009/10/01(木)", "25:30-26:00", "番組名 #5 その五", "TOKYO MX") +
                    result_line("2009/09/24(木)", "25:30-26:00", "番組名 #4 その四", "TOKYO MX") +
                    result_line("2009/09/17(木)", "25:30-26:00", "番組名 #3 その三", "TOKYO MX") +
                    result_line("2009/09/17(木)", "26:00-26:30", "番組名 #3 再放送", "BS11"));
    LocalHttpServer server(routes({{"rd=1%2F1%2F1-", episodes}, {"&r=3&", first}}));
    const ScheduleLookup lookup = make_schedule_lookup(service_for(server.base_url()));

    ProgramInfo info = recording();
    const RenameRule rule = search_rule();
    apply(lookup, info, rule);
    ASSERT_EQ(server.request_count(), 2u);
    EXPECT_EQ(request_line(server.requests()[1]), "GET /find?sd=2&kw=" + kTitleWord +
                                                      "&ch=&st=&cm=&r=3&rd=1%2F1%2F1-" +
                                                      kDayInQuery + "&v=0 HTTP/1.0");
    EXPECT_EQ(info.resultNumbers, "#3,#5");
    EXPECT_EQ(info.resultSubtitle, cp932("「その三」、「その四」、「その五」"));
    EXPECT_EQ(info.queryMemo, info.resultSubtitle);

    apply(lookup, info, rule);
    EXPECT_EQ(server.request_count(), 2u);
    EXPECT_EQ(info.resultSubtitle, cp932("「その三」、「その四」、「その五」"));

    // Without the numbers flag there is no second search, and the lone range
    // mark is no subtitle.
    ProgramInfo plain = recording();
    RenameRule no_numbers = rule;
    no_numbers.SyoboNB = 0;
    apply(lookup, plain, no_numbers);
    EXPECT_EQ(server.request_count(), 3u);
    EXPECT_EQ(results(plain), "番組名|||TOKYO MX");
}

TEST(ScheduleQuery, SecondSearchFromTheStoredRowSendsTheCleanedWord) {
    const std::string first = result_page(
        result_line("2010/01/05(火)", "25:30-27:00", "番組名 #3～#5", "TOKYO MX", "一挙"));
    LocalHttpServer server(routes(
        {{"rd=1%2F1%2F1-", result_page(result_line("2009/10/01", "1:00-2:00", "別番組 #3 x", "X"))},
         {"&r=3&", first}}));
    const ScheduleLookup lookup = make_schedule_lookup(service_for(server.base_url()));
    ProgramInfo info = recording();
    const RenameRule rule = search_rule();
    apply(lookup, info, rule);
    ASSERT_EQ(server.request_count(), 2u);
    EXPECT_EQ(info.queryMemo + info.resultSubtitle, "");

    // The row comes from the candidate now; the word is built again from the
    // rule and the candidate, not sent as the raw "@TT".
    apply(lookup, info, rule);
    ASSERT_EQ(server.request_count(), 3u);
    EXPECT_EQ(server.requests()[2].rfind("GET /find?sd=2&kw=" + kTitleWord + "&ch=&st=&", 0), 0u);
}

TEST(ScheduleQuery, TemplateAndSearchMacrosShapeTheRequest) {
    LocalHttpServer server(routes({}));
    const ScheduleLookup lookup = make_schedule_lookup(service_for(server.base_url()));
    ProgramInfo info = recording();
    info.eventName = cp932("番組名ほげ「サブ」");
    RenameRule rule = search_rule();
    // @C and @MST of the template act on the search, @R does not.
    rule.RenameText = cp932("@C'ほげ'@R'番組/X'@MST@TT");
    rule.SyoboFind = "@TT @2nb";
    rule.SyoboFindSt = "@SB";
    apply(lookup, info, rule);
    ASSERT_EQ(server.request_count(), 1u);
    EXPECT_EQ(server.requests()[0].rfind("GET /find?sd=2&kw=" + url_encode(cp932("番組名 @2nb")) +
                                             "&ch=&st=" + url_encode(cp932("サブ")) + "&cm=&r=0&",
                                         0),
              0u);
    EXPECT_EQ(info.eventName, cp932("番組名ほげ「サブ」"));
}

}  // namespace
}  // namespace kalvento::test
