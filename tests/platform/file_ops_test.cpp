#include "platform/file_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <latch>
#include <random>
#include <sstream>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

namespace kalvento {
namespace {

namespace fs = std::filesystem;

// A fresh directory under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::random_device seed;
        do {
            path_ = fs::temp_directory_path() / ("kalvento-file-ops-" + std::to_string(::getpid()) +
                                                 "-" + std::to_string(seed()));
        } while (!fs::create_directory(path_));
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return path_.string() + "/" + name; }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

void write_file(const std::string& path, const std::string& content) {
    ASSERT_TRUE((std::ofstream(path, std::ios::binary) << content).good()) << path;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string link_target(const std::string& path) {
    char buffer[4096];
    const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
    return length < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(length));
}

// Contents of every regular file in a directory, sorted, to compare before and after.
std::vector<std::string> all_contents(const fs::path& directory) {
    std::vector<std::string> contents;
    for (const auto& entry : fs::directory_iterator(directory)) {
        contents.push_back(read_file(entry.path().string()));
    }
    std::sort(contents.begin(), contents.end());
    return contents;
}

using Mover = MoveResult (*)(const std::string&, const std::string&);
struct NamedMover {
    const char* name;
    Mover move;
};
const NamedMover kMovers[] = {{"renameat2", move_no_replace}, {"link+unlink", move_by_link}};

TEST(FileOps, MovesCarryFilesAndSymlinksUnderTheirExactNames) {
    for (const auto& mover : kMovers) {
        SCOPED_TRACE(mover.name);
        TempDir dir;
        // UTF-8 Japanese with a backslash, and raw CP932 bytes (表 = 95 5C): both
        // are ordinary bytes of one Linux name.
        const std::string from = dir / "番組\\表[字].ts";
        const std::string to = dir / std::string("\x95\x5C (1).ts");
        write_file(from, "recording");
        const MoveResult result = mover.move(from, to);
        EXPECT_TRUE(result.moved()) << result.message;
        EXPECT_EQ(result.errorNumber, 0);
        EXPECT_FALSE(path_exists(from));
        EXPECT_EQ(read_file(to), "recording");

        // A symlink moves as a link; the file it points to stays where it is.
        ASSERT_EQ(::symlink(to.c_str(), (dir / "link").c_str()), 0);
        EXPECT_TRUE(mover.move(dir / "link", dir / "moved-link").moved());
        EXPECT_EQ(link_target(dir / "moved-link"), to);
        EXPECT_EQ(read_file(to), "recording");

        const MoveResult missing = mover.move(dir / "absent", dir / "anything");
        EXPECT_EQ(missing.outcome, MoveOutcome::failed);
        EXPECT_EQ(missing.errorNumber, ENOENT);
        EXPECT_FALSE(missing.message.empty());
        EXPECT_FALSE(path_exists(dir / "anything"));

        // A NUL byte would cut the name short onto another file.
        write_file(dir / "a", "a");
        const MoveResult cut = mover.move(dir / "a", dir / std::string("b\0c", 3));
        EXPECT_EQ(cut.outcome, MoveOutcome::failed);
        EXPECT_FALSE(path_exists(dir / "b"));
        EXPECT_EQ(read_file(dir / "a"), "a");
    }
}

TEST(FileOps, MovesNeverReplaceAnExistingTarget) {
    for (const auto& mover : kMovers) {
        SCOPED_TRACE(mover.name);
        TempDir dir;
        const std::string from = dir / "new.ts";
        write_file(from, "source");

        write_file(dir / "file.ts", "existing");
        MoveResult result = mover.move(from, dir / "file.ts");
        EXPECT_EQ(result.outcome, MoveOutcome::targetExists);
        EXPECT_EQ(result.errorNumber, EEXIST);
        EXPECT_EQ(read_file(dir / "file.ts"), "existing");

        fs::create_directory(dir / "dir.ts");
        write_file(dir / "dir.ts/inside", "inside");
        EXPECT_EQ(mover.move(from, dir / "dir.ts").outcome, MoveOutcome::targetExists);
        EXPECT_EQ(read_file(dir / "dir.ts/inside"), "inside");
        EXPECT_FALSE(path_exists(dir / "dir.ts/new.ts"));

        fs::create_directory(dir / "empty.ts");
        EXPECT_EQ(mover.move(from, dir / "empty.ts").outcome, MoveOutcome::targetExists);
        EXPECT_TRUE(is_directory(dir / "empty.ts"));

        ASSERT_EQ(::symlink("nowhere", (dir / "dangling.ts").c_str()), 0);
        EXPECT_EQ(mover.move(from, dir / "dangling.ts").outcome, MoveOutcome::targetExists);
        EXPECT_EQ(link_target(dir / "dangling.ts"), "nowhere");
        EXPECT_FALSE(path_exists(dir / "nowhere"));

        // A second name of the very same file is taken as well.
        ASSERT_EQ(::link(from.c_str(), (dir / "hard.ts").c_str()), 0);
        EXPECT_EQ(mover.move(from, dir / "hard.ts").outcome, MoveOutcome::targetExists);

        EXPECT_EQ(read_file(from), "source");
        EXPECT_EQ(mover.move(from, from).outcome, MoveOutcome::targetExists);
        EXPECT_EQ(read_file(from), "source");
    }
}

TEST(FileOps, DirectoriesMoveByRenameOrFailCleanlyByLink) {
    TempDir dir;
    fs::create_directory(dir / "a.ts.d");
    write_file(dir / "a.ts.d/x", "x");

    const MoveResult by_link = move_by_link(dir / "a.ts.d", dir / "b.ts.d");
    EXPECT_EQ(by_link.outcome, MoveOutcome::failed);
    EXPECT_FALSE(path_exists(dir / "b.ts.d"));
    EXPECT_EQ(read_file(dir / "a.ts.d/x"), "x");

    const MoveResult renamed = move_no_replace(dir / "a.ts.d", dir / "c.ts.d");
    if (renamed.moved()) {
        EXPECT_FALSE(path_exists(dir / "a.ts.d"));
        EXPECT_EQ(read_file(dir / "c.ts.d/x"), "x");
    } else {  // a file system without renameat2: the fallback refuses directories
        EXPECT_EQ(renamed.outcome, MoveOutcome::failed);
        EXPECT_EQ(read_file(dir / "a.ts.d/x"), "x");
    }
}

TEST(FileOps, ExistenceCountsEveryKindOfNameAndTheNameLimitIsReal) {
    TempDir dir;
    write_file(dir / "file", "");
    fs::create_directory(dir / "dir");
    ASSERT_EQ(::symlink("nowhere", (dir / "dangling").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "dir").c_str(), (dir / "dir-link").c_str()), 0);

