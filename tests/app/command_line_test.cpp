#include "app/command_line.h"

#include <gtest/gtest.h>

namespace kalvento::test {
namespace {

using Tokens = std::vector<std::string>;

TEST(CommandLine, SplitsLikeTheWindowsStartUp) {
    const std::pair<std::string, Tokens> cases[] = {
        {"", {}},
        {"    ", {}},
        {"  a   b ", {"a", "b"}},
        {"\"C:\\rec dir\\a b.ts\" -AUTO", {"C:\\rec dir\\a b.ts", "-AUTO"}},
        // A quote inside a token stays; a quoted token ends at its closing quote.
        {"ab\"c d\"", {"ab\"c", "d\""}},
        {"\"a b\"c", {"a b", "c"}},
        {"\"\" x", {"", "x"}},
        {"x \"unclosed  rest", {"x", "unclosed  rest"}},
        {"a\tb\t c", {"a\tb\t", "c"}},
        // CP932 paths: no trail byte is a blank or a quote.
        {"\"\x95\x5C \x83\x41.ts\"", {"\x95\x5C \x83\x41.ts"}},
    };
    for (const auto& [line, tokens] : cases) EXPECT_EQ(split_command_line(line), tokens) << line;
}

TEST(CommandLine, SwitchesInAnyCaseAndPosition) {
    CommandLine line = parse_command_line("-auto \"/rec/a b.ts\" /rec/c.ts -QuIt");
    EXPECT_TRUE(line.autoConvert);
    EXPECT_TRUE(line.quitAfter);
    EXPECT_EQ(line.files, (Tokens{"/rec/a b.ts", "/rec/c.ts"}));

    line = parse_command_line("-QUIT");
    EXPECT_TRUE(!line.autoConvert && line.quitAfter && line.files.empty());

    line = parse_command_line("-AUTOX \"-auto\"");
    EXPECT_TRUE(line.autoConvert);
    EXPECT_EQ(line.files, Tokens{"-AUTOX"});

    const char* argv[] = {"kalvento", "/rec/with space.ts", "-Auto", "", "x\"y"};
    line = parse_command_line_arguments(5, argv);
    EXPECT_TRUE(line.autoConvert);
    EXPECT_FALSE(line.quitAfter);
    EXPECT_EQ(line.files, (Tokens{"/rec/with space.ts", "", "x\"y"}));
    EXPECT_TRUE(parse_command_line_arguments(1, argv).files.empty());
}

}  // namespace
}  // namespace kalvento::test
