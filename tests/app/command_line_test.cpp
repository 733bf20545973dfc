#include "app/command_line.h"

#include <gtest/gtest.h>

namespace kalvento {
namespace {

using Tokens = std::vector<std::string>;

TEST(CommandLine, SplitsLikeTheWindowsStartUp) {
    EXPECT_EQ(split_command_line(""), Tokens{});
    EXPECT_EQ(split_command_line("    "), Tokens{});
    EXPECT_EQ(split_command_line("  a   b "), (Tokens{"a", "b"}));
    EXPECT_EQ(split_command_line("\"C:\\rec dir\\a b.ts\" -AUTO"),
              (Tokens{"C:\\rec dir\\a b.ts", "-AUTO"}));
    // A quote inside a token stays; a quoted token ends at its closing quote.
    EXPECT_EQ(split_command_line("ab\"c d\""), (Tokens{"ab\"c", "d\""}));
    EXPECT_EQ(split_command_line("\"a b\"c"), (Tokens{"a b", "c"}));
    EXPECT_EQ(split_command_line("\"\" x"), (Tokens{"", "x"}));
    EXPECT_EQ(split_command_line("x \"unclosed  rest"), (Tokens{"x", "unclosed  rest"}));
    EXPECT_EQ(split_command_line("a\tb\t c"), (Tokens{"a\tb\t", "c"}));
    // CP932 paths: no trail byte is a blank or a quote.
    EXPECT_EQ(split_command_line("\"\x95\x5C \x83\x41.ts\""), (Tokens{"\x95\x5C \x83\x41.ts"}));
}

TEST(CommandLine, SwitchesInAnyCaseAndPosition) {
    CommandLine line = parse_command_line("-auto \"/rec/a b.ts\" /rec/c.ts -QuIt");
    EXPECT_TRUE(line.autoConvert);
    EXPECT_TRUE(line.quitAfter);
    EXPECT_EQ(line.files, (Tokens{"/rec/a b.ts", "/rec/c.ts"}));

    line = parse_command_line("-QUIT");
    EXPECT_FALSE(line.autoConvert);
    EXPECT_TRUE(line.quitAfter);
    EXPECT_TRUE(line.files.empty());

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
}  // namespace kalvento
