#include "naming/rename.h"

#include "naming/compose.h"
#include "tests/naming/naming_test_util.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <latch>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace kalvento::test {
namespace {

namespace fs = std::filesystem;

// An entry for a new file `name` in `dir` holding `content`, composed by name.
FileEntry recording(const TempDir& dir, const std::string& name, const std::string& content,
                    std::string_view programme_name = "番組") {
    write_text(dir.file(name), content);
    FileEntry entry = entry_for(dir.file(name), programme(programme_name));
    compose_entry(entry, by_name());
    return entry;
}

std::set<std::string> names_in(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& item : fs::directory_iterator(dir.path()))
        names.insert(item.path().filename().string());
    return names;
}

TEST(ConvertEntry, CollisionsGetNumberedNames) {
    TempDir dir;
    FileEntry first = recording(dir, "a.ts", "first");
    FileEntry second = recording(dir, "b.ts", "second");

    const ConvertResult moved = convert_entry(first, {});
    EXPECT_EQ(moved.status, ConvertStatus::moved);
    EXPECT_EQ(moved.fromPath, dir.file("a.ts"));
    EXPECT_EQ(first.nativePath, dir.file("番組.ts"));
    EXPECT_EQ(first.sourcePath, cp932(first.nativePath));
    EXPECT_EQ(first.currentName, cp932("番組.ts"));
    EXPECT_EQ(first.converted, 1);

    const ConvertResult numbered = convert_entry(second, {});
    EXPECT_EQ(numbered.status, ConvertStatus::moved);
    EXPECT_EQ(numbered.nameNumber, 1);
    EXPECT_EQ(second.currentName, cp932("番組(1).ts"));
    EXPECT_EQ(read_all(dir.file("番組.ts")), "first");
    EXPECT_EQ(read_all(dir.file("番組(1).ts")), "second");

    // Composed again and converted again: the name is still taken by the other
    // file, its own "(1)" name exists too, so it moves on to "(2)".
    compose_entry(second, by_name());
    EXPECT_EQ(convert_entry(second, {}).nameNumber, 2);
    EXPECT_EQ(names_in(dir), (std::set<std::string>{"番組.ts", "番組(2).ts"}));

    // An entry that already bears its name is not moved.
    compose_entry(first, by_name());
    first.converted = 0;
    EXPECT_EQ(convert_entry(first, {}).status, ConvertStatus::alreadyNamed);
    EXPECT_EQ(first.converted, 0);
}

TEST(ConvertEntry, NothingMovesWithoutAUsableName) {
    TempDir dir;
    FileEntry no_data = recording(dir, "x.ts", "x");
    no_data.candidates[0].startTime = 0;
    compose_entry(no_data, by_name());
    EXPECT_EQ(convert_entry(no_data, {}).status, ConvertStatus::noProgrammeData);

    FileEntry too_long = recording(dir, "y.ts", "y", std::string(300, 'n'));
    EXPECT_EQ(too_long.tooLong, 1);
    EXPECT_EQ(convert_entry(too_long, {}).status, ConvertStatus::tooLong);

    // The name and all 99 numbered forms are taken: nothing is replaced.
    FileEntry crowded = recording(dir, "z.ts", "z", "満");
    write_text(dir.file("満.ts"), "0");
    for (int n = 1; n <= kMaxNameNumber; ++n)
        write_text(dir.file("満(" + std::to_string(n) + ").ts"), "n");
    EXPECT_EQ(convert_entry(crowded, {}).status, ConvertStatus::noFreeName);
    EXPECT_EQ(read_all(dir.file("z.ts")) + read_all(dir.file("満.ts")), "z0");
    EXPECT_TRUE(fs::exists(dir.file("x.ts")) && fs::exists(dir.file("y.ts")));

    // A dangling symlink takes its name as much as a file does.
    FileEntry linked = recording(dir, "l.ts", "l", "リンク");
    fs::create_symlink(dir.file("nowhere"), dir.file("リンク.ts"));
    EXPECT_EQ(convert_entry(linked, {}).toPath, dir.file("リンク(1).ts"));
}

