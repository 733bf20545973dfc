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

TEST(CliRenameRules, ExplainTellsTheRuleTheScheduleAnswerAndTheCount) {
    // The service knows the drama's episode 5, and nothing of its sequel.
    const std::string page =
        "<html><body><table>\n<tr><td>2024/04/07 &nbsp;21:00-21:54</td><td><a "
        "href=\"/tid/77\">夜のドラマ #5 嵐の夜</a></td><td>ミナト</td></tr>\n"
        "</table></body></html>\n";
    const std::string sequel_word = "%E5%A4%96%E4%BC%9D";  // 外伝
    LocalHttpServer server([&](const std::string& request) {
        const bool sequel = request.find(sequel_word) != std::string::npos;
        return CannedReply{http_reply(
            sequel ? "<html><body><table>\n<tr><td>no match</td></tr>\n</table></body></html>\n"
                   : page)};
    });

    // Rule 1 takes the news only; rule 2 takes the drama with the subtitle of
    // the schedule row and its own count from Sunday 31 March (episode 1).
    CliScratch scratch;
    scratch.write_ini(
        "[KalventoDlg]\nOmbrixRename=1\nFilenameSet1000=1\nScheduleBaseUrl=" + server.base_url() +
        "\n[OmbrixReName]\nIndexNo=1\n[OmbrixReNameSet000000]\nFindText=ニュース\n"
        "FindType=1\nRenameText=@TT\n[OmbrixReNameSet000001]\nFindText=夜のドラマ\nFindType=1\n"
        "RenameText=@TT 第@2nb話 @sb\nSyoboFind=@TT\nSyoboSB=1\nStartTime=1711810800\n"
        "StartNo=1\nWeekCheck0=1\n");
    write_drama(scratch.file("drama.ts"), 1, "夜のドラマ");
    write_drama(scratch.file("sequel.ts"), 2, "夜のドラマ外伝");
    write_drama(scratch.file("other.ts"), 3, "昼の番組");

    const CliRun run =
        scratch.run({"rename", "--dry-run", "--json", "--explain", scratch.file("drama.ts"),
                     scratch.file("sequel.ts"), scratch.file("other.ts")});
    EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
    const std::vector<json> lines = json_lines(run);
    ASSERT_EQ(lines.size(), 3u) << run.output;

    // The row gave the subtitle, the rule's count the number: 31 March and 7 April.
    EXPECT_EQ(lines[0]["newName"], "夜のドラマ 第02話 嵐の夜.ts");
    EXPECT_EQ(
        lines[0]["decision"],
        json::parse(R"({"candidate": {"number": 1, "reason": "largestShare",
                                            "videoPackets": )" +
                    std::to_string(lines[0]["decision"]["candidate"]["videoPackets"].get<int>()) +
                    R"(},
                 "namedBy": "rule",
                 "rule": {"number": 2, "findText": "夜のドラマ", "findTextCh": ""},
                 "schedule": {"keyword": "夜のドラマ", "from": "2024-04-07", "to": "2024-04-07",
                              "found": true, "outcome": "found", "remembered": false,
                              "row": {"title": "夜のドラマ", "numbers": "#5",
                                      "subtitle": "嵐の夜", "channel": "ミナト"}},
                 "numbering": {"entry": {"start": "2024-03-31", "first": 1, "days": ["sun"]},
                               "count": 2}})"));
    EXPECT_GT(lines[0]["decision"]["candidate"]["videoPackets"], 0);

    // A search that finds nothing is told as a warning, and the name falls
    // back on the programme's own fields.
    EXPECT_EQ(lines[1]["decision"]["schedule"]["found"], false);
    EXPECT_EQ(lines[1]["decision"]["schedule"]["row"], nullptr);
    EXPECT_EQ(lines[1]["decision"]["schedule"]["keyword"], "夜のドラマ外伝");
    ASSERT_EQ(lines[1]["warnings"].size(), 1u) << lines[1];
    EXPECT_NE(lines[1]["warnings"][0].get<std::string>().find(
                  "found nothing for \"夜のドラマ外伝\" on 2024-04-07"),
              std::string::npos);
    EXPECT_NE(run.errors.find("warning: " + scratch.file("sequel.ts")), std::string::npos)
        << run.errors;

    // No rule takes the third: the items name it.
    EXPECT_EQ(lines[2]["newName"].get<std::string>().rfind("昼の番組", 0), 0u);
    EXPECT_EQ(lines[2]["decision"]["namedBy"], "items");
    EXPECT_EQ(lines[2]["decision"]["rule"], nullptr);
    EXPECT_EQ(lines[2]["decision"]["schedule"], nullptr);

    // analyse --explain tells the same decision (its answer comes from the
    // state folder), and without --explain neither command asks the service.
    const std::size_t asked = server.request_count();
    const CliRun analysed =
        scratch.run({"analyse", "--json", "--explain", scratch.file("drama.ts")});
    EXPECT_EQ(analysed.exitCode, 0) << analysed.errors;
    EXPECT_EQ(only_line(analysed)["decision"], lines[0]["decision"]);
    EXPECT_EQ(only_line(analysed)["newName"], lines[0]["newName"]);
    const CliRun plain = scratch.run({"analyse", "--json", scratch.file("sequel.ts")});
    EXPECT_FALSE(only_line(plain).contains("decision"));
    EXPECT_EQ(server.request_count(), asked);

    // In text, the reasons follow the file's line.
    const CliRun text = scratch.run({"rename", "--dry-run", "--explain", scratch.file("drama.ts")});
    EXPECT_EQ(lines_of(text.output),
              (std::vector<std::string>{
                  scratch.file("drama.ts") + " -> " + scratch.file("夜のドラマ 第02話 嵐の夜.ts") +
                      "  (dry run)",
                  "  why: candidate 1 of 1: the largest share of the analysed window (" +
                      std::to_string(lines[0]["decision"]["candidate"]["videoPackets"].get<int>()) +
                      " video packets)",
                  "  why: rule 2 matched (\"夜のドラマ\")",
                  "  why: schedule service: \"夜のドラマ\" from 2024-04-07 to 2024-04-07: found "
                  "\"夜のドラマ\" #5 \"嵐の夜\"",
                  "  why: episode 2 counted from the numbering entry 2024-03-31:1:sun "
                  "(date:first number:days)"}));
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
