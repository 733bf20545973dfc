// kalvento-cli as a recording server's post-recording command: nothing lost,
// nothing misnamed, whatever the machine's zone, the settings or the files.
#include "rules/rule_store.h"
#include "rules/rule_text_forms.h"
#include "tests/cli/cli_test_util.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ctime>

namespace kalvento::test {
namespace {

constexpr std::int64_t kSundayNineInJapan = 1712491200;  // 2024-04-07 21:00 JST

std::int64_t write_time(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::int64_t>(info.st_mtim.tv_sec) : -1;
}

TEST(CliUnattended, BroadcastTimesAreJapanTimeOnAServerInUtc) {
    CliScratch scratch;
    scratch.write_settings(concat(kNameAndDate, {"FileDate=1"}));
    write_drama(scratch.file("rec.ts"));
    for (const char* zone : {"TZ=UTC", "TZ=America/New_York"}) {
        const CliRun run = scratch.run({"rename", "--json", scratch.file("rec.ts")}, zone);
        ASSERT_EQ(run.exitCode, 0) << zone << run.output << run.errors;
        const json line = only_line(run);
        EXPECT_EQ(line["newPath"], scratch.file(kComposedName)) << zone;
        EXPECT_EQ(line["candidate"]["startTime"], kSundayNineInJapan) << zone;
        EXPECT_EQ(write_time(scratch.file(kComposedName)), kSundayNineInJapan) << zone;
        fs::rename(scratch.file(kComposedName), scratch.file("rec.ts"));
    }
}

TEST(CliUnattended, NoNameIsMadeOfSeparatorsAndUnreadableSettingsTouchNothing) {
    CliScratch scratch;
    write_drama(scratch.file("rec.ts"));
    // No settings file: every item "未使用". The file stays, and says why.
    const CliRun run = scratch.run({"rename", "--json", scratch.file("rec.ts")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(only_line(run)["status"], "noNameItems");
    EXPECT_EQ(names_in(scratch.path()), (std::set<std::string>{"rec.ts"}));

    // A settings file that exists but cannot be read stops every command
    // before any file is touched, even when it would say NotRename=1.
    const std::string settings = scratch.file("config/kalvento.ini");
    const auto refused = [&](const std::string& why) {
        for (const Args& arguments :
             {Args{"rename", scratch.file("rec.ts")}, Args{"analyse", scratch.file("rec.ts")},
              Args{"rules", "list"}})
            expect_usage_error(scratch.run(arguments), why + " " + arguments[0]);
        EXPECT_TRUE(fs::exists(scratch.file("rec.ts"))) << why;
        EXPECT_EQ(names_in(scratch.path()).count("rec.ts"), 1u) << why;
        EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()),
                  2)
            << why;
    };
    fs::create_directory(settings);
    refused("a directory");
    fs::remove(settings);
    {
        std::ofstream big(settings, std::ios::binary);
        big << "[KalventoDlg]\r\nNotRename=1\r\n;" << std::string(16u << 20, 'x') << "\r\n";
    }
    refused("too large");
    fs::remove(settings);
    fs::remove_all(scratch.file("config"));
    std::ofstream(scratch.file("config")) << "not a directory";
    refused("KALVENTO_DIR is a file");
}

// An exchange file of `count` rules whose texts are `size` bytes long.
std::string exchange_file(int count, std::size_t size, const std::string& tag) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        RenameRule rule;
        reset_rule(rule);
        rule.FindText = tag + std::to_string(i) + std::string(size, 'f');
        rule.RenameText = "@TT" + std::string(size, 'r');
        rule.SyoboFind = std::string(size, 's');
        bytes += format_export_line(rule);
    }
    return bytes;
}