    // Name, exists, is a directory.
    const std::tuple<const char*, bool, bool> names[] = {
        {"file", true, false},     {"dir", true, true},      {"dangling", true, false},
        {"dir-link", true, false}, {"absent", false, false}, {"file/below", false, false}};
    for (const auto& [name, exists, directory] : names) {
        EXPECT_EQ(path_exists(dir / name), exists) << name;
        EXPECT_EQ(is_directory(dir / name), directory) << name;
    }

    // 85 three-byte characters fill the 255 bytes exactly; the file system agrees.
    std::string longest;
    for (int i = 0; i < 85; ++i) longest += "あ";
    EXPECT_TRUE(name_fits_filesystem(longest));
    EXPECT_FALSE(name_fits_filesystem(longest + "a"));
    write_file(dir / longest, "x");
    EXPECT_TRUE(path_exists(dir / longest));
    EXPECT_FALSE(path_exists(dir / (longest + "a")));
    write_file(dir / "short", "x");
    EXPECT_EQ(move_no_replace(dir / "short", dir / (longest + "a")).errorNumber, ENAMETOOLONG);
    EXPECT_EQ(read_file(dir / "short"), "x");
}

std::vector<std::string> describe(const std::vector<CompanionEntry>& entries) {
    std::vector<std::string> described;
    for (const auto& entry : entries) {
        described.push_back(entry.name + "|" + entry.suffix + (entry.isDirectory ? "|dir" : ""));
    }
    return described;
}

