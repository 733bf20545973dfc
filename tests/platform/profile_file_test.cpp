#include "platform/profile_file.h"

#include <csignal>
#include <filesystem>
#include <iterator>
#include <string>
#include <tuple>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "tests/support/temp_dir.h"

namespace kalvento::test {
namespace {

namespace fs = std::filesystem;

std::size_t entry_count(const TempDir& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir.path()), {}));
}

ProfileFile profile_with(const TempDir& dir, const std::string& bytes) {
    const std::string path = dir.file("settings.ini");
    write_text(path, bytes);
    return ProfileFile::load(path);
}

TEST(ProfileFile, ReadsValuesAsWindowsDoes) {
    TempDir dir;
    const ProfileFile profile = profile_with(
        dir,
        "orphan=outside\r\n[ Main ]  ; trailing text\r\n  Spaced  =   padded value  \t\r\n"
        "Dq=\"  kept blanks  \"\r\nSq='single'\r\nMixed=\"not closed'\r\nLone=\"\r\n"
        "; Commented=1\r\nNoEquals\r\nEmpty=\r\nDup=first\r\ndup=second\r\n"
        "Number=  -12abc\r\nQuoted=\"7\"\r\nJunk=x7\r\n[main]\r\n"
        "Hidden=in the second copy of the section\r\n[Other]\r\nSpaced=other\r\n");
    ASSERT_TRUE(profile.load_result().ok());
    // "-" is not found: comments, lines without '=', keys outside any section,
    // keys of a repeated section (the first one wins), missing sections.
    const std::tuple<const char*, const char*, const char*> strings[] = {
        {"MAIN", "spaced", "padded value"},
        {" main ", " SPACED ", "padded value"},
        {"Main", "Dq", "  kept blanks  "},
        {"Main", "Sq", "single"},
        {"Main", "Mixed", "\"not closed'"},
        {"Main", "Lone", "\""},
        {"Main", "Empty", ""},
        {"Main", "Dup", "first"},
        {"Other", "Spaced", "other"},
        {"Main", "Commented", "-"},
        {"Main", "; Commented", "-"},
        {"Main", "NoEquals", "-"},
        {"", "orphan", "-"},
        {"Main", "Hidden", "-"},
        {"Nowhere", "Spaced", "-"}};
    for (const auto& [section, key, value] : strings)
        EXPECT_EQ(profile.read_string(section, key, "-"), value) << section << "/" << key;
    EXPECT_EQ(profile.read_string("Nowhere", "Spaced", " default "), " default ");

    const std::pair<const char*, int> ints[] = {
        {"Number", -12}, {"Quoted", 7}, {"Junk", 0}, {"Empty", 5}, {"Missing", 5}};
    for (const auto& [key, value] : ints) EXPECT_EQ(profile.read_int("Main", key, 5), value) << key;
    const std::pair<const char*, int> integers[] = {
        {"42A94967297", 42}, {"4294967297", 1}, {"-4294967297", -1}, {" +8", 8}, {"- 8", 0}};
    for (const auto& [text, value] : integers)
        EXPECT_EQ(parse_profile_integer(text), value) << text;
}

TEST(ProfileFile, WritesInPlaceAndKeepsEveryOtherLine) {
    TempDir dir;
    const std::string path = dir.file("settings.ini");
    // LF-only, a comment, blank lines, odd lines and a last line without line end.
    write_text(path,
               "; made on Windows\n[KalventoDlg]\nReadSize = 10\nodd line\nOLDW=1\n\n[Foreign]\n"
               "  Keep  =  as it was  \nNoEquals\nlast=line");
    ProfileFile profile = ProfileFile::load(path);
    EXPECT_FALSE(profile.modified());
    EXPECT_TRUE(profile.write_string("kalventodlg", "READSIZE", "70"));
    EXPECT_TRUE(profile.write_string("KalventoDlg", "NewKey", "new"));
    EXPECT_TRUE(profile.write_string("foreign", "noequals", "now set"));
    EXPECT_TRUE(profile.write_string("Added", "First", "1"));
    EXPECT_TRUE(profile.write_string("Added", "Second", "2"));
    EXPECT_TRUE(profile.delete_key("KALVENTODLG", "oldw"));
    EXPECT_FALSE(profile.delete_key("KalventoDlg", "oldw"));
    EXPECT_FALSE(profile.delete_key("Missing", "x"));
    // Sections behind the inserted and removed lines are still found.
    EXPECT_EQ(profile.read_string("Foreign", "Keep", ""), "as it was");
    EXPECT_EQ(profile.read_int("Added", "Second", 0), 2);
    ASSERT_TRUE(profile.save().ok());

    EXPECT_EQ(read_all(path),
              "; made on Windows\r\n[KalventoDlg]\r\nReadSize = 70\r\nodd line\r\nNewKey=new\r\n"
              "\r\n[Foreign]\r\n  Keep  =  as it was  \r\nNoEquals=now set\r\nlast=line\r\n"
              "[Added]\r\nFirst=1\r\nSecond=2\r\n");
    const ProfileFile again = ProfileFile::load(path);
    EXPECT_EQ(again.read_int("KalventoDlg", "ReadSize", 0), 70);
    EXPECT_EQ(again.read_int("KalventoDlg", "OLDW", 100), 100);
    EXPECT_EQ(again.read_string("Foreign", "Keep", ""), "as it was");

    // Writing the value a key already has changes nothing.
    ProfileFile same = ProfileFile::load(path);
    EXPECT_TRUE(same.write_string("KalventoDlg", "ReadSize", "70"));
    EXPECT_FALSE(same.modified());
}

