// The small pieces of logic behind the window: description lines, dropped
// folders (expanded as the command line expands them), the amounts of the
// progress dialog and the settings saved at close.
#include "app/description_lines.h"
#include "app/progress_text.h"
#include "app/recording_folders.h"
#include "app/settings_merge.h"
#include "platform/codepage.h"
#include "tests/support/small_recording.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace kalvento::test {
namespace {

std::vector<std::size_t> sizes(const std::vector<std::string>& lines) {
    std::vector<std::size_t> result;
    for (const std::string& line : lines) result.push_back(line.size());
    return result;
}

TEST(DescriptionLines, BreaksAndPieces) {
    EXPECT_EQ(description_lines("one\rtwo\r"), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(description_lines("a\r\nb\r\rc"), (std::vector<std::string>{"a", "b", "", "c"}));
    EXPECT_TRUE(description_lines("").empty());

    EXPECT_EQ(sizes(description_lines(std::string(66, 'x'))), (std::vector<std::size_t>{66}));
    // Single-byte text is cut every 59 bytes, double-byte text every 60.
    EXPECT_EQ(sizes(description_lines(std::string(67, 'x'))), (std::vector<std::size_t>{59, 8}));
    std::string kanji;
    for (int i = 0; i < 40; ++i) kanji += cp932("漢");
    EXPECT_EQ(sizes(description_lines(kanji)), (std::vector<std::size_t>{60, 20}));
    // A double-byte character that starts at byte 58 stays whole.
    const std::vector<std::string> mixed = description_lines(std::string(58, 'x') + kanji);
    EXPECT_EQ(sizes(mixed), (std::vector<std::size_t>{60, 60, 18}));
    EXPECT_EQ(mixed[1].substr(0, 2), cp932("漢"));
}

TEST(DescriptionLines, MenuShowsDescriptionThenExtendedText) {
    ProgramInfo info;
    info.extendedText = "ext";
    EXPECT_TRUE(description_menu_lines(info).empty());
    info.eventText = "short\rsecond";
    EXPECT_EQ(description_menu_lines(info), (std::vector<std::string>{"short", "second", "ext"}));
}

TEST(RecordingFolders, OneRuleForTheWindowsDropAndTheCommandLine) {
    TempDir dir;
    const RecordingFolder folder =
        write_recording_folder(dir.path(), {.eventName = "夜のドラマ", .packets = 40});
    write_text(dir.file("loose.txt"), "x");
    // A drop takes files as given and a folder's recordings directly inside.
    std::vector<std::string> dropped = {dir.file("loose.txt")};
    dropped.insert(dropped.end(), folder.flat.begin(), folder.flat.end());
    dropped.push_back(dir.file("gone.ts"));
    EXPECT_EQ(expand_dropped_paths({dir.file("loose.txt"), folder.folder, dir.file("gone.ts")}),
              dropped);

    std::vector<std::string> deep;
    for (const RecordingArgument& found : expand_recording_arguments({folder.folder}, true)) {
        EXPECT_EQ(found.error, "");
        deep.push_back(found.path);
    }
    EXPECT_EQ(deep, folder.recursive);
    EXPECT_FALSE(is_recording_name("ts"));
    EXPECT_FALSE(is_recording_name(".ts"));
    EXPECT_TRUE(is_recording_name("x.Ts"));
}

TEST(ProgressText, WholeMegabytesWithCommas) {
    EXPECT_EQ(progress_amount_text(999, 999'999), "0MB/999MB");
    EXPECT_EQ(progress_amount_text(1'234'567, 12'345'678), "1,234MB/12,345MB");
    EXPECT_EQ(with_thousands_commas(1000), "1,000");
    EXPECT_EQ(with_thousands_commas(0), "0");
    EXPECT_EQ(with_thousands_commas(-1234), "-1,234");
    EXPECT_EQ(with_thousands_commas(std::numeric_limits<std::int64_t>::min()),
              "-9,223,372,036,854,775,808");
}

TEST(SettingsMerge, OnlyTheWindowsOwnChangesReplaceTheFilesValues) {
    AppSettings loaded;
    AppSettings edited = loaded;
    edited.filenameSetSp[1] = "_";
    edited.windowCX = 1000;
    edited.fileDate = true;
    AppSettings current = loaded;  // the command-line tool saved meanwhile
    current.filenameSetSp[3] = "-";
    current.readSize = 80;
    current.windowCX = 700;
    current.scheduleBaseUrl = "http://127.0.0.1:8080";

    const AppSettings merged = merge_settings_changes(loaded, edited, current);
    EXPECT_EQ(merged.filenameSetSp, (std::array<std::string, 5>{"", "_", " ", "-", ""}));
    EXPECT_EQ(merged.windowCX, 1000);
    EXPECT_TRUE(merged.fileDate);
    EXPECT_EQ(merged.readSize, 80);
    EXPECT_EQ(merged.scheduleBaseUrl, "http://127.0.0.1:8080");
}

}  // namespace
}  // namespace kalvento::test
