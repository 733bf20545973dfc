#include "platform/file_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <latch>
#include <set>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace kalvento::test {
namespace {

namespace fs = std::filesystem;

std::string link_target(const std::string& path) {
    std::error_code error;
    return fs::read_symlink(path, error).string();
}

// Contents of every file in a directory, sorted, to compare before and after.
std::multiset<std::string> all_contents(const TempDir& dir) {
    std::multiset<std::string> contents;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        contents.insert(read_all(entry.path().string()));
    return contents;
}

const struct {
    const char* name;
    MoveResult (*move)(const std::string&, const std::string&);
} kMovers[] = {{"renameat2", move_no_replace}, {"link+unlink", move_by_link}};

TEST(FileOps, MovesCarryFilesAndSymlinksUnderTheirExactNames) {
    for (const auto& mover : kMovers) {
        SCOPED_TRACE(mover.name);
        TempDir dir;
        // UTF-8 Japanese with a backslash, and raw CP932 bytes (表 = 95 5C): both
        // are ordinary bytes of one Linux name.
        const std::string from = dir.file("番組\\表[字].ts");
        const std::string to = dir.file("\x95\\ (1).ts");
        write_text(from, "recording");
        const MoveResult result = mover.move(from, to);
        EXPECT_TRUE(result.moved()) << result.message;
        EXPECT_EQ(result.errorNumber, 0);
        EXPECT_FALSE(path_exists(from));
        EXPECT_EQ(read_all(to), "recording");

        // A symlink moves as a link; the file it points to stays where it is.
        fs::create_symlink(to, dir.file("link"));
        EXPECT_TRUE(mover.move(dir.file("link"), dir.file("moved-link")).moved());
        EXPECT_EQ(link_target(dir.file("moved-link")), to);
        EXPECT_EQ(read_all(to), "recording");

        const MoveResult missing = mover.move(dir.file("absent"), dir.file("anything"));
        EXPECT_EQ(missing.outcome, MoveOutcome::failed);
        EXPECT_EQ(missing.errorNumber, ENOENT);
        EXPECT_FALSE(missing.message.empty());
        EXPECT_FALSE(path_exists(dir.file("anything")));

        // A NUL byte would cut the name short onto another file.
        write_text(dir.file("a"), "a");
        EXPECT_EQ(mover.move(dir.file("a"), dir.file(std::string("b\0c", 3))).outcome,
                  MoveOutcome::failed);
        EXPECT_FALSE(path_exists(dir.file("b")));
        EXPECT_EQ(read_all(dir.file("a")), "a");
    }
}

TEST(FileOps, MovesNeverReplaceAnExistingTarget) {
    for (const auto& mover : kMovers) {
        SCOPED_TRACE(mover.name);
        TempDir dir;
        const std::string from = dir.file("new.ts");
        write_text(from, "source");
        write_text(dir.file("file.ts"), "existing");
        fs::create_directory(dir.file("dir.ts"));
        write_text(dir.file("dir.ts/inside"), "inside");
        fs::create_directory(dir.file("empty.ts"));
        fs::create_symlink("nowhere", dir.file("dangling.ts"));
        fs::create_hard_link(from, dir.file("hard.ts"));  // a second name of the same file

        const MoveResult result = mover.move(from, dir.file("file.ts"));
        EXPECT_EQ(result.outcome, MoveOutcome::targetExists);
        EXPECT_EQ(result.errorNumber, EEXIST);
        for (const char* target : {"dir.ts", "empty.ts", "dangling.ts", "hard.ts", "new.ts"})
            EXPECT_EQ(mover.move(from, dir.file(target)).outcome, MoveOutcome::targetExists)
                << target;
        EXPECT_EQ(read_all(from), "source");
        EXPECT_EQ(read_all(dir.file("file.ts")), "existing");
        EXPECT_EQ(read_all(dir.file("dir.ts/inside")), "inside");
        EXPECT_FALSE(path_exists(dir.file("dir.ts/new.ts")));
        EXPECT_TRUE(is_directory(dir.file("empty.ts")));
        EXPECT_EQ(link_target(dir.file("dangling.ts")), "nowhere");
        EXPECT_FALSE(path_exists(dir.file("nowhere")));
    }
}

TEST(FileOps, DirectoriesMoveByRenameOrFailCleanlyByLink) {
    TempDir dir;
    fs::create_directory(dir.file("a.ts.d"));
    write_text(dir.file("a.ts.d/x"), "x");
    EXPECT_EQ(move_by_link(dir.file("a.ts.d"), dir.file("b.ts.d")).outcome, MoveOutcome::failed);
    EXPECT_FALSE(path_exists(dir.file("b.ts.d")));
    EXPECT_EQ(read_all(dir.file("a.ts.d/x")), "x");

    const MoveResult renamed = move_no_replace(dir.file("a.ts.d"), dir.file("c.ts.d"));
    // A file system without renameat2 makes the fallback refuse directories.
    EXPECT_EQ(read_all(dir.file(renamed.moved() ? "c.ts.d/x" : "a.ts.d/x")), "x");
    EXPECT_EQ(path_exists(dir.file("a.ts.d")), !renamed.moved());
}

TEST(FileOps, ExistenceCountsEveryKindOfNameAndTheNameLimitIsReal) {
    TempDir dir;
    write_text(dir.file("file"), "");
    fs::create_directory(dir.file("dir"));
    fs::create_symlink("nowhere", dir.file("dangling"));
    fs::create_symlink(dir.file("dir"), dir.file("dir-link"));
    // Name, exists, is a directory.
    const std::tuple<const char*, bool, bool> names[] = {
        {"file", true, false},     {"dir", true, true},      {"dangling", true, false},
        {"dir-link", true, false}, {"absent", false, false}, {"file/below", false, false}};
    for (const auto& [name, exists, directory] : names) {
        EXPECT_EQ(path_exists(dir.file(name)), exists) << name;
        EXPECT_EQ(is_directory(dir.file(name)), directory) << name;
    }

    // 85 three-byte characters fill the 255 bytes exactly; the file system agrees.
    std::string longest;
    for (int i = 0; i < 85; ++i) longest += "あ";
    EXPECT_TRUE(name_fits_filesystem(longest));
    EXPECT_FALSE(name_fits_filesystem(longest + "a"));
    write_text(dir.file(longest), "x");
    EXPECT_TRUE(path_exists(dir.file(longest)));
    EXPECT_EQ(move_no_replace(dir.file("file"), dir.file(longest + "a")).errorNumber, ENAMETOOLONG);
    EXPECT_TRUE(path_exists(dir.file("file")));
}

std::vector<std::string> companions(const std::string& recording) {
    std::vector<std::string> described;
    for (const auto& entry : list_companions(recording))
        described.push_back(entry.name + "|" + entry.suffix + (entry.isDirectory ? "|dir" : ""));
    return described;
}

TEST(FileOps, CompanionsAreTheRecordingNameADotAndAnything) {
    TempDir dir;
    // Japanese names, a backslash, raw CP932 bytes and wildcard characters are
    // all plain bytes of the name.
    const std::string japanese = "ニュース\\表[字].ts";
    const std::string raw = "\x95\\*.ts";
    for (const char* name :
         {"abc.ts", "abc.ts.txt", "abc.ts.log", "abc.ts.TXT", "abc.ts.", "abc.ts.log.txt",
          "abc.tsx", "abc.ts_x", "abc.t", "xabc.ts.txt", "ABC.TS.txt", "abc.ts.tsx.txt",
          "表[字].ts.txt", "\x95\\a.ts.txt", "\x95\\.ts.txt"})
        write_text(dir.file(name), name);
    for (const std::string& name :
         {japanese, japanese + ".txt", japanese + ".ｔｘｔ", raw, raw + ".txt"})
        write_text(dir.file(name), name);
    fs::create_directory(dir.file("abc.ts.d"));
    fs::create_symlink(dir.file("abc.ts.d"), dir.file("abc.ts.lnk"));

    EXPECT_EQ(
        companions(dir.file("abc.ts")),
        (std::vector<std::string>{"abc.ts.|.", "abc.ts.TXT|.TXT", "abc.ts.d|.d|dir",
                                  "abc.ts.lnk|.lnk", "abc.ts.log|.log", "abc.ts.log.txt|.log.txt",
                                  "abc.ts.tsx.txt|.tsx.txt", "abc.ts.txt|.txt"}));
    EXPECT_TRUE(companions(dir.file("abc.tsx")).empty());
    EXPECT_EQ(companions(dir.file(japanese)),
              (std::vector<std::string>{japanese + ".txt|.txt", japanese + ".ｔｘｔ|.ｔｘｔ"}));
    EXPECT_EQ(companions(dir.file(raw)), (std::vector<std::string>{raw + ".txt|.txt"}));
    EXPECT_TRUE(companions(dir.file("absent-dir/abc.ts")).empty());
    EXPECT_TRUE(companions(dir.path() + "/").empty());

    // A bare name is looked up in the working directory.
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    const std::size_t relative = list_companions("abc.ts").size();
    fs::current_path(previous);
    EXPECT_EQ(relative, 8u);
}

TEST(FileOps, FileTimesSetOnlyTheLastWriteTimeOfRegularFiles) {
    TempDir dir;
    const std::string file = dir.file("rec.ts");
    write_text(file, "x");
    const struct timespec access_only[2] = {{1'000'000'000, 123}, {0, UTIME_OMIT}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), access_only, 0), 0);
    struct stat info {};
    for (const int hundredths : {10, 0}) {
        EXPECT_TRUE(set_file_times(file, 1'704'132'245, hundredths));
        ASSERT_EQ(::stat(file.c_str(), &info), 0);
        EXPECT_EQ(std::tuple(info.st_mtim.tv_sec, info.st_mtim.tv_nsec, info.st_atim.tv_sec,
                             info.st_atim.tv_nsec),
                  std::tuple(1'704'132'245, hundredths * 1'000'000, 1'000'000'000, 123));
    }
    // Bad hundredths, a missing file, a directory and the file behind a symlink
    // are refused.
    fs::create_directory(dir.file("rec.ts.d"));
    fs::create_symlink(file, dir.file("link.ts"));
    for (const auto& [name, hundredths] :
         {std::pair{"rec.ts", 1000}, std::pair{"rec.ts", -1}, std::pair{"absent", 0},
          std::pair{"rec.ts.d", 10}, std::pair{"link.ts", 10}})
        EXPECT_FALSE(set_file_times(dir.file(name), 42, hundredths)) << name << " " << hundredths;
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1'704'132'245);
}

TEST(FileOps, RacingMovesOntoOneNameLoseNoFile) {
    constexpr int kThreads = 8;
    for (const auto& mover : kMovers) {
        SCOPED_TRACE(mover.name);
        for (int round = 0; round < 25; ++round) {
            TempDir dir;
            for (int i = 0; i < kThreads; ++i)
                write_text(dir.file("src" + std::to_string(i)), "content " + std::to_string(i));
            const auto before = all_contents(dir);
            std::latch start(kThreads);
            std::atomic<int> moved{0}, refused{0};
            std::vector<std::thread> threads;
            for (int i = 0; i < kThreads; ++i) {
                threads.emplace_back([&, i] {
                    start.arrive_and_wait();
                    const auto result =
                        mover.move(dir.file("src" + std::to_string(i)), dir.file("target.ts"));
                    if (result.moved()) ++moved;
                    if (result.outcome == MoveOutcome::targetExists) ++refused;
                });
            }
            for (auto& thread : threads) thread.join();
            EXPECT_EQ(moved.load(), 1);
            EXPECT_EQ(refused.load(), kThreads - 1);
            EXPECT_EQ(all_contents(dir), before);
        }
    }
}

}  // namespace
}  // namespace kalvento::test