TEST(ProfileFile, DuplicatesAndUnsafeInput) {
    TempDir dir;
    ProfileFile profile = profile_with(dir, "[S]\r\nk=1\r\nK=2\r\n[s]\r\nk=3\r\n");
    // The first key is the one written; deleting removes every copy in the
    // section, so the key then reads as missing.
    EXPECT_TRUE(profile.write_string("S", "k", "9"));
    EXPECT_EQ(profile.read_int("S", "k", 0), 9);
    EXPECT_TRUE(profile.delete_key("S", "K"));
    EXPECT_EQ(profile.read_int("S", "k", -1), -1);
    EXPECT_EQ(profile.serialized(), "[S]\r\n[s]\r\nk=3\r\n");

    // A value cannot add lines of its own; names that would read back as
    // something else are refused.
    EXPECT_TRUE(profile.write_string("S", "v", "a\r\n[Evil]\nb"));
    EXPECT_EQ(profile.read_string("S", "v", ""), "a  [Evil] b");
    EXPECT_TRUE(profile.write_string("S", "nul", std::string("cut\0here", 8)));
    EXPECT_EQ(profile.read_string("S", "nul", ""), "cut");
    // A trailing lead byte in a section name would swallow the ']'.
    for (const auto& [section, key] :
         {std::pair{"S", "a=b"}, std::pair{"S", "[k]"}, std::pair{"S", ";k"}, std::pair{"S", " "},
          std::pair{"", "k"}, std::pair{"A\nB", "k"}, std::pair{"A\x81", "k"}})
        EXPECT_FALSE(profile.write_string(section, key, "x")) << section << "/" << key;
    EXPECT_TRUE(profile.write_string("A\x81]", "k", "x"));
    EXPECT_EQ(profile.read_string("A\x81]", "k", ""), "x");
    EXPECT_TRUE(profile.delete_key("A\x81]", "k"));
    EXPECT_EQ(profile.serialized(),
              "[S]\r\nv=a  [Evil] b\r\nnul=cut\r\n[s]\r\nk=3\r\n[A\x81]]\r\n");
}

TEST(ProfileFile, KeepsCp932BytesAndCutsAtCharacters) {
    TempDir dir;
    const std::string path = dir.file("settings.ini");
    const std::string hyo = cp932("表");  // 95 5C: the trail byte is a backslash
    const std::string a = cp932("ア");    // 83 41
    const std::string dji = cp932("ヂ");  // 83 61: differs from ア only by ASCII case of the trail
    const std::string dash = cp932("‐");  // 81 5D: the trail byte is ']'
    ProfileFile profile(path);
    ASSERT_TRUE(profile.write_string("Sec" + dash, a, hyo + "\xFA\x9C"));
    ASSERT_TRUE(profile.write_string("Sec" + dash, dji, "other"));
    ASSERT_TRUE(profile.write_string("Long", "v", std::string(1022, 'x') + hyo));
    ASSERT_TRUE(profile.save().ok());

    const ProfileFile again = ProfileFile::load(path);
    EXPECT_EQ(again.read_string("SEC" + dash, a, ""), hyo + "\xFA\x9C");
    EXPECT_EQ(again.read_string("sec" + dash, dji, ""), "other");
    // 1022 bytes fit, the double-byte character behind them does not.
    EXPECT_EQ(again.read_string("Long", "v", ""), std::string(1022, 'x'));
    EXPECT_EQ(again.read_string("Long", "v", "", 1024), std::string(1022, 'x') + hyo);
    EXPECT_EQ(again.read_string("Long", "missing", hyo + hyo, 3), hyo);
    EXPECT_NE(read_all(path).find("[Sec" + dash + "]\r\n" + a + "=" + hyo), std::string::npos);
}

