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

}  // namespace
}  // namespace kalvento::test