TEST(CliUnattended, SettingsWritersLoseNothingAndSaveOnlyWhatLoadReads) {
    CliScratch scratch;
    scratch.write_settings(kNameAndDate);
    const std::string settings = scratch.file("config/kalvento.ini");

    // Three imports at once: each adds its 50 rules to what the others saved.
    std::string script;
    for (const char* tag : {"a", "b", "c"}) {
        const std::string file = scratch.file(std::string(tag) + ".txt");
        std::ofstream(file, std::ios::binary) << exchange_file(50, 10, tag);
        script += scratch.command({"rules", "import", file}) + " >/dev/null 2>&1 & ";
    }
    ASSERT_EQ(std::system((script + "wait").c_str()), 0);
    const CliRun listed = scratch.run({"rules", "list"});
    EXPECT_EQ(lines_of(listed.output).size(), 150u);

    // Rules that would make the file larger than the loader reads are refused
    // as a whole, and the file stays as it was.
    const std::string before = read_all(settings);
    const std::string huge = scratch.file("huge.txt");
    std::ofstream(huge, std::ios::binary) << exchange_file(6000, 1000, "h");
    const CliRun refused = scratch.run({"rules", "import", huge});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.errors.find("larger than"), std::string::npos) << refused.errors;
    EXPECT_EQ(read_all(settings), before);
    EXPECT_EQ(scratch.run({"rules", "list"}).exitCode, 0);

    // An export never lands on the settings file, not even through a link.
    fs::create_symlink(settings, scratch.file("link.txt"));
    for (const std::string& target : {settings, scratch.file("link.txt")}) {
        const CliRun onto = scratch.run({"rules", "export", target});
        EXPECT_EQ(onto.exitCode, 1) << target;
        EXPECT_EQ(read_all(settings), before);
    }
    const CliRun exported = scratch.run({"rules", "export", scratch.file("out.txt")});
    EXPECT_EQ(exported.exitCode, 0);
    EXPECT_EQ(lines_of(read_all(scratch.file("out.txt"))).size(), 150u);
}

