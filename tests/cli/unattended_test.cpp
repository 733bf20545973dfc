// kalvento-cli as a recording server's post-recording command: nothing lost,
// nothing misnamed, whatever the machine's zone, the settings or the files.
#include "rules/rule_store.h"
#include "rules/rule_text_forms.h"
#include "tests/cli/cli_test_util.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

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

}  // namespace
}  // namespace kalvento::test
