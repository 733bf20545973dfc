#include "tests/cli/cli_test_util.h"
#include "tests/support/small_recording.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace kalvento {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::CliScratch;
using test::lines_of;
using test::read_all;

// Items 番組名 and yyyymmdd(w) with one blank between them; no rules.
const std::vector<std::string> kNameAndDate = {
    "FilenameSet1000=1",      "FilenameSet1001=23",     "FilenameSet1002=0",
    "FilenameSet1003=0",      "FilenameSetSp1012=\"\"", "FilenameSetSp1013=\" \"",
    "FilenameSetSp1014=\"\"", "FilenameSetSp1015=\"\"", "FilenameSetSp1016=\"\"",
    "OmbrixRename=0",
};
const std::string kComposedName = "夜のドラマ 20240407(日).ts";

std::set<std::string> names_in(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& item : fs::directory_iterator(dir))
        if (item.is_regular_file()) names.insert(item.path().filename().string());
    return names;
}

void write_drama(const std::string& path, std::uint32_t seed = 1) {
    ASSERT_TRUE(test::write_small_recording(
        path, {.eventName = "夜のドラマ", .description = "一行目\r二行目", .seed = seed}));
}

TEST(CliAnalyse, JsonShape) {
    CliScratch scratch;
    scratch.write_settings({});
    write_drama(scratch.file("rec.ts"));
    const test::CliRun run = scratch.run({"analyse", "--json", scratch.file("rec.ts")});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const auto lines = lines_of(run.output);
    ASSERT_EQ(lines.size(), 1u);
    const json line = json::parse(lines[0]);
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
    scratch.write_settings(kNameAndDate);
    write_drama(scratch.file("a.ts"), 1);
    write_drama(scratch.file("b.ts"), 2);
    const std::string a = read_all(scratch.file("a.ts"));
    const std::string b = read_all(scratch.file("b.ts"));

    const test::CliRun dry =
        scratch.run({"rename", "--dry-run", "--json", scratch.file("a.ts"), scratch.file("b.ts")});
    EXPECT_EQ(dry.exitCode, 0) << dry.output;
    EXPECT_EQ(names_in(scratch.path()), (std::set<std::string>{"a.ts", "b.ts"}));
    auto lines = lines_of(dry.output);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(json::parse(lines[0])["status"], "wouldRename");
    EXPECT_EQ(json::parse(lines[0])["newPath"], scratch.file(kComposedName));
    // The dry run foresees the collision between the two files.
    EXPECT_EQ(json::parse(lines[1])["newPath"], scratch.file("夜のドラマ 20240407(日)(1).ts"));

    const test::CliRun real = scratch.run({"rename", scratch.file("a.ts"), scratch.file("b.ts")});
    EXPECT_EQ(real.exitCode, 0) << real.output;
    EXPECT_EQ(real.output, scratch.file("a.ts") + " -> " + scratch.file(kComposedName) + "\n" +
                               scratch.file("b.ts") + " -> " +
                               scratch.file("夜のドラマ 20240407(日)(1).ts") + "\n");
    EXPECT_EQ(read_all(scratch.file(kComposedName)), a);
    EXPECT_EQ(read_all(scratch.file("夜のドラマ 20240407(日)(1).ts")), b);

    // The same file, named twice and spelt differently, is handled once.
    const test::CliRun again = scratch.run(
        {"rename", "--json", scratch.file(kComposedName), scratch.path() + "/./" + kComposedName});
    EXPECT_EQ(again.exitCode, 0);
    ASSERT_EQ(lines_of(again.output).size(), 2u);
    EXPECT_EQ(json::parse(lines_of(again.output)[1])["status"], "duplicate");
    const json line = json::parse(lines_of(again.output).at(0));
    EXPECT_EQ(line["status"], "unchanged");
    EXPECT_EQ(line["candidate"]["eventName"], "夜のドラマ");
    EXPECT_EQ(line["newName"], kComposedName);
}

TEST(CliRename, FailuresGiveExitCodeOne) {
    CliScratch scratch;
    scratch.write_settings(kNameAndDate);
    write_drama(scratch.file("good.ts"));
    std::ofstream(scratch.file("noise.ts"), std::ios::binary) << std::string(5000, 'x');

    const test::CliRun run = scratch.run({"rename", "--json", scratch.file("good.ts"),
                                          scratch.file("noise.ts"), scratch.file("missing.ts")});
    EXPECT_EQ(run.exitCode, 1);
    const auto lines = lines_of(run.output);
    ASSERT_EQ(lines.size(), 3u);
    const char* statuses[] = {"renamed", "noProgrammeData", "unreadable"};
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(json::parse(lines[i])["status"], statuses[i]);
    EXPECT_TRUE(json::parse(lines[1])["newPath"].is_null());
    EXPECT_TRUE(fs::exists(scratch.file("noise.ts")));
    EXPECT_TRUE(fs::exists(scratch.file(kComposedName)));

    // NotRename leaves every name as it is and succeeds.
    scratch.write_settings({"NotRename=1"});
    EXPECT_EQ(scratch.run({"rename", scratch.file(kComposedName)}).exitCode, 0);
    EXPECT_TRUE(fs::exists(scratch.file(kComposedName)));
}

}  // namespace
}  // namespace kalvento
