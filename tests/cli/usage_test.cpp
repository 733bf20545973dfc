// Usage errors and help: exit code 2 and a "kalvento-cli:" message on
// standard error for every mistake in the command line, help on standard output.
#include "tests/cli/cli_test_util.h"

namespace kalvento::test {
namespace {

TEST(CliUsage, MistakesExitTwoWithAMessage) {
    CliScratch scratch;
    for (const Args& arguments : std::vector<Args>{
             {},                                                      // no command
             {"bogus"},                                               // no such command
             {"rename"},                                              // FILE missing
             {"rename", "--no-such-option", "x.ts"},                  // unknown option
             {"analyse", "--size-mb", "0", "x.ts"},                   // out of range
             {"analyse", "--start-percent", "ten", "x.ts"},           // not a number
             {"rename", "--pick", "1", "--service-id", "2", "x.ts"},  // excluded together
             {"rules"},                                               // subcommand missing
             {"rules", "export", "--encoding", "latin1", "x.txt"},
             {"rules", "export", "--encoding", "auto", "x.txt"},  // only import guesses
             {"config", "set", "ReadSize"},                       // a key without its value
             {"watch"},                                           // FOLDER missing
             {"watch", scratch.file("missing")},
             {"watch", scratch.file("config"), "--template", ""},
             {"watch", "--settle", "-1", scratch.file("config")},
             {"help", "nope"}}) {
        expect_usage_error(scratch.run(arguments), arguments.empty() ? "(none)" : arguments.back());
    }
    // The message names the command whose help explains it.
    EXPECT_NE(
        scratch.run({"rename", "--pick", "0", "x.ts"}).errors.find("kalvento-cli help rename"),
        std::string::npos);
}

TEST(CliUsage, HelpGoesToStandardOutput) {
    CliScratch scratch;
    const CliRun main_help = scratch.run({"help"});
    EXPECT_EQ(main_help.exitCode, 0);
    EXPECT_NE(main_help.output.find("Usage: kalvento-cli [OPTIONS] [SUBCOMMAND]"),
              std::string::npos);
    EXPECT_NE(main_help.output.find("Exit status: 0 done"), std::string::npos);
    EXPECT_EQ(main_help.output, scratch.run({"--help"}).output);

    const CliRun import_help = scratch.run({"help", "rules", "import"});
    EXPECT_EQ(import_help.exitCode, 0);
    EXPECT_NE(import_help.output.find("Usage: kalvento-cli rules import [OPTIONS] FILE"),
              std::string::npos)
        << import_help.output;
    EXPECT_EQ(import_help.output, scratch.run({"rules", "import", "--help"}).output);
    // An alias finds its command.
    EXPECT_EQ(scratch.run({"help", "analyze"}).output, scratch.run({"analyse", "--help"}).output);
    EXPECT_TRUE(import_help.errors.empty());
}

TEST(CliUsage, HelpMacrosShowsEachMacroAtWork) {
    CliScratch scratch;
    const CliRun macros = scratch.run({"help", "macros"});
    EXPECT_EQ(macros.exitCode, 0);
    EXPECT_TRUE(macros.errors.empty()) << macros.errors;
    // Meaning and example come with the menu's label; the example programme
    // starts at 01:30, so the 28-hour hour is 25.
    for (const char* shown :
         {"  @2nb    放送話数(01)\n      The episode number in two digits\n"
          "      \"@2nb\" gives \"05\"\n",
          "  @sh    開始時間(28時間)\n      Start hour, 24 to 27 for a start before 04:00\n"
          "      \"@sh\" gives \"25\"\n",
          "  @SB    (not in the menu)\n",
          "\"@C'(?:\\[.+?\\])+'@TT\" gives \"＜新＞夜のドラマ「港町の灯り」　#5\"\n",
          "\nIn its submenu 日付24\n  @YY    年4桁(24時間)\n"}) {
        EXPECT_NE(macros.output.find(shown), std::string::npos) << shown;
    }
    // The README's link leads to the same text.
    const std::string page = read_all(std::string(KALVENTO_SOURCE_DIR) + "/docs/macros.md");
    const std::size_t from = page.find("```text\n");
    const std::size_t to = page.rfind("```");
    ASSERT_NE(from, std::string::npos);
    EXPECT_EQ(page.substr(from + 8, to - from - 8), macros.output)
        << "docs/macros.md: put in the output of kalvento-cli help macros";
}

}  // namespace
}  // namespace kalvento::test