TEST(ConvertEntry, CompanionsFollowTheRecording) {
    for (const bool wild : {false, true}) {
        TempDir dir;
        FileEntry entry = recording(dir, "abc.ts", "video");
        write_text(dir.file("abc.ts.txt"), "txt");
        write_text(dir.file("abc.ts.log"), "log");
        write_text(dir.file("abc.ts.TXT"), "TXT");
        fs::create_directory(dir.file("abc.ts.d"));
        write_text(dir.file("abc.tsx"), "other");  // no dot after the name: no companion
        write_text(dir.file("番組.ts.log"), "someone else's");  // never replaced

        const ConvertResult result = convert_entry(entry, {.gopRename = !wild, .wildRename = wild});
        ASSERT_EQ(result.status, ConvertStatus::moved);
        // With every companion following, "番組.ts.log" belongs to another
        // recording: this one takes the first number free for all its files.
        const std::string name = wild ? "番組(1).ts" : "番組.ts";
        std::set<std::string> expected = {name, name + ".txt", "番組.ts.log", "abc.ts.d",
                                          "abc.tsx"};
        if (wild) {
            expected.insert({name + ".log", name + ".TXT"});
        } else {
            expected.insert({"abc.ts.log", "abc.ts.TXT"});
        }
        EXPECT_EQ(names_in(dir), expected) << "wild " << wild;
        EXPECT_EQ(read_all(dir.file(name + ".txt")), "txt");
        EXPECT_EQ(read_all(dir.file("番組.ts.log")), "someone else's");
        EXPECT_EQ(result.companions.size(), wild ? 3u : 1u);
        EXPECT_TRUE(result.companions_moved());
    }
}

// `count` times a kanji of three UTF-8 bytes (two in CP932, so the path limit
// is far off while the file-name limit of 255 UTF-8 bytes is near).
std::string kanji(std::size_t count, std::string_view one = "番") {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += one;
    return text;
}

TEST(ConvertEntry, TheRecordingAndItsCompanionsMoveTogetherOrNotAtAll) {
    TempDir dir;
    const ConversionOptions with_text{.gopRename = true};
    // 249 + ".ts" is 252 bytes: its companion would get 256.
    FileEntry long_set = recording(dir, "a.ts", "video", kanji(83));
    ASSERT_FALSE(long_set.tooLong);
    write_text(dir.file("a.ts.txt"), "txt");
    const ConvertResult refused = convert_entry(long_set, with_text);
    EXPECT_EQ(refused.status, ConvertStatus::tooLong);
    EXPECT_NE(refused.message.find("256 bytes"), std::string::npos) << refused.message;
    EXPECT_TRUE(refused.companions.empty());
    EXPECT_EQ(names_in(dir), (std::set<std::string>{"a.ts", "a.ts.txt"}));

    // Without the companion following, the recording alone fits.
    EXPECT_EQ(convert_entry(long_set, {}).status, ConvertStatus::moved);

    // 251 bytes and ".txt": 255, the most a name may have.
    FileEntry fitting = recording(dir, "b.ts", "video", kanji(82, "組") + "xy");
    write_text(dir.file("b.ts.txt"), "txt");
    const ConvertResult moved = convert_entry(fitting, with_text);
    EXPECT_EQ(moved.status, ConvertStatus::moved);
    EXPECT_TRUE(moved.companions_moved());
    EXPECT_TRUE(fs::exists(dir.file(kanji(82, "組") + "xy.ts.txt")));

    // The numbered form counts too: a taken 253-byte name would need "(1)".
    FileEntry numbered = recording(dir, "c.ts", "video", kanji(83, "満") + "m");
    write_text(dir.file(kanji(83, "満") + "m.ts"), "taken");
    EXPECT_EQ(convert_entry(numbered, {}).status, ConvertStatus::tooLong);
    EXPECT_TRUE(fs::exists(dir.file("c.ts")));
}