TEST(ProfileFile, ByteOrderMarkIsKeptAndSkipped) {
    TempDir dir;
    ProfileFile profile = profile_with(dir, "\xEF\xBB\xBF[S]\nk=1\n");
    EXPECT_EQ(profile.read_int("S", "k", 0), 1);
    profile.write_string("S", "k", "2");
    EXPECT_EQ(profile.serialized(), "\xEF\xBB\xBF[S]\r\nk=2\r\n");
}

TEST(ProfileFile, SaveReplacesAtomicallyAndReportsFailures) {
    TempDir dir;
    const std::string path = dir.file("kalvento.ini");

    // A missing file is an empty profile; nothing is written until something changed.
    ProfileFile fresh = ProfileFile::load(path);
    ASSERT_TRUE(fresh.load_result().ok());
    ASSERT_TRUE(fresh.save().ok());
    EXPECT_FALSE(fs::exists(path));
    fresh.write_string("S", "k", "1");
    ASSERT_TRUE(fresh.save().ok());
    EXPECT_FALSE(fresh.modified());
    EXPECT_EQ(read_all(path), "[S]\r\nk=1\r\n");
    EXPECT_EQ(entry_count(dir), 1u);  // no temporary file left

    // The file mode survives the replacement.
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ProfileFile second = ProfileFile::load(path);
    second.write_string("S", "k", "2");
    ASSERT_TRUE(second.save().ok());
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // Saving through a symbolic link replaces the target and keeps the link.
    const std::string link = dir.file("link.ini");
    fs::create_symlink(path, link);
    ProfileFile linked = ProfileFile::load(link);
    linked.write_string("S", "k", "3");
    ASSERT_TRUE(linked.save().ok());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read_all(path), "[S]\r\nk=3\r\n");

    // A directory that cannot exist (its parent is a regular file) is reported.
    const std::string blocker = dir.file("blocker");
    write_text(blocker, "not a directory");
    ProfileFile blocked = ProfileFile::load(blocker + "/kalvento.ini");
    ASSERT_TRUE(blocked.load_result().ok());
    blocked.write_string("S", "k", "1");
    const ProfileResult failed = blocked.save();
    EXPECT_EQ(failed.error, ProfileError::cannot_create_temp);
    EXPECT_FALSE(failed.message.empty());
    EXPECT_TRUE(blocked.modified());
    EXPECT_EQ(read_all(blocker), "not a directory");

    // Something that is not a readable file is never saved over.
    const std::string directory_path = dir.file("a-directory.ini");
    fs::create_directory(directory_path);
    ProfileFile unreadable = ProfileFile::load(directory_path);
    EXPECT_EQ(unreadable.load_result().error, ProfileError::unreadable);
    unreadable.write_string("S", "k", "1");
    EXPECT_EQ(unreadable.save().error, ProfileError::unreadable);
    EXPECT_TRUE(fs::is_directory(directory_path));

    // Without write permission on the directory (not testable as root, who
    // ignores it) the save fails and the old file stays.
    if (::geteuid() != 0) {
        const std::string locked_dir = dir.file("locked");
        fs::create_directory(locked_dir);
        const std::string locked = locked_dir + "/kalvento.ini";
        write_text(locked, "[S]\r\nk=old\r\n");
        fs::permissions(locked_dir, fs::perms::owner_read | fs::perms::owner_exec);
        ProfileFile profile = ProfileFile::load(locked);
        profile.write_string("S", "k", "new");
        EXPECT_FALSE(profile.save().ok());
        fs::permissions(locked_dir, fs::perms::owner_all);
        EXPECT_EQ(read_all(locked), "[S]\r\nk=old\r\n");
    }
}

TEST(ProfileFile, FailedWriteLeavesOldFileWhole) {
    TempDir dir;
    const std::string path = dir.file("kalvento.ini");
    write_text(path, "[S]\r\nk=old\r\n");
    ProfileFile profile = ProfileFile::load(path);
    profile.write_string("S", "big", std::string(8192, 'b'));

    // A file size limit makes the write fail half way, as a full disk would;
    // this works for root too.
    rlimit old_limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old_limit;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const ProfileResult result = profile.save();
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);

    EXPECT_EQ(result.error, ProfileError::cannot_write);
    EXPECT_EQ(read_all(path), "[S]\r\nk=old\r\n");
    EXPECT_EQ(entry_count(dir), 1u);
    ASSERT_TRUE(profile.save().ok());  // still modified: the next save goes through
    EXPECT_EQ(ProfileFile::load(path).read_string("S", "big", "").size(), 1023u);
}

}  // namespace
}  // namespace kalvento::test
