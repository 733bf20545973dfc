#include "rules/macro_menu.h"

#include "platform/codepage.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace kalvento {
namespace {

using test::read_all;
using test::TempDir;
using test::write_text;

TEST(MacroMenu, MissingFileIsCreatedWithTheDefaultLines) {
    TempDir dir;
    const std::string path = dir.file("kalvento.mnu");
    const std::vector<MacroEntry> entries = load_macro_menu(path);
    const std::string bytes = read_all(path);
    EXPECT_EQ(bytes, default_macro_menu_file());
    EXPECT_EQ(bytes.substr(0, bytes.find("\r\n")), "\t@TT\t" + cp932("タイトル(&T)"));
    ASSERT_EQ(entries.size(), 71u);
    EXPECT_EQ(entries[55].macro, "@C'(?:\\[.+?\\])+'");
    EXPECT_EQ(entries[59].macro, cp932("@TT 第@2nb話@sb [@CH] @mm月@dd日(@wk)"));

    // The second start reads the file back: 23 entries without a group, then the six submenus.
    const MacroMenuLayout layout = macro_menu_layout(load_macro_menu(path));
    EXPECT_EQ(layout.topLevel.size(), 23u);
    std::vector<std::string> groups;
    std::vector<std::size_t> sizes;
    for (const MacroSubmenu& menu : layout.submenus) {
        groups.push_back(cp932_to_utf8_lossy(menu.group));
        sizes.push_back(menu.entries.size());
    }
    EXPECT_EQ(groups, (std::vector<std::string>{"ナンバリング", "ナンバリング＃", "日付28",
                                                "日付24", "例", "正規表現"}));
    EXPECT_EQ(sizes, (std::vector<std::size_t>{4, 4, 12, 12, 9, 7}));
    EXPECT_EQ(read_all(path), bytes);
}

TEST(MacroMenu, ExistingOrUnreadableFilesAreNeverReplaced) {
    TempDir dir;
    const std::string path = dir.file("kalvento.mnu");
    write_text(path, "\tonly\tone\r\n");
    ASSERT_EQ(load_macro_menu(path).size(), 1u);
    EXPECT_EQ(read_all(path), "\tonly\tone\r\n");

    // A directory in the file's place reads as nothing and stays.
    const std::string blocked = dir.file("blocked.mnu");
    std::filesystem::create_directory(blocked);
    EXPECT_TRUE(load_macro_menu(blocked).empty());
    EXPECT_TRUE(std::filesystem::is_directory(blocked));
    // Nor is anything written where the directory does not exist.
    EXPECT_TRUE(load_macro_menu(dir.file("no/such/dir.mnu")).empty());
}

TEST(MacroMenu, LinesFieldsAndPieces) {
    // Fields after the third are ignored; short lines give empty entries; the
    // line end is not part of the label.
    const std::vector<MacroEntry> entries =
        parse_macro_menu("g\tm\tl\textra\r\nshort\tline\n\n\tm2\tl2\r\nG\tm3\tl3");
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].label, "l");
    EXPECT_TRUE(entries[1].group.empty() && entries[1].macro.empty() && entries[1].label.empty());
    EXPECT_TRUE(entries[2].macro.empty());
    EXPECT_EQ(entries[3].label, "l2");
    EXPECT_EQ(entries[4].label, "l3");

    // A line of 1023 bytes is one entry; a longer one is read in pieces of 1023.
    const std::string exact = "G\tM\t" + std::string(kMacroLineMax - 4, 'x');
    EXPECT_EQ(parse_macro_menu(exact + "\r\n").size(), 1u);
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
    const std::vector<MacroEntry> entries =
        parse_macro_menu("A\t1\t\r\n\t2\t\r\nB\t3\t\r\nA\t4\t\r\n\t5\t\r\n");
    const MacroMenuLayout layout = macro_menu_layout(entries);
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
}  // namespace kalvento
