#include "platform/file_copy.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace kalvento::test {
namespace {

namespace fs = std::filesystem;

TEST(FileCopy, TheHashDoesNotDependOnHowTheBytesAreCut) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes.push_back(static_cast<char>(i * 7 + i / 13));
    ContentHash whole;
    whole.add(bytes);
    for (const std::size_t piece : {1u, 3u, 7u, 8u, 9u, 64u, 999u}) {
        ContentHash cut;
        for (std::size_t at = 0; at < bytes.size(); at += piece)
            cut.add(std::string_view(bytes).substr(at, piece));
        EXPECT_EQ(cut.value(), whole.value()) << piece;
    }
    // One byte changed, one byte more, or a trailing zero: another value.
    for (std::string other : {bytes, bytes + "x", bytes + std::string(1, '\0')}) {
        if (other.size() == bytes.size()) other[500] ^= 1;
        ContentHash changed;
        changed.add(other);
        EXPECT_NE(changed.value(), whole.value());
    }
}

TEST(FileCopy, CopiesAndLinksNeverReplaceAndLeaveNoTemporaryFile) {
    TempDir dir;
    const std::string original = dir.file("a.ts");
    std::string content(3 << 20, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
    write_text(original, content);
    ::chmod(original.c_str(), 0640);
    fs::create_directory(dir.file("lib"));

    const PlaceResult copied = copy_no_replace(original, dir.file("lib/b.ts"));
    ASSERT_TRUE(copied.made()) << copied.message;
    EXPECT_EQ(read_all(dir.file("lib/b.ts")), content);
    EXPECT_EQ(copied.hash, file_content_hash(original));
    EXPECT_EQ(fs::status(dir.file("lib/b.ts")).permissions(), fs::status(original).permissions());
    EXPECT_EQ(fs::last_write_time(dir.file("lib/b.ts")), fs::last_write_time(original));
    EXPECT_TRUE(looks_like_copy(dir.file("lib/b.ts"), original));

    // A taken name: nothing changes, nothing is left behind.
    write_text(dir.file("lib/c.ts"), "mine");
    EXPECT_EQ(copy_no_replace(original, dir.file("lib/c.ts")).outcome, PlaceOutcome::targetExists);
    EXPECT_EQ(link_no_replace(original, dir.file("lib/c.ts")).outcome, PlaceOutcome::targetExists);
    EXPECT_EQ(read_all(dir.file("lib/c.ts")), "mine");
    EXPECT_FALSE(looks_like_copy(dir.file("lib/c.ts"), original));
    // A source that cannot be copied leaves nothing either.
    EXPECT_FALSE(copy_no_replace(dir.file("lib"), dir.file("lib/d.ts")).made());
    EXPECT_FALSE(copy_no_replace(dir.file("missing.ts"), dir.file("lib/d.ts")).made());
    std::set<std::string> names;
    for (const auto& item : fs::directory_iterator(dir.file("lib")))
        names.insert(item.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"b.ts", "c.ts"}));

    // A copy edited in its middle no longer looks like one.
    std::string edited = content;
    edited[content.size() / 2] ^= 1;
    write_text(dir.file("lib/b.ts"), edited);
    EXPECT_FALSE(looks_like_copy(dir.file("lib/b.ts"), original));

    const PlaceResult linked = link_no_replace(original, dir.file("lib/e.ts"));
    ASSERT_TRUE(linked.made()) << linked.message;
    EXPECT_TRUE(fs::equivalent(original, dir.file("lib/e.ts")));

    // What a copy killed in its middle left goes with the next copy into the
    // folder, once it is old; a fresh one, or one of a running process, stays.
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string dead = ".kalvento-copy-" + std::to_string(child) + "-";
    const std::string alive = ".kalvento-copy-" + std::to_string(::getppid()) + "-old";
    for (const std::string& name : {dead + "old", dead + "new", alive})
        write_text(dir.file("lib/" + name), "part");
    const auto an_hour_ago = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(dir.file("lib/" + dead + "old"), an_hour_ago);
    fs::last_write_time(dir.file("lib/" + alive), an_hour_ago);
    ASSERT_TRUE(copy_no_replace(original, dir.file("lib/f.ts")).made());
    EXPECT_FALSE(fs::exists(dir.file("lib/" + dead + "old")));
    EXPECT_TRUE(fs::exists(dir.file("lib/" + dead + "new")));
    EXPECT_TRUE(fs::exists(dir.file("lib/" + alive)));
}

}  // namespace
}  // namespace kalvento::test
