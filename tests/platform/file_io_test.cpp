// Whole-file reads and atomic replaces, and moves where the file system has no
// no-replace rename: what must hold when processes race or are killed.
#include "platform/file_io.h"
#include "platform/file_ops.h"
#include "platform/profile_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace kalvento::test {
namespace {

namespace fs = std::filesystem;

TEST(FileIo, ReadsRegularFilesOnlyAndNeverBlocks) {
    TempDir dir;
    write_text(dir.file("small"), "0123456789");
    EXPECT_EQ(read_small_file(dir.file("small"), 10).bytes, "0123456789");
    EXPECT_EQ(read_small_file(dir.file("small"), 9).status, ReadStatus::tooLarge);
    EXPECT_EQ(read_small_file(dir.file("small"), 4, true).bytes, "0123");
    EXPECT_EQ(read_small_file(dir.file("none"), 10).status, ReadStatus::missing);
    EXPECT_EQ(read_small_file(dir.path(), 10).status, ReadStatus::notRegular);
    // A FIFO nobody writes to would block a plain open for ever.
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    const FileRead fifo = read_small_file(dir.file("fifo"), 10);
    EXPECT_EQ(fifo.status, ReadStatus::notRegular);
    EXPECT_EQ(fifo.error, "not a regular file");
    ReadOnlyFile file;
    EXPECT_EQ(file.open(dir.file("fifo")), "not a regular file");
    EXPECT_EQ(file.open(dir.file("small")), std::nullopt);
    EXPECT_EQ(file.size(), 10);
}

TEST(FileIo, ReplaceKeepsLinksAndModesAndClearsWhatKilledWritersLeft) {
    TempDir dir;
    const std::string target = dir.file("kalvento.ini");
    write_text(target, "old");
    ::chmod(target.c_str(), 0640);
    fs::create_symlink(target, dir.file("link.ini"));
    ASSERT_TRUE(replace_file(dir.file("link.ini"), "new").ok());
    EXPECT_TRUE(fs::is_symlink(dir.file("link.ini")));
    EXPECT_EQ(read_all(target), "new");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A process killed between creating and renaming its temporary file left
    // a full copy behind; the next write removes it once it is old enough.
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string stale = temporary_name(target, child, 0);
    const std::string fresh = temporary_name(target, child, 1);
    const std::string alive = temporary_name(target, ::getppid(), 0);
    for (const std::string& path : {stale, fresh, alive}) write_text(path, "leftover");
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(stale, old);
    fs::last_write_time(alive, old);
    ASSERT_TRUE(replace_file(target, "newer").ok());
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(fresh));  // its writer may yet rename it
    EXPECT_TRUE(fs::exists(alive));  // its writer still runs
}

TEST(FileIo, ProfileLargerThanTheLoaderReadsIsNotSaved) {
    TempDir dir;
    const std::string path = dir.file("kalvento.ini");
    write_text(path, "[KalventoDlg]\r\nReadSize=50\r\n");
    ProfileFile profile = ProfileFile::load(path);
    ASSERT_TRUE(profile.write_string("Big", "Key", std::string(kProfileFileMaxBytes, 'x')));
    const ProfileResult saved = profile.save();
    EXPECT_EQ(saved.error, ProfileError::too_large);
    EXPECT_EQ(read_all(path), "[KalventoDlg]\r\nReadSize=50\r\n");
}

TEST(FileIo, LinkMovesRacingForOneFileLeaveItOneName) {
    // Where RENAME_NOREPLACE is missing, several movers of one recording must
    // leave it with exactly one name and report one move.
    force_link_moves(true);
    for (int round = 0; round < 40; ++round) {
        TempDir dir;
        write_text(dir.file("rec.ts"), "recording");
        constexpr int kMovers = 6;
        std::vector<int> moved(kMovers, 0);
        std::vector<std::thread> movers;
        for (int i = 0; i < kMovers; ++i) {
            movers.emplace_back([&, i] {
                moved[i] =
                    move_no_replace(dir.file("rec.ts"), dir.file("to" + std::to_string(i))).moved();
            });
        }
        for (std::thread& mover : movers) mover.join();
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(dir.path()))
            names.push_back(item.path().filename().string());
        ASSERT_EQ(names.size(), 1u) << "round " << round;
        struct stat info {};
        ASSERT_EQ(::stat(dir.file(names[0]).c_str(), &info), 0);
        EXPECT_EQ(info.st_nlink, 1u);
        EXPECT_EQ(read_all(dir.file(names[0])), "recording");
        int reported = 0;
        for (const int m : moved) reported += m;
        EXPECT_EQ(reported, names[0] == "rec.ts" ? 0 : 1) << names[0];
    }
    force_link_moves(false);
}

}  // namespace
}  // namespace kalvento::test