TEST(ConvertEntry, OneListingServesARunAndFollowsItsChanges) {
    TempDir dir;
    const ConversionOptions every_companion{.wildRename = true};
    CompanionListings listings;
    FileEntry first = recording(dir, "r1.ts", "1", "一");
    write_text(dir.file("r1.ts.txt"), "txt");
    // Its new name looks like a companion of a later recording.
    FileEntry second = recording(dir, "r2.ts", "2", "r3.ts");
    FileEntry third = recording(dir, "r3.ts", "3", "三");
    EXPECT_EQ(convert_entry(first, every_companion, nullptr, &listings).companions.size(), 1u);

    // A companion that someone else writes after the folder was read is still
    // found. (A change in the same clock tick as the run's own last move
    // cannot be told from that move, as a change between a listing and the
    // move never could.)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    write_text(dir.file("r2.ts.log"), "log");
    const ConvertResult moved_second = convert_entry(second, every_companion, nullptr, &listings);
    ASSERT_EQ(moved_second.companions.size(), 1u);
    EXPECT_EQ(moved_second.companions[0].to, dir.file("r3.ts.ts.log"));

    // What the run itself moved is where the run put it.
    const ConvertResult moved_third = convert_entry(third, every_companion, nullptr, &listings);
    std::set<std::string> followed;
    for (const CompanionMove& move : moved_third.companions) followed.insert(move.to);
    EXPECT_EQ(followed, (std::set<std::string>{dir.file("三.ts.ts"), dir.file("三.ts.ts.log")}));
    EXPECT_EQ(names_in(dir),
              (std::set<std::string>{"一.ts", "一.ts.txt", "三.ts", "三.ts.ts", "三.ts.ts.log"}));
}

TEST(ConvertEntry, FileTimes) {
    TempDir dir;
    FileEntry entry = recording(dir, "rec.ts", "video");
    write_text(dir.file("rec.ts.txt"), "txt");

    // NotRename with FileDate: no move, but the times are set.
    NamingSettings keep = by_name();
    keep.notRename = true;
    compose_entry(entry, keep);
    const ConvertResult kept = convert_entry(entry, {.gopRename = true, .fileDate = true});
    EXPECT_EQ(kept.status, ConvertStatus::alreadyNamed);
    EXPECT_TRUE(kept.timesSet);
    EXPECT_EQ(write_time_ms(dir.file("rec.ts")), kSundayNine * 1000);
    EXPECT_EQ(write_time_ms(dir.file("rec.ts.txt")), kSundayNine * 1000 + 10);

    // After a move the new names are dated.
    entry.candidates[0].startTime += 3600;
    compose_entry(entry, by_name());
    EXPECT_EQ(convert_entry(entry, {.gopRename = true, .fileDate = true}).status,
              ConvertStatus::moved);
    EXPECT_EQ(write_time_ms(dir.file("番組.ts")), (kSundayNine + 3600) * 1000);
    EXPECT_EQ(write_time_ms(dir.file("番組.ts.txt")), (kSundayNine + 3600) * 1000 + 10);

    // Without a start time nothing is dated.
    entry.candidates[0].startTime = 0;
    EXPECT_FALSE(convert_entry(entry, {.fileDate = true}).timesSet);
}

TEST(ConvertEntry, RacingConversionsLoseNoFile) {
    constexpr int kThreads = 8;
    for (int round = 0; round < 5; ++round) {
        TempDir dir;
        std::vector<FileEntry> entries;
        std::multiset<std::string> before, after;
        for (int i = 0; i < kThreads; ++i) {
            const std::string content = "content " + std::to_string(i);
            entries.push_back(recording(dir, "r" + std::to_string(i) + ".ts", content));
            before.insert(content);
        }
        std::latch start(kThreads);
        std::atomic<int> moved{0};
        std::vector<std::thread> threads;
        for (FileEntry& entry : entries) {
            threads.emplace_back([&] {
                start.arrive_and_wait();
                if (convert_entry(entry, {}).status == ConvertStatus::moved) ++moved;
            });
        }
        for (std::thread& thread : threads) thread.join();
        EXPECT_EQ(moved.load(), kThreads);
        for (const std::string& name : names_in(dir)) after.insert(read_all(dir.file(name)));
        EXPECT_EQ(after, before);
        EXPECT_TRUE(names_in(dir).count("番組(" + std::to_string(kThreads - 1) + ").ts"));
    }
}

}  // namespace
}  // namespace kalvento::test
