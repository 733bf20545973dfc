#include "tests/cli/cli_test_util.h"

#include <sys/stat.h>

namespace kalvento::test {
namespace {

// kalvento-cli (or `program`) in an otherwise empty environment: a new user
// with only HOME and the variables given.
std::string fresh_user(const std::string& home, const std::string& variables,
                       const std::string& program = KALVENTO_CLI_PATH) {
    return "env -i HOME=" + shell_quote(home) + " " + variables + " " + shell_quote(program);
}

TEST(CliConfig, PathsOfANewUserAndTheFirstSave) {
    TempDir dir;
    const std::string home = dir.file("home");
    fs::create_directory(home);
    const CliRun paths = run_shell(fresh_user(home, "") + " config path");
    EXPECT_EQ(paths.exitCode, 0);
    EXPECT_EQ(paths.output, "settings:       " + home + "/.config/kalvento/kalvento.ini\n" +
                                "macro menu:     " + home + "/.config/kalvento/kalvento.mnu\n" +
                                "channels:       " + home + "/.config/kalvento/ChSet3.txt\n" +
                                "rule exchange:  " + home +
                                "/.config/kalvento/KalventoOmbrix.txt\n" +
                                "journal:        " + home + "/.local/state/kalvento\n" +
                                "chosen by:      the user's folders (XDG_CONFIG_HOME, "
                                "XDG_STATE_HOME)\n");

    // Reading makes nothing; the first save makes the folder, private.
    const std::string xdg = "XDG_CONFIG_HOME=" + shell_quote(dir.file("config"));
    EXPECT_EQ(run_shell(fresh_user(home, xdg) + " rules list").exitCode, 0);
    EXPECT_FALSE(fs::exists(dir.file("config")));
    EXPECT_TRUE(fs::is_empty(home));
    write_text(dir.file("rules.txt"), "A\tB\tboth\t\t\t\t0\t0\t0\t0\t0\r\n");
    const CliRun imported =
        run_shell(fresh_user(home, xdg) + " rules import " + shell_quote(dir.file("rules.txt")));
    EXPECT_EQ(imported.exitCode, 0);
    EXPECT_TRUE(imported.output.empty());
    EXPECT_NE(read_all(dir.file("config/kalvento/kalvento.ini")).find("[OmbrixReName]"),
              std::string::npos);
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("config/kalvento").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(CliConfig, AServiceAccountWithoutAHomeStopsAtTheStartWithOneMessage) {
    // A home that does not exist, like /nonexistent of a service account;
    // one in the scratch folder, so that a run that made it leaves no trace.
    TempDir dir;
    const std::string home = dir.file("nonexistent");
    const std::string recording = dir.file("rec.ts");
    ASSERT_TRUE(write_small_recording(recording, {.eventName = "夜のドラマ"}));
    const std::string message =
        "kalvento-cli: no usable place for the settings and the rename journal: the home "
        "directory " +
        home +
        " does not exist; set KALVENTO_DIR to a folder this account can "
        "write, or run it in a systemd unit with StateDirectory=kalvento and "
        "ConfigurationDirectory=kalvento\n";
    for (const char* command : {" rename ", " analyse ", " watch --settle 1 "}) {
        // A watch that did not stop would run until the timeout ends it.
        const CliRun run = run_shell("timeout 20 " + fresh_user(home, "") + command +
                                         shell_quote(command[1] == 'w' ? dir.path() : recording),
                                     dir.file("stderr.txt"));
        EXPECT_EQ(run.exitCode, 2) << command;
        EXPECT_EQ(run.errors, message) << command;
        EXPECT_EQ(run.output, "") << command;
    }
    EXPECT_TRUE(fs::exists(recording));
    // "config path" still shows where it would have looked.
    EXPECT_EQ(run_shell(fresh_user(home, "") + " config path").exitCode, 0);

    // What a unit with StateDirectory= and ConfigurationDirectory= gives it.
    fs::create_directories(dir.file("lib/kalvento"));
    fs::create_directories(dir.file("etc/kalvento"));
    const CliRun service = run_shell(
        fresh_user("/nonexistent",
                   "STATE_DIRECTORY=" + shell_quote(dir.file("lib/kalvento")) +
                       " CONFIGURATION_DIRECTORY=" + shell_quote(dir.file("etc/kalvento"))) +
        " rename --template @TT " + shell_quote(recording));
    EXPECT_EQ(service.exitCode, 0) << service.output;
    EXPECT_FALSE(fs::exists(recording));
    EXPECT_FALSE(fs::is_empty(dir.file("lib/kalvento")));
}

TEST(CliConfig, PortableCopyAndNamedDirectory) {
    TempDir dir;
    const std::string home = dir.file("home");
    fs::create_directory(dir.file("program"));
    const std::string copy = dir.file("program/kalvento-cli");
    fs::copy_file(KALVENTO_CLI_PATH, copy);
    const std::string state = "XDG_STATE_HOME=" + shell_quote(dir.file("state"));

    // A copy without kalvento.ini beside it is an installed one.
    EXPECT_NE(run_shell(fresh_user(home, state, copy) + " config path")
                  .output.find("journal:        " + dir.file("state/kalvento") + "\n"),
              std::string::npos);

    write_text(dir.file("program/kalvento.ini"), "[KalventoDlg]\r\n");
    const CliRun portable = run_shell(fresh_user(home, state, copy) + " config path");
    EXPECT_EQ(portable.exitCode, 0);
    const std::vector<std::string> lines = lines_of(portable.output);
    ASSERT_EQ(lines.size(), 6u) << portable.output;
    EXPECT_EQ(lines[0], "settings:       " + dir.file("program/kalvento.ini"));
    EXPECT_EQ(lines[4], "journal:        " + dir.file("program"));
    EXPECT_EQ(lines[5], "chosen by:      kalvento.ini beside the program (portable use)");

    const CliRun named = run_shell(
        fresh_user(home, state + " KALVENTO_DIR=" + shell_quote(dir.file("named")), copy) +
        " config path");
    EXPECT_EQ(lines_of(named.output).at(3),
              "rule exchange:  " + dir.file("named/KalventoOmbrix.txt"));
    EXPECT_EQ(lines_of(named.output).at(5), "chosen by:      KALVENTO_DIR");
}

TEST(CliConfig, SetThenShowKeepsEveryOtherLine) {
    CliScratch scratch;
    const std::string settings = scratch.file("config/kalvento.ini");
    // Foreign lines of every kind, CP932 text and a key spelt with blanks and
    // in another case: only the values of the keys set may change.
    scratch.write_ini(
        "; kept as written\n[KalventoDlg]\nreadsize = 20\nFilenameSetSp1013=\"・\"\n"
        "ForeignKey=局名\nodd line without equals\n\n[OmbrixReName]\nIndexNo=0\n"
        "[Other]\nReadSize=7\n");

    // ReadStartPos 0 and ReadSize 2047 are the ends of their ranges; the last
    // of a key given twice holds.
    const std::pair<const char*, const char*> pairs[] = {
        {"ReadStartPos", "0"},
        {"ReadSize", "2047"},
        {"ReadSize", "80"},
        {"FilenameSet1000", "番組名"},
        {"FilenameSet1001", "yyyy/mm/dd"},
        {"FilenameSetSp1013", "　"},
        {"FilenameSetSp1016", " ＃"},
        {"NotRename", "1"},
        {"ScheduleBaseUrl", "https://schedule.example:8443/tv"}};
    Args set_arguments = {"config", "set"};
    for (const auto& [key, value] : pairs) set_arguments = concat(set_arguments, {key, value});
    const CliRun set = scratch.run(set_arguments);
    EXPECT_EQ(set.exitCode, 0) << set.errors;
    EXPECT_EQ(read_all(settings),
              cp932("; kept as written\r\n[KalventoDlg]\r\nreadsize = 80\r\n"
                    "FilenameSetSp1013=\"　\"\r\nForeignKey=局名\r\nodd line without equals\r\n"
                    "ReadStartPos=0\r\nFilenameSet1000=1\r\nFilenameSet1001=9\r\n"
                    "FilenameSetSp1016=\" ＃\"\r\nNotRename=1\r\n"
                    "ScheduleBaseUrl=https://schedule.example:8443/tv\r\n\r\n"
                    "[OmbrixReName]\r\nIndexNo=0\r\n[Other]\r\nReadSize=7\r\n"));

    const CliRun shown = scratch.run({"config", "show", "--json"});
    ASSERT_EQ(shown.exitCode, 0);
    const json document = json::parse(shown.output);
    EXPECT_EQ(document["settingsFile"], settings);
    EXPECT_EQ(document["exists"], true);
    const json& values = document["settings"];
    EXPECT_EQ(values["ReadSize"], 80);
    EXPECT_EQ(values["ReadStartPos"], 0);
    EXPECT_EQ(values["FilenameSet1000"], (json{{"index", 1}, {"label", "番組名"}}));
    EXPECT_EQ(values["FilenameSet1001"]["label"], "yyyy／mm／dd");
    EXPECT_EQ(values["FilenameSetSp1013"], "　");
    EXPECT_EQ(values["FilenameSetSp1014"], " ");
    EXPECT_EQ(values["FilenameSetSp1016"], " ＃");
    EXPECT_EQ(values["NotRename"], true);
    EXPECT_EQ(values["OmbrixRename"], true);
    EXPECT_EQ(values["ScheduleBaseUrl"], "https://schedule.example:8443/tv");
    EXPECT_EQ(values.size(), 35u);
    const std::vector<std::string> text = lines_of(scratch.run({"config", "show"}).output);
    EXPECT_EQ(text.at(2), "ReadSize           80");
    EXPECT_EQ(text.at(5), "FilenameSet1000    番組名 (1)");
    EXPECT_EQ(text.at(10), "FilenameSetSp1015  \" \"");

    // Anything wrong, and nothing at all is written.
    const std::string now = read_all(settings);
    for (const Args& refused :
         std::vector<Args>{{"ReadSize", "70", "ReadStartPos", "101"},
                           {"ReadSize", "0"},
                           {"ReadSize", "2048"},
                           {"FilenameSet1002", "27"},
                           {"FilenameSet1002", "番組"},
                           {"FilenameSetSp1012", "a\tb"},
                           {"FilenameSetSp1012", "\xF0\x9F\x98\x80"},
                           {"FileDate", "yes"},
                           {"ScheduleBaseUrl", "ftp://host"},
                           {"ScheduleBaseUrl", "http://host/find?x"},
                           {"ScheduleBaseUrl", "http://host/" + std::string(1100, 'p')},
                           {"ScheduleTimeout", "0"},
                           {"ScheduleTimeout", "301"},
                           {"WindowX", "5"},
                           {"NoSuchKey", "1"},
                           {"ReadSize"}})
        expect_usage_error(scratch.run(concat({"config", "set"}, refused)), refused[0]);
    EXPECT_EQ(read_all(settings), now);
}

TEST(CliConfig, ItemsListsTheTableWithExamples) {
    CliScratch scratch;
    const CliRun run = scratch.run({"config", "items", "--json"});
    ASSERT_EQ(run.exitCode, 0);
    const std::vector<std::string> lines = lines_of(run.output);
    ASSERT_EQ(lines.size(), 27u);
    const auto item = [&](std::size_t i) { return json::parse(lines[i]); };
    EXPECT_EQ(item(0)["example"], "");
    EXPECT_EQ(item(6)["label"], "hh時mm分(28時間)");
    EXPECT_EQ(item(6)["example"], "25時30分");
    EXPECT_EQ(item(26)["index"], 26);
    EXPECT_EQ(item(26)["label"], "番組内容(1行)");
    // Every label is taken back by `config set`, exactly as listed.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const CliRun set =
            scratch.run({"config", "set", "FilenameSet1003", item(i)["label"].get<std::string>()});
        EXPECT_EQ(set.output, "FilenameSet1003    " + item(i)["label"].get<std::string>() + " (" +
                                  std::to_string(i) + ")\n");
    }
}

TEST(CliConfig, InitWritesAPresetSoThatAFreshInstallNamesRecordings) {
    CliScratch scratch;
    ASSERT_TRUE(write_small_recording(scratch.file("rec.ts"), {.eventName = "夜のドラマ"}));
    const std::string settings = scratch.file("config/kalvento.ini");

    // Nothing set up: the file stays, and the message names the command.
    const CliRun fresh = scratch.run({"rename", scratch.file("rec.ts")});
    EXPECT_EQ(fresh.exitCode, 1);
    EXPECT_EQ(fresh.errors,
              "kalvento-cli: there is no settings file yet (" + settings +
                  "): kalvento-cli config init --preset title-channel-date writes "
                  "one that names recordings (config init --list shows the others)\n");

    const CliRun listed = scratch.run({"config", "init", "--list"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(lines_of(listed.output).size(), 3u);
    EXPECT_EQ(lines_of(listed.output)[0],
              "title-channel-date 夜のドラマ「港町の灯り」 [カルヴェントテレビ] 04月08日(月).ts");
    expect_usage_error(scratch.run({"config", "init", "--preset", "nonesuch"}), "unknown preset");
    EXPECT_FALSE(fs::exists(settings));

    const CliRun init = scratch.run({"config", "init", "--preset", "title-channel-date"});
    EXPECT_EQ(init.exitCode, 0) << init.errors;
    const CliRun named = scratch.run({"rename", "--dry-run", "--json", scratch.file("rec.ts")});
    EXPECT_EQ(only_line(named)["newName"], "夜のドラマ [カルヴェントテレビ] 04月07日(日).ts");

    // An existing file is never replaced; --force changes only the name's
    // items and separators in it, the rules stay.
    scratch.write_ini("[KalventoDlg]\nFilenameSet1000=2\n[OmbrixReName]\nIndexNo=0\n");
    const std::string before = read_all(settings);
    const CliRun again = scratch.run({"config", "init", "--preset", "title-date"});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_EQ(read_all(settings), before);
    EXPECT_EQ(scratch.run({"config", "init", "--preset", "title-date", "--force"}).exitCode, 0);
    EXPECT_NE(read_all(settings).find("[OmbrixReName]"), std::string::npos);
    EXPECT_EQ(only_line(scratch.run(
                  {"rename", "--dry-run", "--json", scratch.file("rec.ts")}))["newName"],
              "夜のドラマ 04月07日(日).ts");
}

}  // namespace
}  // namespace kalvento::test
