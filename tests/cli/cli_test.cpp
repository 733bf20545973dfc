#include "tests/cli/cli_test_util.h"

namespace kalvento::test {
namespace {

TEST(CliAnalyse, JsonShape) {
    CliScratch scratch;
    scratch.write_settings({});
    write_drama(scratch.file("rec.ts"), 1, "夜のドラマ", "一行目\r二行目");
    const CliRun run = scratch.run({"analyse", "--json", scratch.file("rec.ts")});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const json line = only_line(run);
    EXPECT_EQ(line["path"], scratch.file("rec.ts"));
    EXPECT_EQ(line["unitSize"], 188);
    ASSERT_EQ(line["candidates"].size(), 1u);
    const json& candidate = line["candidates"][0];
    // Every text item of the candidate is a string, every number an integer.
    std::size_t texts = 0;
    for (const auto& [key, value] : candidate.items()) texts += value.is_string();
    EXPECT_EQ(texts, 41u);
    for (const char* field : {"serviceId", "eventId", "videoPackets", "startTime", "endTime"})
        EXPECT_TRUE(candidate[field].is_number_integer()) << field;
    EXPECT_EQ(candidate["eventName"], "夜のドラマ");
    EXPECT_EQ(candidate["eventText"], "一行目\r二行目");
    EXPECT_EQ(candidate["eventTextFlat"], "一行目二行目");
    EXPECT_EQ(candidate["serviceId"], 1024);
    EXPECT_EQ(candidate["startTime"], 1712491200);
    EXPECT_EQ(candidate["endTime"], 1712491200 + 54 * 60);
}

TEST(CliRename, DryRunThenRenameThenNothingLeftToDo) {
    CliScratch scratch;
    const std::string numbered = "夜のドラマ 20240407(日)(1).ts";
    scratch.write_settings(kNameAndDate);
    write_drama(scratch.file("a.ts"), 1);
    write_drama(scratch.file("b.ts"), 2);
    const std::string a = read_all(scratch.file("a.ts"));
    const std::string b = read_all(scratch.file("b.ts"));

    const CliRun dry =
        scratch.run({"rename", "--dry-run", "--json", scratch.file("a.ts"), scratch.file("b.ts")});
    EXPECT_EQ(dry.exitCode, 0) << dry.output;
    EXPECT_EQ(names_in(scratch.path()), (std::set<std::string>{"a.ts", "b.ts"}));
    const auto lines = json_lines(dry);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["status"], "wouldRename");
    EXPECT_EQ(lines[0]["newPath"], scratch.file(kComposedName));
    // The dry run foresees the collision between the two files.
    EXPECT_EQ(lines[1]["newPath"], scratch.file(numbered));

    const CliRun real = scratch.run({"rename", scratch.file("a.ts"), scratch.file("b.ts")});
    EXPECT_EQ(real.exitCode, 0) << real.output;
    EXPECT_EQ(real.output, scratch.file("a.ts") + " -> " + scratch.file(kComposedName) + "\n" +
                               scratch.file("b.ts") + " -> " + scratch.file(numbered) + "\n");
    EXPECT_EQ(read_all(scratch.file(kComposedName)), a);
    EXPECT_EQ(read_all(scratch.file(numbered)), b);

    // Run again, twice: each file already bears its name, the numbered one too.
    const std::set<std::string> named = names_in(scratch.path());
    for (int round = 0; round < 2; ++round) {
        const auto again = json_lines(
            scratch.run({"rename", "--json", scratch.file(kComposedName), scratch.file(numbered)}));
        ASSERT_EQ(again.size(), 2u);
        for (const json& line : again) EXPECT_EQ(line["status"], "unchanged") << line;
        EXPECT_EQ(again[0]["candidate"]["eventName"], "夜のドラマ");
        EXPECT_EQ(again[0]["newName"], kComposedName);
        EXPECT_EQ(names_in(scratch.path()), named);
    }

    // The same file, named twice and spelt differently, is handled once.
    const auto twice = json_lines(scratch.run(
        {"rename", "--json", scratch.file(kComposedName), scratch.path() + "/./" + kComposedName}));
    ASSERT_EQ(twice.size(), 2u);
    EXPECT_EQ(twice[0]["status"], "unchanged");
    EXPECT_EQ(twice[1]["status"], "duplicate");
}

TEST(CliRename, FailuresGiveExitCodeOne) {
    CliScratch scratch;
    scratch.write_settings(kNameAndDate);
    write_drama(scratch.file("good.ts"));
    std::ofstream(scratch.file("noise.ts"), std::ios::binary) << std::string(5000, 'x');

    const CliRun run = scratch.run({"rename", "--json", scratch.file("good.ts"),
                                    scratch.file("noise.ts"), scratch.file("missing.ts")});
    EXPECT_EQ(run.exitCode, 1);
    const auto lines = json_lines(run);
    ASSERT_EQ(lines.size(), 3u);
    const char* statuses[] = {"renamed", "noProgrammeData", "unreadable"};
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(lines[i]["status"], statuses[i]);
    EXPECT_TRUE(lines[1]["newPath"].is_null());
    EXPECT_TRUE(fs::exists(scratch.file("noise.ts")));
    EXPECT_TRUE(fs::exists(scratch.file(kComposedName)));

    // NotRename leaves every name as it is and succeeds.
    scratch.write_settings({"NotRename=1"});
    EXPECT_EQ(scratch.run({"rename", scratch.file(kComposedName)}).exitCode, 0);
    EXPECT_TRUE(fs::exists(scratch.file(kComposedName)));
}

}  // namespace
}  // namespace kalvento::test
