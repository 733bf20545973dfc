#include "rules/macro_menu.h"
#include "rules/template_scan.h"

#include "platform/codepage.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace kalvento::test {
namespace {

TEST(MacroMenu, MissingFileIsCreatedButNeverReplaced) {
    TempDir dir;
    const std::string path = dir.file("kalvento.mnu");
    const std::size_t entries = load_macro_menu(path).size();
    const std::string bytes = read_all(path);
    EXPECT_EQ(bytes, default_macro_menu_file());
    EXPECT_EQ(bytes.substr(0, bytes.find("\r\n")), "\t@TT\t" + cp932("タイトル(&T)"));
    EXPECT_EQ(entries, 71u);
    EXPECT_EQ(load_macro_menu(path).size(), entries);  // read back, not written again
    EXPECT_EQ(read_all(path), bytes);

    write_text(path, "\tonly\tone\r\n");
    ASSERT_EQ(load_macro_menu(path).size(), 1u);
    EXPECT_EQ(read_all(path), "\tonly\tone\r\n");
    // A directory in the file's place reads as nothing and stays; nothing is
    // written where the directory does not exist.
    std::filesystem::create_directory(dir.file("blocked.mnu"));
    EXPECT_TRUE(load_macro_menu(dir.file("blocked.mnu")).empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("blocked.mnu")));
    EXPECT_TRUE(load_macro_menu(dir.file("no/such/dir.mnu")).empty());
}

TEST(MacroMenu, LinesFieldsAndPieces) {
    // Fields after the third are ignored; short lines give empty entries; the
    // line end is not part of the label.
    const std::vector<MacroEntry> entries =
        parse_macro_menu("g\tm\tl\textra\r\nshort\tline\n\n\tm2\tl2\r\nG\tm3\tl3");
    ASSERT_EQ(entries.size(), 5u);
    std::string all;
    for (const MacroEntry& entry : entries) all += entry.group + entry.macro + entry.label + "|";
    EXPECT_EQ(all, "gml|||m2l2|Gm3l3|");

    // A line of 1023 bytes is one entry; a longer one is read in pieces of 1023.
    EXPECT_EQ(parse_macro_menu("G\tM\t" + std::string(kMacroLineMax - 4, 'x') + "\r\n").size(), 1u);
    const std::vector<MacroEntry> pieces =
        parse_macro_menu("G\tM\t" + std::string(2496, 'x') + "\r\n");
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].label, std::string(kMacroLineMax - 4, 'x'));
    EXPECT_TRUE(pieces[1].label.empty());
    const std::vector<MacroEntry> split =
        parse_macro_menu(std::string(kMacroLineMax, 'y') + "G\tM\tL\r\n");
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[1].macro, "M");
}

TEST(MacroMenu, GroupsAndCommands) {
    const MacroMenuLayout layout =
        macro_menu_layout(parse_macro_menu("A\t1\t\r\n\t2\t\r\nB\t3\t\r\nA\t4\t\r\n\t5\t\r\n"));
    EXPECT_EQ(layout.topLevel, (std::vector<std::size_t>{1, 4}));
    ASSERT_EQ(layout.submenus.size(), 2u);
    EXPECT_EQ(layout.submenus[0].group, "A");
    EXPECT_EQ(layout.submenus[0].entries, (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(layout.submenus[1].entries, (std::vector<std::size_t>{2}));

    std::string many;
    for (int i = 0; i < 1001; ++i) many += "\tm" + std::to_string(i) + "\tl\r\n";
    const std::vector<MacroEntry> big = parse_macro_menu(many);
    ASSERT_EQ(big.size(), 1001u);
    EXPECT_EQ(macro_menu_layout(big).topLevel.size(), 1001u);
    EXPECT_EQ(macro_command(1000), 7000);
    EXPECT_EQ(macro_position_for_command(6999, big.size()), 999u);
    EXPECT_FALSE(macro_position_for_command(7000, big.size()));
    EXPECT_FALSE(macro_position_for_command(5999, big.size()));
    EXPECT_FALSE(macro_position_for_command(6005, 3));
}

}  // namespace
}  // namespace kalvento::test

namespace kalvento::test {
namespace {

TEST(MacroMenu, ReferenceLinesNameEveryMacro) {
    // The menu's own lines come first, unchanged; every macro the scanner
    // knows is named by some line of the reference.
    const auto reference = macro_reference_lines();
    const auto menu = default_macro_lines();
    ASSERT_EQ(menu.size(), kDefaultMacroLineCount);
    EXPECT_EQ(reference.first(menu.size()).data(), menu.data());
    std::set<std::string_view> named;
    for (const DefaultMacroLine& line : reference) {
        EXPECT_FALSE(line.meaning.empty()) << line.macro;
        const std::string text = cp932(line.macro);
        scan_template(
            text, [](std::string_view) {},
            [&](const MacroDefinition& macro, std::size_t end) {
                named.insert(macro.name);
                return end;
            });
    }
    for (const MacroDefinition& macro : macro_definitions())
        EXPECT_TRUE(named.count(macro.name) != 0) << macro.name;
}

}  // namespace
}  // namespace kalvento::test
