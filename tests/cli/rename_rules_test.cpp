// kalvento-cli rename with rename rules from the settings file, and with the
// schedule service answering from a local server (or not at all).
#include "platform/codepage.h"
#include "tests/cli/cli_test_util.h"
#include "tests/support/local_http_server.h"
#include "tests/support/small_recording.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace kalvento {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::CliScratch;
using test::lines_of;

// kalvento.ini in CP932 with one rule: FindText "夜のドラマ" on the programme
// name only, and the given template and schedule settings.
void write_rule_settings(const CliScratch& scratch, const std::string& rename_text,
                         const std::vector<std::string>& extra_rule_keys,
                         const std::string& schedule_base) {
    std::string ini = "[KalventoDlg]\r\nOmbrixRename=1\r\n";
    if (!schedule_base.empty()) ini += "ScheduleBaseUrl=" + schedule_base + "\r\n";
    ini += "[OmbrixReName]\r\nIndexNo=0\r\n[OmbrixReNameSet000000]\r\n";
    ini += "FindText=夜のドラマ\r\nFindType=1\r\nRenameText=" + rename_text + "\r\n";
    for (const std::string& key : extra_rule_keys) ini += key + "\r\n";
    std::ofstream(scratch.file("config/kalvento.ini"), std::ios::binary) << cp932(ini);
}

void write_drama(const CliScratch& scratch) {
    ASSERT_TRUE(test::write_small_recording(scratch.file("rec.ts"),
                                            {.eventName = "夜のドラマ", .description = "　嵐の前　"}));
}

std::string only_status(const test::CliRun& run) {
    const auto lines = lines_of(run.output);
    return lines.size() == 1 ? json::parse(lines[0]).value("status", "") : "<" + run.output + ">";
}

TEST(CliRenameRules, TheFirstMatchingRuleNamesTheFile) {
    CliScratch scratch;
    write_rule_settings(scratch, "@TT 第@2nb話@sb (@YY-@MM-@DD)", {}, "");
    write_drama(scratch);

    const test::CliRun run = scratch.run({"rename", "--json", scratch.file("rec.ts")});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(only_status(run), "renamed");
    // No numbering entry: episode 0; @sb trims the ideographic spaces.
    EXPECT_TRUE(fs::exists(scratch.file("夜のドラマ 第00話嵐の前 (2024-04-07).ts")));
}

TEST(CliRenameRules, ScheduleServiceGivesTitleNumberAndSubtitle) {
    const std::string page =
        "<html><body><table>\n"
        "<tr><td>2024/04/07 &nbsp;18:00-18:30</td><td><a href=\"/tid/77\">夜のドラマ #4 前の話</a></td>"
        "<td>ミナト</td></tr>\n"
        "<tr><td>2024/04/07 &nbsp;21:00-21:54</td><td><a href=\"/tid/77\">夜のドラマ #5 嵐の夜</a></td>"
        "<td>ミナト</td></tr>\n"
        "</table></body></html>\n";
    test::LocalHttpServer server([&](const std::string&) { return test::CannedReply{test::http_reply(page)}; });

    CliScratch scratch;
    write_rule_settings(scratch, "@TT 第@2nb話 @sb",
                        {"SyoboFind=@TT", "SyoboTT=1", "SyoboNB=1", "SyoboSB=1"}, server.base_url());
    write_drama(scratch);

    const test::CliRun run = scratch.run({"rename", "--json", scratch.file("rec.ts")});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(fs::exists(scratch.file("夜のドラマ 第05話 嵐の夜.ts"))) << run.output;
    ASSERT_EQ(server.request_count(), 1u);
    const std::string request = server.requests()[0];
    EXPECT_NE(request.find("GET /find?sd=2&kw=%E5%A4%9C%E3%81%AE%E3%83%89%E3%83%A9%E3%83%9E&ch=&st=&cm="
                           "&r=3&rd=2024%2F04%2F07-2024%2F04%2F07&v=0 HTTP/1.0\r\n"),
              std::string::npos)
        << request;
}

TEST(CliRenameRules, WithoutTheServiceTheFileWaitsUnlessFallbackIsAllowed) {
    std::string unreachable;
    {
        // A server that has gone away: its port now refuses connections at once.
        test::LocalHttpServer gone([](const std::string&) { return test::CannedReply{}; });
        unreachable = gone.base_url();
    }
    CliScratch scratch;
    write_rule_settings(scratch, "@TT 第@2nb話 @sb",
                        {"SyoboFind=@TT", "SyoboTT=1", "SyoboNB=1", "SyoboSB=1"}, unreachable);
    write_drama(scratch);

    // An outage is not a wrong name: the file waits for a later run (75).
    const test::CliRun left = scratch.run({"rename", "--json", scratch.file("rec.ts")});
    EXPECT_EQ(left.exitCode, 75) << left.output;
    EXPECT_EQ(json::parse(left.output)["status"], "scheduleUnreachable");
    EXPECT_TRUE(fs::exists(scratch.file("rec.ts")));

    // Asked to, it is named from the candidate's own fields, as the window does.
    const test::CliRun run =
        scratch.run({"rename", "--json", "--allow-fallback", scratch.file("rec.ts")});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(fs::exists(scratch.file("夜のドラマ 第00話 嵐の前.ts"))) << run.output;
}

}  // namespace
}  // namespace kalvento
