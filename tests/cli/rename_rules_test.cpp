// kalvento-cli rename with rename rules from the settings file, and with the
// schedule service answering from a local server (or not at all).
#include "tests/cli/cli_test_util.h"

namespace kalvento::test {
namespace {

// kalvento.ini with one rule: FindText "夜のドラマ" on the programme name
// only, and the given template and schedule settings; and rec.ts, that drama.
void write_rule_settings(const CliScratch& scratch, const std::string& rename_text,
                         const std::vector<std::string>& extra_rule_keys,
                         const std::string& schedule_base) {
    std::string ini = "[KalventoDlg]\nOmbrixRename=1\nScheduleBaseUrl=" + schedule_base +
                      "\n[OmbrixReName]\nIndexNo=0\n[OmbrixReNameSet000000]\n"
                      "FindText=夜のドラマ\nFindType=1\nRenameText=" +
                      rename_text + "\n";
    for (const std::string& key : extra_rule_keys) ini += key + "\n";
    scratch.write_ini(ini);
    write_drama(scratch.file("rec.ts"), 1, "夜のドラマ", "　嵐の前　");
}

TEST(CliRenameRules, ScheduleServiceGivesTitleNumberAndSubtitle) {
    const std::string page =
        "<html><body><table>\n"
        "<tr><td>2024/04/07 &nbsp;18:00-18:30</td><td><a href=\"/tid/77\">夜のドラマ #4 前の話"
        "</a></td><td>ミナト</td></tr>\n<tr><td>2024/04/07 &nbsp;21:00-21:54</td><td><a "
        "href=\"/tid/77\">夜のドラマ #5 嵐の夜</a></td><td>ミナト</td></tr>\n"
        "</table></body></html>\n";
    LocalHttpServer server([&](const std::string&) { return CannedReply{http_reply(page)}; });

    CliScratch scratch;
    write_rule_settings(scratch, "@TT 第@2nb話 @sb",
                        {"SyoboFind=@TT", "SyoboTT=1", "SyoboNB=1", "SyoboSB=1"},
                        server.base_url());

    const CliRun run = scratch.run({"rename", "--json", scratch.file("rec.ts")});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(fs::exists(scratch.file("夜のドラマ 第05話 嵐の夜.ts"))) << run.output;
    ASSERT_EQ(server.request_count(), 1u);
    const std::string request = server.requests()[0];
    EXPECT_NE(
        request.find("GET /find?sd=2&kw=%E5%A4%9C%E3%81%AE%E3%83%89%E3%83%A9%E3%83%9E&ch=&st=&cm="
                     "&r=3&rd=2024%2F04%2F07-2024%2F04%2F07&v=0 HTTP/1.0\r\n"),
        std::string::npos)
        << request;

    // The next run takes the answer kept in the state folder.
    const CliRun again =
        scratch.run({"rename", "--json", "--dry-run", scratch.file("夜のドラマ 第05話 嵐の夜.ts")});
    EXPECT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(server.request_count(), 1u);
    EXPECT_EQ(json::parse(again.output)["status"], "unchanged") << again.output;
}

TEST(CliRenameRules, WithoutTheServiceTheFileWaitsUnlessFallbackIsAllowed) {
    const std::string unreachable = unreachable_base_url();
    CliScratch scratch;
    write_rule_settings(scratch, "@TT 第@2nb話@sb (@YY-@MM-@DD)",
                        {"SyoboFind=@TT", "SyoboTT=1", "SyoboNB=1", "SyoboSB=1"}, unreachable);

    // An outage is not a wrong name: the file waits for a later run (75).
    const CliRun left = scratch.run({"rename", "--json", scratch.file("rec.ts")});
    EXPECT_EQ(left.exitCode, 75) << left.output;
    EXPECT_EQ(json::parse(left.output)["status"], "scheduleUnreachable");
    EXPECT_TRUE(fs::exists(scratch.file("rec.ts")));

    // Asked to, it is named from the candidate's own fields, as the window does.
    const CliRun run =
        scratch.run({"rename", "--json", "--allow-fallback", scratch.file("rec.ts")});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(only_line(run)["status"], "renamed");
    // No numbering entry: episode 0; @sb trims the ideographic spaces.
    EXPECT_TRUE(fs::exists(scratch.file("夜のドラマ 第00話嵐の前 (2024-04-07).ts"))) << run.output;

    // A service that never answers is given up after ScheduleTimeout seconds.
    LocalHttpServer silent(
        [](const std::string&) { return CannedReply{.bytes = "", .keepOpen = true}; });
    write_rule_settings(scratch, "@TT", {"SyoboFind=@TT"},
                        silent.base_url() + "\nScheduleTimeout=1");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(scratch.run({"rename", scratch.file("rec.ts")}).exitCode, 75);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(silent.request_count(), 1u);
}

TEST(CliRenameRules, MarksSentInTheKanjiSetAreRemovedByTheMenuRule) {
    // The title's [字][再] come as rows of the Kanji set, as broadcasters send
    // them; the macro menu's rule for such marks takes them off.
    CliScratch scratch;
    scratch.write_ini(
        "[KalventoDlg]\nOmbrixRename=1\n[OmbrixReName]\nIndexNo=0\n"
        "[OmbrixReNameSet000000]\nFindText=港町\nFindType=1\n"
        "RenameText=@C'(?:\\[.+?\\])+'@TT\n");
    write_drama(scratch.file("rec.ts"), 1, "ドラマ「港町」🈑🈞");

    const CliRun run = scratch.run({"rename", "--json", scratch.file("rec.ts")});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(fs::exists(scratch.file("ドラマ「港町」.ts"))) << run.output;
}

}  // namespace
}  // namespace kalvento::test