TEST(FileOps, CompanionsAreTheRecordingNameADotAndAnything) {
    TempDir dir;
    for (const char* name :
         {"abc.ts", "abc.ts.txt", "abc.ts.log", "abc.ts.TXT", "abc.ts.", "abc.ts.log.txt",
          "abc.tsx", "abc.ts_x", "abc.t", "xabc.ts.txt", "ABC.TS.txt", "abc.ts.tsx.txt"}) {
        write_file(dir / name, name);
    }
    fs::create_directory(dir / "abc.ts.d");
    ASSERT_EQ(::symlink((dir / "abc.ts.d").c_str(), (dir / "abc.ts.lnk").c_str()), 0);

    EXPECT_EQ(
        describe(list_companions(dir / "abc.ts")),
        (std::vector<std::string>{"abc.ts.|.", "abc.ts.TXT|.TXT", "abc.ts.d|.d|dir",
                                  "abc.ts.lnk|.lnk", "abc.ts.log|.log", "abc.ts.log.txt|.log.txt",
                                  "abc.ts.tsx.txt|.tsx.txt", "abc.ts.txt|.txt"}));
    // A name that merely starts like another recording is no companion of it.
    EXPECT_EQ(describe(list_companions(dir / "abc.tsx")), std::vector<std::string>{});

    // Japanese names, a backslash, raw CP932 bytes and wildcard characters are
    // all plain bytes of the name.
    const std::string japanese = "ニュース\\表[字].ts";
    const std::string raw = std::string("\x95\x5C") + "*.ts";
    for (const std::string& name :
         {japanese, japanese + ".txt", japanese + ".ｔｘｔ", std::string("表[字].ts.txt"), raw,
          raw + ".txt", std::string("\x95\x5C") + "a.ts.txt",
          std::string("\x95\x5C") + ".ts.txt"}) {
        write_file(dir / name, name);
    }
    EXPECT_EQ(describe(list_companions(dir / japanese)),
              (std::vector<std::string>{japanese + ".txt|.txt", japanese + ".ｔｘｔ|.ｔｘｔ"}));
    EXPECT_EQ(describe(list_companions(dir / raw)), (std::vector<std::string>{raw + ".txt|.txt"}));

    EXPECT_TRUE(list_companions(dir / "absent-dir/abc.ts").empty());
    EXPECT_TRUE(list_companions(dir.path().string() + "/").empty());

    // A bare name is looked up in the working directory.
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    const auto relative = list_companions("abc.ts");
    fs::current_path(previous);
    EXPECT_EQ(relative.size(), 8u);
}

TEST(FileOps, FileTimesSetOnlyTheLastWriteTimeOfRegularFiles) {
    TempDir dir;
    const std::string file = dir / "rec.ts";
    write_file(file, "x");
    const struct timespec access_only[2] = {{1'000'000'000, 123}, {0, UTIME_OMIT}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), access_only, 0), 0);

    EXPECT_TRUE(set_file_times(file, 1'704'132'245, 10));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(std::tuple(info.st_mtim.tv_sec, info.st_mtim.tv_nsec, info.st_atim.tv_sec,
                         info.st_atim.tv_nsec),
              std::tuple(1'704'132'245, 10'000'000, 1'000'000'000, 123));

    EXPECT_TRUE(set_file_times(file, 1'704'132'245, 0));
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_nsec, 0);

    // Bad milliseconds, a missing file, a directory and the file behind a symlink
    // are refused.
    fs::create_directory(dir / "rec.ts.d");
    ASSERT_EQ(::symlink(file.c_str(), (dir / "link.ts").c_str()), 0);
    for (const auto& [name, hundredths] :
         {std::pair{"rec.ts", 1000}, std::pair{"rec.ts", -1}, std::pair{"absent", 0},
          std::pair{"rec.ts.d", 10}, std::pair{"link.ts", 10}})
        EXPECT_FALSE(set_file_times(dir / name, 42, hundredths)) << name << " " << hundredths;
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1'704'132'245);
}

TEST(FileOps, RacingMovesOntoOneNameLoseNoFile) {
    constexpr int kThreads = 8;
    constexpr int kRounds = 25;
    for (const auto& mover : kMovers) {
        SCOPED_TRACE(mover.name);
        for (int round = 0; round < kRounds; ++round) {
            TempDir dir;
            for (int i = 0; i < kThreads; ++i) {
                write_file(dir / ("src" + std::to_string(i) + ".ts"),
                           "content " + std::to_string(i));
            }
            const auto before = all_contents(dir.path());
            const std::string target = dir / "target.ts";

            std::latch start(kThreads);
            std::atomic<int> moved{0};
            std::atomic<int> refused{0};
            std::vector<std::thread> threads;
            for (int i = 0; i < kThreads; ++i) {
                threads.emplace_back([&, i] {
                    start.arrive_and_wait();
                    const MoveResult result =
                        mover.move(dir / ("src" + std::to_string(i) + ".ts"), target);
                    if (result.moved()) ++moved;
                    if (result.outcome == MoveOutcome::targetExists) ++refused;
                });
            }
            for (auto& thread : threads) thread.join();

            EXPECT_EQ(moved.load(), 1);
            EXPECT_EQ(refused.load(), kThreads - 1);
            EXPECT_EQ(all_contents(dir.path()), before);
        }
    }
}

}  // namespace
}  // namespace kalvento
