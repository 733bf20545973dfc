#include "tests/cli/cli_test_util.h"

namespace kalvento::test {
namespace {

TEST(CliRename, RenameThenNothingLeftToDo) {
    CliScratch scratch;
    const std::string numbered = "夜のドラマ 20240407(日)(1).ts";
    scratch.write_settings(kNameAndDate);
    write_drama(scratch.file("a.ts"), 1);
    write_drama(scratch.file("b.ts"), 2);
    const std::string a = read_all(scratch.file("a.ts"));
    const std::string b = read_all(scratch.file("b.ts"));

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
        EXPECT_EQ(names_in(scratch.path()), named);
    }
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
    EXPECT_TRUE(fs::exists(scratch.file("noise.ts")));
    EXPECT_TRUE(fs::exists(scratch.file(kComposedName)));

    // NotRename leaves every name as it is and succeeds.
    scratch.write_settings({"NotRename=1"});
    EXPECT_EQ(scratch.run({"rename", scratch.file(kComposedName)}).exitCode, 0);
    EXPECT_TRUE(fs::exists(scratch.file(kComposedName)));
}

}  // namespace
}  // namespace kalvento::test
