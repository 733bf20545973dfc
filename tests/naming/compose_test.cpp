#include "naming/compose.h"

#include "naming/item_table.h"
#include "platform/codepage.h"
#include "tests/naming/naming_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace kalvento::test {
namespace {

NamingSettings name_and_compact_date() {
    NamingSettings settings;
    settings.items = {1, 23, 0, 0};
    settings.separators = {"", " ", "", "", ""};
    return settings;
}

TEST(ItemTable, LabelsAndForbiddenCharacters) {
    EXPECT_EQ(item_label_utf8(26), "番組内容(1行)");
    EXPECT_EQ(item_label_utf8(27), "");
    EXPECT_EQ(item_text(ProgramInfo{}, -1), nullptr);
    EXPECT_EQ(replace_forbidden_characters("a/b:c?d|e*f<g>h\\i\r\nj\"k\tl\x01\x1Fm\x7F n~"),
              cp932("a／b：c？d｜e＊f＜g＞h￥ij\"klm n~"));
    // 表 is 0x95 0x5C and ポ is 0x83 0x7C: their trail bytes are not "\" and "|".
    EXPECT_EQ(replace_forbidden_characters(cp932("表ポ/")), cp932("表ポ／"));
    EXPECT_EQ(replace_forbidden_characters("a\x95"), "a\x95");  // a lone lead byte at the end
}

TEST(Compose, ItemsSeparatorsAndExtension) {
    ProgramInfo info = programme("ニュース");
    info.dateCompact = cp932("20240407(日)");
    FileEntry entry = entry_for("/rec/in/rec.ts", info);
    const RowTexts row = compose_entry(entry, name_and_compact_date());
    EXPECT_EQ(entry.newName, cp932("ニュース 20240407(日).ts"));
    EXPECT_EQ(entry.newPath, "/rec/in/" + entry.newName);
    EXPECT_EQ(entry.nativeNewPath, "/rec/in/ニュース 20240407(日).ts");
    EXPECT_EQ(entry.tooLong, 0);
    EXPECT_EQ(row.columns[kColumnNewName], entry.newName);
    EXPECT_EQ(row.columns[kColumnCurrentName], "rec.ts");

    // Separators are written beside unused items too; -1 stands for nothing.
    NamingSettings settings;
    settings.items = {-1, 1, 0, 99};
    settings.separators = {"[", "]", "_", "-", "."};
    compose_entry(entry, settings);
    EXPECT_EQ(entry.newName, cp932("[]ニュース_-..ts"));

    // The extension of the recording is kept; a recording without one gets ".ts".
    FileEntry m2ts = entry_for("/rec/a.m2ts", info);
    compose_entry(m2ts, name_and_compact_date());
    EXPECT_EQ(m2ts.newName, cp932("ニュース 20240407(日).m2ts"));
    FileEntry bare = entry_for("/rec/recording", info);
    compose_entry(bare, name_and_compact_date());
    EXPECT_EQ(bare.newName, cp932("ニュース 20240407(日).ts"));
}

TEST(Compose, TrailBytesAndQuotesSurviveIntoTheFileName) {
    FileEntry entry = entry_for("/rec/rec.ts", programme("表示/時刻?\"特集\""));
    compose_entry(entry, by_name());
    EXPECT_EQ(entry.nativeNewPath, "/rec/表示／時刻？\"特集\".ts");
}

TEST(Compose, NotRenameNoDataAndRowTexts) {
    ProgramInfo info = programme("番組");
    info.channelName = "CH";
    info.dateMD = "04/07";
    info.timeHM = "21:00";
    info.title = "T";
    info.queryTitle = "Q";
    FileEntry entry = entry_for("/rec/old name.ts", info);
    NamingSettings settings = name_and_compact_date();
    settings.notRename = true;
    RowTexts row = compose_entry(entry, settings);
    EXPECT_TRUE(entry.newName == entry.currentName && entry.newPath == entry.sourcePath &&
                entry.nativeNewPath == entry.nativePath);
    EXPECT_EQ(row.columns[kColumnChannel], "CH");
    EXPECT_EQ(row.columns[kColumnDate], "04/07 21:00");
    EXPECT_EQ(row.columns[kColumnTitle], "T,Q");
    EXPECT_FALSE(row.selected);
    entry.converted = 1;
    EXPECT_TRUE(row_texts(entry).selected);

    // No start time: no name at all, not even an extension.
    FileEntry no_data = entry_for("/rec/x.ts", programme("データが有りません", 0));
    compose_entry(no_data, name_and_compact_date());
    EXPECT_EQ(no_data.newName + no_data.nativeNewPath, "");
    // A selected index out of range behaves the same instead of reading past the list.
    entry.selected = 5;
    compose_entry(entry, name_and_compact_date());
    EXPECT_EQ(entry.newName, "");
}

TEST(Compose, RuleStep) {
    FileEntry entry = entry_for("/rec/rec.m2ts", programme("番組"));
    NamingSettings settings = name_and_compact_date();
    int calls = 0;
    std::string answer = "rule/name";
    bool matches = true;
    const RuleStep rule = [&](FileEntry&, ProgramInfo&, std::string& result) {
        ++calls;
        result = answer;
        return matches;
    };
    compose_entry(entry, settings, rule);
    EXPECT_EQ(entry.newName, cp932("rule／name.m2ts"));

    answer = std::string(300, 'x') + cp932(std::string(200, 'a') + "あ");  // byte 500 splits あ
    compose_entry(entry, settings, rule);
    EXPECT_EQ(entry.newName, std::string(300, 'x') + std::string(200, 'a') + ".m2ts");

    answer.clear();  // a match with an empty result leaves the name empty
    compose_entry(entry, settings, rule);
    EXPECT_EQ(entry.newName, "");

    matches = false;  // no rule matches: the items name the file
    compose_entry(entry, settings, rule);
    EXPECT_EQ(entry.newName, cp932("番組 .m2ts"));

    settings.ombrixRename = false;
    calls = 0;
    compose_entry(entry, settings, rule);
    EXPECT_EQ(calls, 0);
}

// The directory "/p/ppp.../" of exactly `length` bytes including both slashes.
std::string directory_of_length(std::size_t length) {
    return "/p/" + std::string(length - 4, 'd') + "/";
}

TEST(Compose, PathLengthLimits) {
    const NamingSettings settings = by_name();
    const std::string directory = directory_of_length(40);

    // 40 + 213 + ".ts" = 256 CP932 bytes: allowed; one byte more is not.
    FileEntry fits = entry_for(directory + "a.ts", programme(std::string(213, 'n')));
    compose_entry(fits, settings);
    EXPECT_EQ(fits.newPath.size(), 256u);
    EXPECT_EQ(fits.tooLong, 0);
    FileEntry over = entry_for(directory + "a.ts", programme(std::string(214, 'n')));
    compose_entry(over, settings);
    EXPECT_EQ(over.tooLong, 1);

    // Counted in CP932: 100 kana are 200 bytes here but 300 in UTF-8.
    std::string kana84;
    for (int i = 0; i < 84; ++i) kana84 += "あ";
    FileEntry utf8_fits = entry_for("/r/a.ts", programme(kana84));  // 252 + 3 UTF-8 bytes
    compose_entry(utf8_fits, settings);
    EXPECT_EQ(utf8_fits.tooLong, 0);
    FileEntry utf8_over = entry_for("/r/a.ts", programme(kana84 + "い"));  // 258 bytes
    compose_entry(utf8_over, settings);
    EXPECT_LT(utf8_over.newPath.size(), 256u);
    EXPECT_EQ(utf8_over.tooLong, 1);
}

TEST(Compose, NameBufferBoundNeverSplitsACharacter) {
    std::string long_kana;
    for (int i = 0; i < 400; ++i) long_kana += "か:";
    ProgramInfo info = programme(long_kana);
    info.eventTextFlat = info.eventName;
    FileEntry entry = entry_for("/r/a.m2ts", info);
    NamingSettings settings;
    settings.items = {1, 25, 1, 25};
    settings.separators.fill(std::string(300, 's'));  // over the 255-byte limit
    compose_entry(entry, settings);
    EXPECT_LE(entry.newName.size(), kComposedNameMax);
    EXPECT_EQ(entry.newName.substr(0, 256), std::string(255, 's') + cp932("か").substr(0, 1));
    EXPECT_EQ(entry.newName.substr(entry.newName.size() - 5), ".m2ts");
    EXPECT_TRUE(cp932_to_utf8(entry.newName).has_value());
    EXPECT_EQ(entry.tooLong, 1);
}

TEST(Compose, NamesCp932CannotSpell) {
    NamingSettings settings = name_and_compact_date();
    // "é" has no CP932 form: the texts show a blank, the file keeps its exact path.
    FileEntry entry = entry_for("/r/café.ts", programme("番組"));
    EXPECT_EQ(entry.currentName, "caf .ts");
    settings.notRename = true;
    compose_entry(entry, settings);
    EXPECT_EQ(entry.nativeNewPath, "/r/café.ts");
    settings.notRename = false;
    compose_entry(entry, settings);
    EXPECT_EQ(entry.nativeNewPath, "/r/番組 .ts");
    // An extension that cannot be carried over is not guessed.
    FileEntry odd_extension = entry_for("/r/a.tś", programme("番組"));
    compose_entry(odd_extension, settings);
    EXPECT_FALSE(odd_extension.newName.empty());
    EXPECT_EQ(odd_extension.nativeNewPath, "");
    // Bytes that are not CP932 (from a rule) cannot be a file name either; and
    // ".." never comes out: a recording "a." that a rule names "." would get
    // it, but a leading dot becomes the full-width one.
    std::string answer = "\x81";
    const RuleStep rule = [&answer](FileEntry&, ProgramInfo&, std::string& result) {
        result = answer;
        return true;
    };
    compose_entry(entry, settings, rule);
    EXPECT_EQ(entry.nativeNewPath, "");
    answer = ".";
    FileEntry dotted = entry_for("/r/a.", programme("番組"));
    compose_entry(dotted, settings, rule);
    EXPECT_EQ(dotted.nativeNewPath, "/r/．.");
}

}  // namespace
}  // namespace kalvento::test
