#include "tests/cli/cli_test_util.h"

#include "platform/file_lock.h"

namespace kalvento::test {
namespace {

// The fields of an exchange line, as a message about a short line names them.
const std::string kFieldNames =
    ": find text, station, template, schedule title, schedule channel, schedule subtitle, TT, "
    "NB, SB, CH, number of numbering entries";

TEST(CliRules, ImportListExport) {
    CliScratch scratch;
    const std::string exchange = scratch.file("rules.txt");
    {
        std::ofstream out(exchange, std::ios::binary);
        out << cp932("表示") << "\t\t@TT\t\t\t\t0\t0\t0\t0\t0\r\n"
            << "short\tline\r\n"
            << "\tTOKYO MX\t@TT "
               "[@CH]\tword\t\t\t0\t0\t0\t0\t1\t1704380400\t5\t0\t1\t0\t0\t0\t0\t1\n"
            << "A\tB\tboth\t\t\t\t0\t0\t0\t0\t0\r\n";
    }
    const CliRun imported = scratch.run({"rules", "import", exchange});
    EXPECT_EQ(imported.exitCode, 0);
    EXPECT_EQ(imported.errors, "kalvento-cli: " + exchange + ": line 2: 2 fields, 11 expected" +
                                   kFieldNames + "\n3 rules added\n");
    EXPECT_TRUE(imported.output.empty());
    const std::string settings = read_all(scratch.file("config/kalvento.ini"));
    EXPECT_NE(settings.find("[OmbrixReName]\r\nIndexNo=2\r\n"), std::string::npos);

    const CliRun listed = scratch.run({"rules", "list"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.output,
              "1\t両方\tA,B\tboth\t\t\n"
              "2\t番組名\t表示\t@TT\t\t\n"
              "3\t放送局\tTOKYO MX\t@TT [@CH]\tword\t2024/01/05(金) #5 月土\n");

    const CliRun exported = scratch.run({"rules", "export", scratch.file("out.txt")});
    EXPECT_EQ(exported.exitCode, 0);
    EXPECT_EQ(exported.errors, "3 rules exported\n");
    EXPECT_EQ(read_all(scratch.file("out.txt")),
              "A\tB\tboth\t\t\t\t0\t0\t0\t0\t0\r\n" + cp932("表示") +
                  "\t\t@TT\t\t\t\t0\t0\t0\t0\t0\r\n" +
                  "\tTOKYO MX\t@TT "
                  "[@CH]\tword\t\t\t0\t0\t0\t0\t1\t1704380400\t5\t0\t1\t0\t0\t0\t0\t1\r\n");

    // A missing file changes nothing.
    EXPECT_EQ(scratch.run({"rules", "import", scratch.file("missing.txt")}).exitCode, 1);
    EXPECT_EQ(read_all(scratch.file("config/kalvento.ini")), settings);
}

TEST(CliRules, Utf8FilesInAndOut) {
    CliScratch scratch;
    const std::string settings = scratch.file("config/kalvento.ini");
    // UTF-8 without a byte-order mark, told apart by its non-ASCII text (also
    // when --encoding auto says so); a character CP932 lacks refuses its line only.
    const std::string utf8_lines =
        "夜のドラマ\t\t@TT 第@2nb話「@sb」\t\t\t\t0\t0\t0\t0\t0\r\n"
        "\tＢＳ\t@TT ☃ [@CH]\t\t\t\t0\t0\t0\t0\t0\r\n"
        "\tＢＳ\t@TT [@CH]\t\t\t\t0\t0\t0\t0\t1\t1704380400\t5\t0\t1\t0\t0\t0\t0\t1\r\n";
    write_text(scratch.file("utf8.txt"), utf8_lines);
    const CliRun imported =
        scratch.run({"rules", "import", "--encoding", "auto", scratch.file("utf8.txt")});
    EXPECT_EQ(imported.exitCode, 0);
    EXPECT_EQ(imported.errors, "kalvento-cli: " + scratch.file("utf8.txt") +
                                   ": line 2: the character '☃' (U+2603) has no CP932 "
                                   "(Shift-JIS) form\n2 rules added (read as UTF-8)\n");
    EXPECT_NE(read_all(settings).find(cp932("RenameText=@TT 第@2nb話「@sb」\r\n")),
              std::string::npos);

    // Out again as UTF-8 to standard output, and back in through standard
    // input, with a byte-order mark, into a second settings directory.
    const CliRun exported = scratch.run({"rules", "export", "--encoding", "utf-8", "-"});
    EXPECT_EQ(exported.exitCode, 0);
    EXPECT_EQ(exported.output,
              "夜のドラマ\t\t@TT 第@2nb話「@sb」\t\t\t\t0\t0\t0\t0\t0\r\n"
              "\tＢＳ\t@TT [@CH]\t\t\t\t0\t0\t0\t0\t1\t1704380400\t5\t0\t1\t0\t0\t0\t0\t1\r\n");
    write_text(scratch.file("marked.txt"), "\xEF\xBB\xBF" + exported.output);
    fs::create_directory(scratch.file("other"));
    const std::string other =
        "KALVENTO_DIR=" + shell_quote(scratch.file("other")) + " " + shell_quote(KALVENTO_CLI_PATH);
    ASSERT_EQ(
        run_shell(other + " rules import - <" + shell_quote(scratch.file("marked.txt"))).exitCode,
        0);
    EXPECT_EQ(read_all(scratch.file("other/kalvento.ini")), read_all(settings));

    // --encoding overrides the guess: the same UTF-8 bytes read as CP932 are
    // other text, and CP932 forced as UTF-8 is refused line by line.
    const CliRun as_cp932 = scratch.run({"rules", "export", "--encoding", "cp932", "-"});
    EXPECT_EQ(as_cp932.output.substr(0, 10), cp932("夜のドラマ"));
    write_text(scratch.file("cp932.txt"), as_cp932.output);
    const CliRun forced =
        scratch.run({"rules", "import", "--encoding", "utf-8", scratch.file("cp932.txt")});
    EXPECT_EQ(forced.exitCode, 1);
    EXPECT_NE(forced.errors.find(": line 1: not UTF-8 text\n"), std::string::npos) << forced.errors;
    EXPECT_NE(forced.errors.find("0 rules added"), std::string::npos);
}

// The UTF-16 form of UTF-8 text (surrogate pairs beyond the first plane).
std::string utf16(const std::string& utf8_text, bool big_endian) {
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    auto put = [&](unsigned unit) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += big_endian ? std::string{high, low} : std::string{low, high};
    };
    const std::wstring wide = utf8_to_wide(utf8_text).value_or(std::wstring());
    for (const wchar_t c : wide) {
        const auto code = static_cast<unsigned>(c);
        if (code < 0x10000) {
            put(code);
        } else {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    }
    return bytes;
}

TEST(CliRules, Utf16FilesAndLinesTooLongToKeep) {
    const std::string lines =
        "夜のドラマ\t\t@TT 第@2nb話\t\t\t\t0\t0\t0\t0\t0\r\n"
        "\tＢＳ\t@TT \xF0\x9F\x98\x80\t\t\t\t0\t0\t0\t0\t0\r\n"
        "\tＢＳ\t@TT [@CH]\t\t\t\t0\t0\t0\t0\t0\r\n";
    // What Windows Notepad saves as "Unicode", and its big-endian form; the
    // byte-order mark wins over an encoding that was asked for.
    for (const bool big_endian : {false, true}) {
        CliScratch scratch;
        const std::string file = scratch.file("unicode.txt");
        write_text(file, utf16(lines, big_endian));
        const CliRun imported =
            scratch.run({"rules", "import", "--encoding", big_endian ? "cp932" : "auto", file});
        EXPECT_EQ(imported.exitCode, 0);
        EXPECT_EQ(imported.errors,
                  "kalvento-cli: " + file +
                      ": line 2: the character '\xF0\x9F\x98\x80' (U+1F600) has no CP932 "
                      "(Shift-JIS) form\n2 rules added (read as UTF-16)\n");
        EXPECT_EQ(scratch.run({"rules", "list"}).output,
                  "1\t番組名\t夜のドラマ\t@TT 第@2nb話\t\t\n"
                  "2\t放送局\tＢＳ\t@TT [@CH]\t\t\n");
    }

    // A value longer than a rule keeps, or a line longer than is read at
    // once, is refused whole instead of being cut.
    CliScratch scratch;
    const std::string tail = "\t\t@TT\t\t\t\t0\t0\t0\t0\t0\r\n";
    const std::string file = scratch.file("long.txt");
    write_text(file, std::string(1024, 'x') + tail + std::string(1023, 'y') + tail + "z\t" +
                         std::string(70000, 'w') + tail);
    const CliRun imported = scratch.run({"rules", "import", file});
    EXPECT_EQ(imported.exitCode, 0);
    EXPECT_EQ(imported.errors,
              "kalvento-cli: " + file +
                  ": line 1: FindText has 1024 bytes, more than the 1023 a rule keeps; not "
                  "imported\nkalvento-cli: " +
                  file + ": line 3: longer than 65535 bytes; not imported\n1 rule added\n");
    EXPECT_EQ(scratch.run({"rules", "list"}).output,
              "1\t番組名\t" + std::string(1023, 'y') + "\t@TT\t\t\n");
}

TEST(CliRules, ImportThatAddsNothingSaysWhy) {
    CliScratch scratch;
    std::string lines;
    for (int i = 1; i <= 7; ++i) lines += std::string(static_cast<std::size_t>(i), '\t') + "x\n";
    write_text(scratch.file("bad.txt"), "\n" + lines);
    const CliRun run = scratch.run({"rules", "import", scratch.file("bad.txt")});
    EXPECT_EQ(run.exitCode, 1);
    const std::string name = "kalvento-cli: " + scratch.file("bad.txt");
    std::string expected;
    for (int fields = 2; fields <= 6; ++fields) {
        expected += name + ": line " + std::to_string(fields) + ": " + std::to_string(fields) +
                    " fields, 11 expected" + kFieldNames + "\n";
    }
    EXPECT_EQ(run.errors, expected + name + ": 2 more lines skipped\n0 rules added\n");
    EXPECT_FALSE(fs::exists(scratch.file("config/kalvento.ini")));
    // An empty file is no failure.
    write_text(scratch.file("empty.txt"), "");
    EXPECT_EQ(scratch.run({"rules", "import", scratch.file("empty.txt")}).exitCode, 0);
}

TEST(CliRules, AddOneRule) {
    CliScratch scratch;
    EXPECT_EQ(
        scratch.run({"rules", "add", "--find", "^夜の", "--template", "@TT 第@2nb話"}).exitCode, 0);
    EXPECT_EQ(
        scratch.run({"rules", "add", "--channel", "ＢＳ", "--template", "@TT [@CH]"}).exitCode, 0);
    const CliRun again =
        scratch.run({"rules", "add", "--channel", "ＢＳ", "--template", "@TT (@CH)"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.errors,
              "rule 3 added\nkalvento-cli: warning: rule 3 can never match: rule 2 has the same "
              "patterns (\"ＢＳ\") and is tried first; \"rules move 3 --to 2\" puts it first\n");
    EXPECT_EQ(scratch.run({"rules", "list"}).output,
              "1\t番組名\t^夜の\t@TT 第@2nb話\t\t\n"
              "2\t放送局\tＢＳ\t@TT [@CH]\t\t\n"
              "3\t放送局\tＢＳ\t@TT (@CH)\t\t\n");

    // A broken pattern would match every programme; no pattern matches none.
    const std::string settings = read_all(scratch.file("config/kalvento.ini"));
    for (const Args& refused :
         std::vector<Args>{{"--find", "(", "--template", "@TT"},
                           {"--channel", "[", "--template", "@TT"},
                           {"--template", "@TT"},
                           {"--find", "x", "--template", ""},
                           {"--find", "x", "--template", "@TT \xF0\x9F\x98\x80"},
                           {"--find", "x"}}) {
        expect_usage_error(scratch.run(concat({"rules", "add"}, refused)), refused[1]);
    }
    EXPECT_EQ(read_all(scratch.file("config/kalvento.ini")), settings);
}

// A season as a server admin sets it up: one command, a schedule lookup and
// episode numbering, then the recording is named by it.
TEST(CliRules, SeasonSetUpWithRulesAddAlone) {
    LocalHttpServer server([](const std::string&) {
        return CannedReply{http_reply("<html><body><table></table></body></html>\n")};
    });
    CliScratch scratch;
    scratch.write_settings({"OmbrixRename=1", "ScheduleBaseUrl=" + server.base_url()});
    write_drama(scratch.file("rec.ts"), 1, "夜のドラマ", "　嵐の前　");
    const Args season = {"rules",
                         "add",
                         "--find",
                         "夜のドラマ",
                         "--channel",
                         "カルヴェント",
                         "--template",
                         "@TT 第@2nb話「@sb」 [@CH]",
                         "--schedule-title",
                         "@TT",
                         "--schedule-channel",
                         "ミナト",
                         "--schedule-subtitle",
                         "嵐",
                         "--tt",
                         "--nb",
                         "--sb",
                         "--ch",
                         "--numbering",
                         "2024-03-10:3:日",
                         "--numbering",
                         "2023-10-01:1:sun,Wed"};
    const CliRun added = scratch.run(season);
    EXPECT_EQ(added.exitCode, 0) << added.errors;
    EXPECT_EQ(added.errors, "rule 1 added\n");

    // Every field, under its stored name; the entries in the edit dialog's
    // order; dates are midnight in Japan whatever the zone (New York here).
    const json rule = only_line(scratch.run({"rules", "list", "--json"}));
    EXPECT_EQ(rule["number"], 1);
    EXPECT_EQ(rule["FindText"], "夜のドラマ");
    EXPECT_EQ(rule["FindTextCh"], "カルヴェント");
    EXPECT_EQ(rule["FindType"], 0);
    EXPECT_EQ(rule["RenameText"], "@TT 第@2nb話「@sb」 [@CH]");
    EXPECT_EQ(rule["SyoboFind"], "@TT");
    EXPECT_EQ(rule["SyoboFindCh"], "ミナト");
    EXPECT_EQ(rule["SyoboFindSt"], "嵐");
    for (const char* flag : {"SyoboTT", "SyoboNB", "SyoboSB", "SyoboCH"}) EXPECT_EQ(rule[flag], 1);
    ASSERT_EQ(rule["Numbering"].size(), 2u);
    EXPECT_EQ(rule["Numbering"][0]["entry"], "2023-10-01:1:sun,wed");
    EXPECT_EQ(rule["Numbering"][1]["StartTime"], 1709996400);  // 2024-03-10 00:00 in Japan
    EXPECT_EQ(rule["Numbering"][1]["StartNo"], 3);
    EXPECT_EQ(rule["Numbering"][1]["WeekCheck"], json::parse("[1,0,0,0,0,0,0]"));
    EXPECT_EQ(rule["shadowedBy"], nullptr);
    EXPECT_EQ(rule["warnings"], json::array());
    EXPECT_EQ(scratch.run({"rules", "show", "1"}).output,
              "number:            1\n"
              "type:              両方\n"
              "find text:         夜のドラマ\n"
              "station:           カルヴェント\n"
              "template:          @TT 第@2nb話「@sb」 [@CH]\n"
              "schedule title:    @TT\n"
              "schedule channel:  ミナト\n"
              "schedule subtitle: 嵐\n"
              "TT:                on\nNB:                on\nSB:                on\n"
              "CH:                on\n"
              "numbering:         2023-10-01:1:sun,wed\n"
              "numbering:         2024-03-10:3:sun\n");

    // The service knows nothing of it, so the rule counts: episode 3 on
    // 10 March, four Sundays later the 7th.
    const CliRun renamed = scratch.run({"rename", "--json", scratch.file("rec.ts")});
    EXPECT_EQ(renamed.exitCode, 0) << renamed.output << renamed.errors;
    EXPECT_TRUE(fs::exists(scratch.file("夜のドラマ 第07話「嵐の前」 [カルヴェントテレビ].ts")))
        << renamed.output;
    ASSERT_GE(server.request_count(), 1u);
    EXPECT_NE(server.requests()[0].find("&ch=%E3%83%9F%E3%83%8A%E3%83%88&st=%E5%B5%90&"),
              std::string::npos)
        << server.requests()[0];

    // A copy with another pattern and no entries (the window's copy), and
    // one that would repeat a rule, which is not added.
    const CliRun copied =
        scratch.run({"rules", "add", "--from", "1", "--find", "朝のドラマ", "--no-numbering"});
    EXPECT_EQ(copied.errors, "rule 1 added\n");
    const json copy = json::parse(scratch.run({"rules", "show", "1", "--json"}).output);
    EXPECT_EQ(copy["FindText"], "朝のドラマ");
    EXPECT_EQ(copy["RenameText"], rule["RenameText"]);
    EXPECT_EQ(copy["SyoboFindSt"], "嵐");
    EXPECT_EQ(copy["SyoboCH"], 1);
    EXPECT_EQ(copy["Numbering"], json::array());
    const std::string settings = read_all(scratch.file("config/kalvento.ini"));
    for (const Args& repeat : {Args{"rules", "add", "--from", "2"}, season}) {
        const CliRun again = scratch.run(repeat);
        EXPECT_EQ(again.exitCode, 0);
        EXPECT_EQ(again.errors, "rule not added: rule 2 is the same rule\n");
    }
    EXPECT_EQ(read_all(scratch.file("config/kalvento.ini")), settings);
}

TEST(CliRules, EditMoveAndRemoveByNumber) {
    CliScratch scratch;
    const std::string ini = scratch.file("config/kalvento.ini");
    scratch.write_ini("[KalventoDlg]\nReadSize=40\nOmbrixRename=1\n[OmbrixReNameDlg]\nTYPEW=77\n");
    const std::string others = cp932("[KalventoDlg]\r\nReadSize=40\r\nOmbrixRename=1\r\n");
    const auto list = [&] { return scratch.run({"rules", "list"}).output; };
    for (const char* templ : {"@TT 1", "@TT 2"})
        ASSERT_EQ(scratch.run({"rules", "add", "--find", "A", "--template", templ}).exitCode, 0);
    ASSERT_EQ(scratch.run({"rules", "add", "--find", "B", "--template", "@TT"}).exitCode, 0);
    EXPECT_EQ(list(), "1\t番組名\tA\t@TT 1\t\t\n2\t番組名\tA\t@TT 2\t\t\n3\t番組名\tB\t@TT\t\t\n");

    // Of two rules with the same pattern the user chooses the one that
    // matches; the choice outlives the run. Other rules keep their place.
    const CliRun moved = scratch.run({"rules", "move", "2", "--to", "1"});
    EXPECT_EQ(moved.exitCode, 0);
    EXPECT_EQ(moved.errors,
              "rule 2 is now rule 1\nkalvento-cli: warning: rule 2 can never match: rule 1 has "
              "the same patterns (\"A\") and is tried first\n");
    EXPECT_EQ(list(), "1\t番組名\tA\t@TT 2\t\t\n2\t番組名\tA\t@TT 1\t\t\n3\t番組名\tB\t@TT\t\t\n");
    std::string before = read_all(ini);
    for (const Args& refused :
         {Args{"rules", "move", "3", "--to", "1"}, Args{"rules", "move", "1", "--to", "4"},
          Args{"rules", "edit", "4", "--find", "C"}, Args{"rules", "edit", "1", "--find", ""},
          Args{"rules", "edit", "1", "--numbering", "2010-01-05:1:x"}, Args{"rules", "edit", "1"},
          Args{"rules", "remove", "1", "4"}}) {
        expect_usage_error(scratch.run(refused), refused[1] + " " + refused[2]);
        EXPECT_EQ(read_all(ini), before) << refused[1];
    }
    EXPECT_NE(scratch.run({"rules", "move", "3", "--to", "1"})
                  .errors.find("rule 3 can only move among the rules with the same patterns, "
                               "and it has none"),
              std::string::npos);

    // An edit changes what it names: here the pattern, so the rule moves.
    const CliRun edited =
        scratch.run({"rules", "edit", "3", "--find", "A", "--template", "@TT @tt", "--tt"});
    EXPECT_EQ(edited.exitCode, 0);
    EXPECT_EQ(edited.errors,
              "rule 3 changed\nkalvento-cli: warning: rule 3: template: \"@tt\" is not a macro "
              "and stays in the name as written\nkalvento-cli: warning: rule 3 can never match: "
              "rule 1 has the same patterns (\"A\") and is tried first; \"rules move 3 --to 1\" "
              "puts it first\n");
    const json third = json::parse(scratch.run({"rules", "show", "3", "--json"}).output);
    EXPECT_EQ(third["SyoboTT"], 1);
    EXPECT_EQ(third["shadowedBy"], 1);
    EXPECT_EQ(third["warnings"].size(), 2u);
    EXPECT_EQ(scratch.run({"rules", "edit", "1", "--find", "C"}).errors,
              "rule 1 changed, now rule 3\n");

    const CliRun removed = scratch.run({"rules", "remove", "3", "1", "3"});
    EXPECT_EQ(removed.errors, "2 rules removed\n");
    EXPECT_EQ(list(), "1\t番組名\tA\t@TT @tt\t\t\n");
    // Each change rewrote the rules only.
    const std::string after = read_all(ini);
    EXPECT_EQ(after.rfind(others, 0), 0u) << after;
    EXPECT_NE(after.find("[OmbrixReNameDlg]\r\nTYPEW=77\r\n"), std::string::npos) << after;

    // Every change waits for the settings lock and changes nothing without it.
    std::string error;
    const auto held = FileLock::acquire(scratch.file("config/kalvento.ini.lock"), error);
    ASSERT_TRUE(held) << error;
    for (const Args& change :
         {Args{"rules", "edit", "1", "--template", "x"}, Args{"rules", "remove", "1"},
          Args{"rules", "move", "1", "--to", "1"}, Args{"rules", "add", "--from", "1", "--tt"}}) {
        EXPECT_EQ(scratch.run(concat(change, {"--lock-timeout", "0"})).exitCode, 75) << change[1];
    }
    EXPECT_EQ(read_all(ini), after);
}

}  // namespace
}  // namespace kalvento::test