TEST(CliUnattended, SpecialFilesAreRefusedAtOnce) {
    CliScratch scratch;
    scratch.write_settings(kNameAndDate);
    ASSERT_EQ(::mkfifo(scratch.file("pipe.ts").c_str(), 0600), 0);
    const auto started = std::chrono::steady_clock::now();
    for (const Args& arguments : {Args{"analyse", scratch.file("pipe.ts")},
                                  Args{"rename", "--json", scratch.file("pipe.ts")},
                                  Args{"rename", "--dry-run", "--json", scratch.file("pipe.ts")}}) {
        const CliRun run = scratch.run(arguments, "timeout 20 env");
        EXPECT_EQ(run.exitCode, 1) << arguments[0] << run.output << run.errors;
        EXPECT_NE((run.output + run.errors).find("not a regular file"), std::string::npos)
            << run.output << run.errors;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
    EXPECT_TRUE(fs::is_fifo(scratch.file("pipe.ts")));
}

TEST(CliUnattended, PatternTroubleCountsAsAMatchButIsReported) {
    CliScratch scratch;
    scratch.write_ini(
        "[KalventoDlg]\nOmbrixRename=1\n[OmbrixReName]\nIndexNo=0\n[OmbrixReNameSet000000]\n"
        "FindText=^(\\S+\\s?)+第\nFindType=1\nRenameText=@TT 合致\n");
    // An ordinary 23-character title on which the matcher gives up.
    write_drama(scratch.file("rec.ts"), 1, "あいうえおかきくけこさしすせそたちつてとなにぬ");
    const CliRun run = scratch.run({"rename", "--json", scratch.file("rec.ts")});
    EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
    const json line = only_line(run);
    EXPECT_EQ(line["newName"], "あいうえおかきくけこさしすせそたちつてとなにぬ 合致.ts");
    ASSERT_EQ(line["warnings"].size(), 1u);
    EXPECT_NE(line["warnings"][0].get<std::string>().find("^(\\S+\\s?)+第"), std::string::npos);
    EXPECT_NE(run.errors.find("warning"), std::string::npos);
    EXPECT_NE(run.errors.find("^(\\S+\\s?)+第"), std::string::npos) << run.errors;
}

TEST(CliUnattended, CompanionsStayWithTheirRecording) {
    CliScratch scratch;
    scratch.write_settings(concat(kNameAndDate, {"GopRename=1", "FileDate=1"}));
    write_drama(scratch.file("rec.ts"));
    std::ofstream(scratch.file("rec.ts.txt")) << "mine";
    // The composed name is free, but its companion name belongs to another recording.
    const std::string foreign = scratch.file(kComposedName + ".txt");
    std::ofstream(foreign) << "foreign";
    fs::last_write_time(foreign, fs::file_time_type::clock::now() - std::chrono::hours(24 * 400));
    const auto foreign_time = write_time(foreign);

    const CliRun run = scratch.run({"rename", "--json", scratch.file("rec.ts")});
    EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
    const std::string numbered = "夜のドラマ 20240407(日)(1).ts";
    EXPECT_EQ(names_in(scratch.path()),
              (std::set<std::string>{numbered, numbered + ".txt", kComposedName + ".txt"}));
    EXPECT_EQ(read_all(scratch.file(numbered + ".txt")), "mine");
    EXPECT_EQ(read_all(foreign), "foreign");
    EXPECT_EQ(write_time(foreign), foreign_time);
    EXPECT_EQ(write_time(scratch.file(numbered + ".txt")), kSundayNineInJapan);
}

TEST(CliUnattended, NamesStayVisibleAndOutputStaysOneLinePerFile) {
    CliScratch scratch;
    // A separator that starts the name with a dot would hide the file.
    scratch.write_settings({"FilenameSet1000=1", "FilenameSetSp1012=\".\"",
                            "FilenameSetSp1013=\"\"", "FilenameSetSp1014=\"\"",
                            "FilenameSetSp1015=\"\"", "OmbrixRename=0"});
    write_drama(scratch.file("rec.ts"));
    const std::string odd = std::string("line\nbreak") + "\xff.ts";
    write_drama(scratch.file(odd), 2, "別番組");
    const CliRun run = scratch.run({"rename", scratch.file("rec.ts"), scratch.file(odd)});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(fs::exists(scratch.file("．夜のドラマ.ts")));
    EXPECT_EQ(lines_of(run.output).size(), 2u) << run.output;
    EXPECT_NE(run.output.find("line\\x0abreak"), std::string::npos) << run.output;
}

TEST(CliUnattended, PathLimitDoesNotDependOnHowThePathWasTyped) {
    CliScratch scratch;
    scratch.write_settings(kNameAndDate);
    // Deep enough that the absolute target passes 256 bytes, though the name alone is short.
    std::string deep = scratch.path();
    while (deep.size() < 240) deep += "/deeper";
    fs::create_directories(deep);
    write_drama(deep + "/rec.ts");
    const CliRun relative =
        scratch.run({"rename", "--json", "rec.ts"}, "cd " + shell_quote(deep) + " &&");
    const CliRun absolute = scratch.run({"rename", "--json", deep + "/rec.ts"});
    EXPECT_EQ(only_line(relative)["status"], "tooLong") << relative.output << relative.errors;
    EXPECT_EQ(only_line(absolute)["status"], "tooLong");
    EXPECT_TRUE(fs::exists(deep + "/rec.ts"));
}

// The Japan time of an instant as the log writes it, worked out here apart
// from the program's own calendar.
std::string japan_iso(std::time_t when) {
    const std::time_t shifted = when + 9 * 3600;
    std::tm fields{};
    gmtime_r(&shifted, &fields);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S+09:00", &fields);
    return text;
}

std::vector<std::string> fields_of(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

TEST(CliUnattended, TheLogAndTheJournalTellEveryFileEvenOneLeft) {
    CliScratch scratch;
    scratch.write_settings(kNameAndDate);
    write_drama(scratch.file("rec.ts"));
    const std::string named = scratch.file("朝の番組 20240407(日).ts");
    write_drama(named, 2, "朝の番組");
    const std::string left = scratch.file("tab\there.ts");
    write_text(left, std::string(188 * 40, '\0'));
    const Args files = {scratch.file("rec.ts"), named, left};

    // A log that cannot be opened stops the run before any file moves.
    const CliRun refused =
        scratch.run(concat({"rename", "--log", scratch.file("none/run.log")}, files));
    expect_usage_error(refused, "log in a missing folder");
    EXPECT_NE(refused.errors.find(scratch.file("none/run.log")), std::string::npos)
        << refused.errors;
    EXPECT_TRUE(fs::exists(scratch.file("rec.ts")));

    // Japan time whatever the zone; --syslog works without a log daemon too.
    const std::string log = scratch.file("run.log");
    const std::time_t before = std::time(nullptr);
    const CliRun run =
        scratch.run(concat({"rename", "--log", log, "--syslog"}, files), "TZ=America/New_York");
    const std::time_t after = std::time(nullptr);
    EXPECT_EQ(run.exitCode, 1) << run.output << run.errors;
    const std::vector<std::string> lines = lines_of(read_all(log));
    ASSERT_EQ(lines.size(), 3u) << read_all(log);
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : lines) {
        std::vector<std::string> fields = fields_of(line);
        ASSERT_EQ(fields.size(), 5u) << line;
        EXPECT_TRUE(fields[0] == japan_iso(before) || fields[0] == japan_iso(after)) << line;
        rows.emplace_back(fields.begin() + 1, fields.end());
    }
    EXPECT_EQ(rows[0], (std::vector<std::string>{"renamed", scratch.file("rec.ts"),
                                                 scratch.file(kComposedName), ""}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"unchanged", named, named, ""}));
    EXPECT_EQ(rows[2][0], "noProgrammeData");
    EXPECT_EQ(rows[2][1], scratch.file("tab\\there.ts"));
    EXPECT_EQ(rows[2][2], "");
    EXPECT_FALSE(rows[2][3].empty());

    // The file left is in the journal's batch; alone it makes a batch that
    // undo --last passes over.
    const std::string alone = scratch.file("alone.ts");
    write_text(alone, std::string(188 * 40, '\0'));
    EXPECT_EQ(scratch.run({"rename", alone}).exitCode, 1);
    const std::vector<json> history = json_lines(scratch.run({"history", "--json"}));
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0]["files"], 0);
    EXPECT_EQ(history[0]["left"], 1);
    EXPECT_EQ(history[1]["files"], 1);
    EXPECT_EQ(history[1]["left"], 1);
    const std::string text = scratch.run({"history"}).output;
    EXPECT_NE(text.find("\n  left: " + alone + " (noProgrammeData: "), std::string::npos) << text;
    for (const json& line : json_lines(scratch.run({"undo", "--last", "--dry-run", "--json"})))
        EXPECT_EQ(line["batch"], history[1]["batch"]) << line;

    // Two processes appending at once keep every line whole.
    for (const char* folder : {"a", "b"}) {
        fs::create_directory(scratch.file(folder));
        for (int i = 0; i < 40; ++i)
            write_text(scratch.file(std::string(folder) + "/" + std::to_string(i) + ".ts"), "x");
    }
    const std::string both = scratch.command({"rename", "--log", log, scratch.file("a")}) + " & " +
                             scratch.command({"rename", "--log", log, scratch.file("b")}) +
                             " & wait";
    run_shell("{ " + both + "; } >/dev/null");
    const std::vector<std::string> all = lines_of(read_all(log));
    ASSERT_EQ(all.size(), 83u);
    for (std::size_t i = 3; i < all.size(); ++i) {
        const std::vector<std::string> fields = fields_of(all[i]);
        ASSERT_EQ(fields.size(), 5u) << all[i];
        EXPECT_EQ(fields[0].size(), 25u) << all[i];
        EXPECT_EQ(fields[2].rfind(scratch.path(), 0), 0u) << all[i];
        EXPECT_TRUE(fields[2].ends_with(".ts")) << all[i];
    }
}

}  // namespace
}  // namespace kalvento::test
