// kalvento-cli rename and analyse with a name template, a chosen programme
// and folders on the command line.
#include "tests/cli/cli_test_util.h"
#include "tests/support/recording_builder.h"
#include "tests/support/sample_recordings.h"

namespace kalvento::test {
namespace {

// Control characters in a template are dropped, as in broadcast text.
const std::string kTemplate = "@TT\t第@2nb話「@sb」\n [@CH]\x01 @mm月@dd日(@wk)\x7F";

// Two services on air: 1024 "ニュース７　[字]" (event 6657, the larger share)
// and 1025 "みんなの体操" (event 6913); small enough for a quick test.
void write_two_services(const std::string& path) {
    RecordingPlan plan = sample_terrestrial_two_services();
    plan.packets = 3000;
    plan.tableInterval = 100;
    ASSERT_TRUE(write_file(path, build_recording(plan)));
}

TEST(CliTemplate, NamesEveryFileWhateverTheRulesAndItems) {
    CliScratch scratch;
    // A rule that would name the file otherwise, and rules switched off: the
    // template is in charge either way.
    for (const char* rules_on : {"OmbrixRename=1", "OmbrixRename=0"}) {
        scratch.write_ini(std::string("[KalventoDlg]\n") + rules_on +
                          "\nFilenameSet1000=1\n[OmbrixReName]\nIndexNo=0\n[OmbrixReNameSet000000]"
                          "\nFindText=夜\nFindType=1\nRenameText=rule\n");
        // 01:30 on Monday belongs to Sunday's broadcast day in @mm, @dd and @wk.
        ASSERT_TRUE(
            write_small_recording(scratch.file("rec.ts"), {.eventName = "夜のドラマ/特別編",
                                                           .description = "　嵐の前　",
                                                           .start = mjd_time(2024, 4, 8, 1, 30)}));
        const std::string expected =
            "夜のドラマ／特別編第00話「嵐の前」 [カルヴェントテレビ] 04月07日(日).ts";

        const CliRun analysed =
            scratch.run({"analyse", "--json", "--template", kTemplate, scratch.file("rec.ts")});
        ASSERT_EQ(analysed.exitCode, 0) << analysed.errors;
        const json line = only_line(analysed);
        EXPECT_EQ(line["candidates"][0]["newName"], expected) << rules_on;
        EXPECT_EQ(line["candidates"][0]["eventName"], "夜のドラマ/特別編");
        EXPECT_TRUE(line["error"].is_null());

        const CliRun renamed =
            scratch.run({"rename", "--template", kTemplate, scratch.file("rec.ts")});
        EXPECT_EQ(renamed.exitCode, 0) << renamed.output << renamed.errors;
        EXPECT_EQ(names_in(scratch.path()), std::set<std::string>{expected}) << rules_on;
        fs::remove(scratch.file(expected));
    }
}

TEST(CliTemplate, RefusesWhatCannotMakeAName) {
    CliScratch scratch;
    ASSERT_TRUE(write_small_recording(scratch.file("rec.ts"), {.eventName = "夜のドラマ"}));
    for (const std::string& bad :
         {std::string("@TT \xF0\x9F\x98\x80"), std::string("@TT \xFF"), std::string()}) {
        for (const char* command : {"rename", "analyse"}) {
            const CliRun run = scratch.run({command, "--template", bad, scratch.file("rec.ts")});
            EXPECT_EQ(run.exitCode, 2) << command << " " << bad;
            EXPECT_TRUE(run.output.empty()) << run.output;
            EXPECT_EQ(run.errors.rfind("kalvento-cli: --template: ", 0), 0u) << run.errors;
        }
    }
    EXPECT_NE(scratch.run({"rename", "--template", "@TT \xF0\x9F\x98\x80", scratch.file("rec.ts")})
                  .errors.find("U+1F600"),
              std::string::npos);
    EXPECT_EQ(names_in(scratch.path()), std::set<std::string>{"rec.ts"});
}

TEST(CliTemplate, AnAtThatIsNoMacroIsKeptAndNamed) {
    CliScratch scratch;
    scratch.write_ini(
        "[KalventoDlg]\nOmbrixRename=1\n[OmbrixReName]\nIndexNo=0\n[OmbrixReNameSet000000]\n"
        "FindText=夜\nFindType=1\nRenameText=@TT @x\n");
    ASSERT_TRUE(write_small_recording(scratch.file("rec.ts"), {.eventName = "夜のドラマ"}));
    const std::string warning = "\"@tt\" is not a macro and stays in the name as written";

    const CliRun templated = scratch.run(
        {"rename", "--dry-run", "--json", "--template", "@TT @tt", scratch.file("rec.ts")});
    EXPECT_EQ(templated.exitCode, 0) << templated.errors;
    const json line = only_line(templated);
    EXPECT_EQ(line["newName"], "夜のドラマ @tt.ts");
    EXPECT_EQ(line["warnings"], json::array({warning}));
    EXPECT_EQ(templated.errors,
              "kalvento-cli: warning: " + scratch.file("rec.ts") + ": " + warning + "\n");
    const CliRun analysed =
        scratch.run({"analyse", "--template", "@TT @tt", scratch.file("rec.ts")});
    EXPECT_EQ(analysed.errors, "kalvento-cli: warning: --template: " + warning + "\n");

    // A rule's template: the note names the rule.
    const CliRun by_rule = scratch.run({"rename", "--dry-run", "--json", scratch.file("rec.ts")});
    EXPECT_EQ(only_line(by_rule)["warnings"],
              json::array({"rule \"夜\": \"@x\" is not a macro and stays in the name as written"}));
}

TEST(CliChoice, TheRenameTakesTheChosenProgrammeOrLeavesTheFile) {
    CliScratch scratch;
    write_two_services(scratch.file("rec.ts"));
    const auto rename = [&](const Args& choice) {
        return scratch.run(
            concat({"rename", "--template", "@TT"}, concat(choice, {scratch.file("rec.ts")})));
    };
    EXPECT_EQ(rename({"--service-id", "1024", "--event-id", "6913"}).exitCode, 1);
    EXPECT_EQ(rename({"--pick", "3"}).exitCode, 1);
    EXPECT_EQ(names_in(scratch.path()), std::set<std::string>{"rec.ts"});
    const CliRun real = rename({"--pick", "2"});
    EXPECT_EQ(real.exitCode, 0) << real.output;
    EXPECT_EQ(names_in(scratch.path()), std::set<std::string>{"みんなの体操.ts"});
}

// The tuner server's program id of a programme of the two-services recording
// (network 0x7FE8 = 32744): network x 10^10 + service x 10^5 + event.
std::string program_id(std::int64_t network, std::int64_t service, std::int64_t event) {
    return std::to_string(network * 10000000000 + service * 100000 + event);
}

TEST(CliChoice, ProgramIdNamesTheSubChannelAndItsCoverage) {
    CliScratch scratch;
    write_two_services(scratch.file("rec.ts"));
    const auto run = [&](const char* command, const Args& choice) {
        return scratch.run(concat({command, "--json", "--template", "@TT"},
                                  concat(choice, {scratch.file("rec.ts")})));
    };
    CliRun renamed = run("rename", {"--dry-run", "--program-id", program_id(32744, 1025, 6913)});
    json line = only_line(renamed);
    EXPECT_EQ(line["newName"], "みんなの体操.ts") << renamed.errors;
    EXPECT_EQ(line["coverage"], json::parse(R"({"serviceId": 1025, "eventId": 6913, "share": 1.0,
                  "atStart": {"serviceId": 1025, "eventId": 6913, "eventName": "みんなの体操"},
                  "atEnd": {"serviceId": 1025, "eventId": 6913, "eventName": "みんなの体操"}})"));
    EXPECT_TRUE(line["warnings"].empty());
    EXPECT_TRUE(only_line(run("rename", {"--dry-run"}))["coverage"].is_null());

    const CliRun analysed = run("analyse", {"--program-id", program_id(32744, 1024, 6657)});
    EXPECT_EQ(analysed.exitCode, 0) << analysed.errors;
    line = only_line(analysed);
    EXPECT_EQ(line["coverage"]["share"], 1.0);
    EXPECT_EQ(line["coverage"]["atEnd"]["eventName"], "ニュース７　[字]");
    EXPECT_EQ(line["candidates"][0]["originalNetworkId"], 32744);

    // A program id of another network is a usage error that names both, and
    // nothing moves; a malformed one or one beside the other ids too.
    for (const char* command : {"rename", "analyse"}) {
        const CliRun other = run(command, {"--program-id", program_id(4, 1025, 6913)});
        expect_usage_error(other, command);
        EXPECT_NE(other.errors.find("--program-id 40102506913 is of network 4, but the recording "
                                    "is of network 32744"),
                  std::string::npos)
            << other.errors;
    }
    for (const Args& bad :
         {Args{"--program-id", "3274401025"},  // a service id
          Args{"--program-id", "32744010256913"}, Args{"--program-id", "-1"},
          Args{"--program-id", "x"},
          Args{"--program-id", program_id(32744, 1025, 6913), "--event-id", "1"}}) {
        expect_usage_error(run("rename", bad), bad[1]);
    }
    EXPECT_EQ(names_in(scratch.path()), std::set<std::string>{"rec.ts"});
}

TEST(CliChoice, ProgrammeOnAirForLessThanHalfTheWindowIsAWarning) {
    CliScratch scratch;
    // 天気予報 (event 0x1C01) for the first 40 per cent, then the drama (0x1C02).
    RecordingPlan plan = sample_programme_change();
    plan.packets = 3000;
    plan.tableInterval = 100;
    ASSERT_TRUE(write_file(scratch.file("rec.ts"), build_recording(plan)));
    const CliRun weather = scratch.run({"rename", "--json", "--template", "@TT", "--service-id",
                                        "1024", "--event-id", "7169", scratch.file("rec.ts")});
    EXPECT_EQ(weather.exitCode, 0) << weather.errors;
    const json line = only_line(weather);
    EXPECT_EQ(line["newName"], "天気予報.ts");
    EXPECT_LT(line["coverage"]["share"].get<double>(), 0.5);
    EXPECT_EQ(line["coverage"]["atEnd"]["eventId"], 0x1C02);
    ASSERT_EQ(line["warnings"].size(), 1u);
    const std::string warning = line["warnings"][0];
    EXPECT_NE(warning.find("at its end 1024/7170 ドラマ「港町の灯り」　第５話"), std::string::npos)
        << warning;
    EXPECT_NE(weather.errors.find("kalvento-cli: warning: "), std::string::npos);

    // The drama itself is on air at the end and for most of the window (the
    // whole file here: it comes at 40 per cent).
    const CliRun drama = scratch.run({"analyse", "--start-percent", "0", "--service-id", "1024",
                                      "--event-id", "7170", scratch.file("天気予報.ts")});
    EXPECT_EQ(drama.exitCode, 0);
    EXPECT_TRUE(drama.errors.empty()) << drama.errors;
    EXPECT_NE(drama.output.find("  coverage of service 1024, event 7170: 58% of the window\n"
                                "      at its start: 1024/7169 天気予報\n"
                                "      at its end:   1024/7170 ドラマ「港町の灯り」　第５話\n"),
              std::string::npos)
        << drama.output;
}

TEST(CliFolders, RecordingsInsideInNameOrderAndRecursively) {
    CliScratch scratch;
    // The folder the window's drop is tested on as well.
    const RecordingFolder folder =
        write_recording_folder(scratch.path(), {.eventName = "夜のドラマ"});
    const std::string& in = folder.folder;

    const auto paths = [&](const CliRun& run) {
        std::vector<std::string> found;
        for (const json& line : json_lines(run)) found.push_back(line["path"]);
        return found;
    };
    const CliRun flat = scratch.run({"analyse", "--json", in + "/"});
    EXPECT_EQ(flat.exitCode, 0) << flat.errors;
    EXPECT_EQ(paths(flat), folder.flat);
    const CliRun deep = scratch.run({"analyse", "--json", "-r", in, scratch.file("in/notes.txt")});
    std::vector<std::string> expected = folder.recursive;
    expected.push_back(in + "/notes.txt");
    EXPECT_EQ(paths(deep), expected);
    // A file named directly is analysed whatever its name; one without
    // packets reports why next to the no-data candidate.
    EXPECT_EQ(deep.exitCode, 1);
    const json notes = json_lines(deep).back();
    EXPECT_EQ(notes["error"], "no transport-stream packets found in the window");
    EXPECT_EQ(notes["candidates"][0]["startTime"], 0);
    const json missing =
        json_lines(scratch.run({"analyse", "--json", scratch.file("missing.ts")})).at(0);
    EXPECT_EQ(missing["error"].get<std::string>().rfind("cannot read: ", 0), 0u) << missing;
    EXPECT_EQ(missing["candidates"].size(), 1u);

    // The link is renamed as a link; the recording it leads to keeps its name.
    const CliRun renamed = scratch.run({"rename", "--template", "@TT", in});
    EXPECT_EQ(renamed.exitCode, 0) << renamed.output;
    EXPECT_EQ(names_in(in),
              (std::set<std::string>{"夜のドラマ.ts", "夜のドラマ.M2TS", "夜のドラマ.mts",
                                     "朝のニュース.ts", ".f.ts", "notes.txt"}));
    EXPECT_TRUE(fs::is_symlink(in + "/朝のニュース.ts"));
    EXPECT_EQ(names_in(scratch.file("elsewhere")), std::set<std::string>{"linked.ts"});
    EXPECT_EQ(names_in(scratch.file("in/sub")), std::set<std::string>{"d.ts"});
}

}  // namespace
}  // namespace kalvento::test
