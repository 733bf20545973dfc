// A schedule service that is down costs one wait per run, not one per file.
#include "platform/codepage.h"
#include "rules/schedule_binding.h"
#include "tests/support/local_http_server.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kalvento::test {
namespace {

TEST(ScheduleOutage, AfterTheFirstTimeoutLaterLookupsFailAtOnce) {
    // Accepts, reads the request and never answers.
    LocalHttpServer silent(
        [](const std::string&) { return CannedReply{.bytes = "", .keepOpen = true}; });
    ScheduleService service;
    service.baseUrl = silent.base_url();
    service.waitRounds = 3;
    service.roundLength = std::chrono::milliseconds(100);
    ScheduleSession session(service);

    RenameRule rule;
    rule.SyoboFind = "@TT";
    ProgramInfo first;
    first.eventName = cp932("番組名");
    first.dateISO28 = "2010-01-05";
    ProgramInfo second = first;
    second.eventName = cp932("別の番組");

    const auto started = std::chrono::steady_clock::now();
    schedule_lookup(session, first, rule, "a.ts");
    const auto first_done = std::chrono::steady_clock::now();
    schedule_lookup(session, second, rule, "b.ts");
    const auto second_done = std::chrono::steady_clock::now();

    EXPECT_GE(first_done - started, std::chrono::milliseconds(250));
    EXPECT_LT(second_done - first_done, std::chrono::milliseconds(100));
    EXPECT_TRUE(session.outage->ongoing());
    EXPECT_EQ(session.unreachableLookups, 2);
    EXPECT_EQ(silent.request_count(), 1u);
    EXPECT_TRUE(first.queryRow.empty());
    EXPECT_TRUE(second.queryRow.empty());
}

}  // namespace
}  // namespace kalvento::test
