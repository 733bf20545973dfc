// kalvento-cli rename into a library folder: --link-to, --copy-to, --move-to
// and --folder, their undo, and what they refuse, with real files.
#include "tests/cli/cli_test_util.h"

#include <sys/stat.h>

namespace kalvento::test {
namespace {

const std::vector<std::string> kNameWithGop = concat(kNameAndDate, {"GopRename=1", "FileDate=1"});
// The broadcast start of write_drama's programme, 2024-04-07 21:00 in Japan.
constexpr std::int64_t kBroadcastStart = 1712491200;
const std::string kNumberedName = "夜のドラマ 20240407(日)(1).ts";

struct Node {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

Node node_of(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    return {info.st_dev, info.st_ino};
}

std::int64_t modified_seconds(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mtim.tv_sec : -1;
}

bool same_node(const std::string& a, const std::string& b) {
    const Node first = node_of(a);
    const Node second = node_of(b);
    return first.inode != 0 && first.device == second.device && first.inode == second.inode;
}

// Every file below a folder, as relative path -> content.
std::map<std::string, std::string> tree(const std::string& dir) {
    std::map<std::string, std::string> files;
    if (!fs::exists(dir)) return files;
    for (const auto& item : fs::recursive_directory_iterator(dir))
        files[fs::relative(item.path(), dir).string()] =
            item.is_regular_file() ? read_all(item.path().string()) : std::string("<folder>");
    return files;
}

// A scratch folder with rec/a.ts and its GOP text, and a library folder "lib"
// in which the composed name is taken already by someone else's file.
struct Library {
    Library() {
        scratch.write_settings(kNameWithGop);
        fs::create_directories(rec);
        fs::create_directories(lib);
        write_drama(recording);
        write_text(recording + ".txt", "gop");
        write_text(lib + "/" + kComposedName, "someone else's");
        original = read_all(recording);
        originalTime = modified_seconds(recording);
    }

    CliScratch scratch;
    const std::string rec = scratch.file("rec");
    const std::string lib = scratch.file("lib");
    const std::string recording = rec + "/a.ts";
    std::string original;
    std::int64_t originalTime = 0;
};

TEST(CliLibrary, EachActionPutsTheRecordingWithItsCompanionIntoTheLibraryAndUndoTakesItAway) {
    for (const std::string action : {"link", "copy", "move"}) {
        SCOPED_TRACE(action);
        Library library;
        const std::string target = library.lib + "/" + kNumberedName;
        const CliRun run = library.scratch.run(
            {"rename", "--json", "--" + action + "-to", library.lib, library.recording});
        ASSERT_EQ(run.exitCode, 0) << run.output << run.errors;
        const json line = only_line(run);
        EXPECT_EQ(line["action"], action);
        EXPECT_EQ(line["status"], "renamed");
        // The name taken in the library got "(1)"; the file there is untouched.
        EXPECT_EQ(line["newPath"], target);
        EXPECT_EQ(line["companions"][0]["to"], target + ".txt");
        EXPECT_EQ(read_all(library.lib + "/" + kComposedName), "someone else's");
        EXPECT_EQ(read_all(target), library.original);
        EXPECT_EQ(read_all(target + ".txt"), "gop");
        EXPECT_EQ(names_in(library.lib).size(), 3u);
        // FileDate dates a copy or a moved file, never a link: that would
        // date the manager's file too.
        EXPECT_EQ(line["fileTimeSet"], action != "link");
        EXPECT_EQ(modified_seconds(target),
                  action == "link" ? library.originalTime : kBroadcastStart);
        if (action == "move") {
            EXPECT_TRUE(names_in(library.rec).empty());
        } else {
            EXPECT_EQ(modified_seconds(library.recording), library.originalTime);
            EXPECT_EQ(read_all(library.recording), library.original);
            EXPECT_EQ(read_all(library.recording + ".txt"), "gop");
            EXPECT_EQ(same_node(target, library.recording), action == "link");
            EXPECT_EQ(same_node(target + ".txt", library.recording + ".txt"), action == "link");
        }
        if (action != "move") {
            // A second run (a sweep) finds it there and makes no "(2)".
            const json again = only_line(library.scratch.run(
                {"rename", "--json", "--" + action + "-to", library.lib, library.recording}));
            EXPECT_EQ(again["status"], "unchanged");
            EXPECT_EQ(again["newPath"], target);
            EXPECT_EQ(names_in(library.lib).size(), 3u);
        }
        const json history = only_line(library.scratch.run({"history", "--json"}));
        EXPECT_EQ(history["linked"], action == "link" ? 2 : 0);
        EXPECT_EQ(history["copied"], action == "copy" ? 2 : 0);
        EXPECT_EQ(history["files"], action == "move" ? 2 : 0);

        // Undo takes away what was made, or moves it back; the originals and
        // the other file stay.
        const CliRun undone = library.scratch.run({"undo", "--last"});
        EXPECT_EQ(undone.exitCode, 0) << undone.output << undone.errors;
        EXPECT_EQ(names_in(library.lib), std::set<std::string>{kComposedName});
        EXPECT_EQ(names_in(library.rec), (std::set<std::string>{"a.ts", "a.ts.txt"}));
        EXPECT_EQ(read_all(library.recording), library.original);
        EXPECT_EQ(modified_seconds(library.recording), library.originalTime);
        // The undo is on record, and nothing is left to take back.
        const json undo = json_lines(library.scratch.run({"history", "--json"})).at(0);
        EXPECT_EQ(undo["undoOf"], history["batch"]);
        EXPECT_EQ(undo["removed"], action == "move" ? 0 : 2);
        EXPECT_EQ(library.scratch.run({"undo", history["batch"]}).exitCode, 0);
        EXPECT_EQ(names_in(library.rec), (std::set<std::string>{"a.ts", "a.ts.txt"}));
    }
}

TEST(CliLibrary, UndoLeavesWhatChangedSinceAndWhatIsNoLongerTheFileMade) {
    Library library;
    ASSERT_EQ(library.scratch.run({"rename", "--copy-to", library.lib, library.recording}).exitCode,
              0);
    const std::string copy = library.lib + "/" + kNumberedName;
    // The same size, another content: the copy was edited, so it stays.
    std::string edited = read_all(copy);
    edited[edited.size() / 2] ^= 0x5A;
    {
        std::fstream file(copy, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(0);
        file.write(edited.data(), static_cast<std::streamsize>(edited.size()));
    }
    const CliRun undone = library.scratch.run({"undo", "--last", "--json"});
    EXPECT_EQ(undone.exitCode, 1);
    // The times FileDate gave the copies come back first; then the copies.
    std::vector<json> steps;
    for (const json& step : json_lines(undone))
        if (step["status"] != "timesRestored") steps.push_back(step);
    ASSERT_EQ(steps.size(), 2u) << undone.output;
    EXPECT_EQ(steps[0]["status"], "changedSince");
    EXPECT_EQ(steps[0]["role"], "recording");
    EXPECT_EQ(steps[1]["status"], "recordingLeft");  // the companion stays beside it
    EXPECT_EQ(read_all(copy), edited);
    EXPECT_EQ(read_all(copy + ".txt"), "gop");

    // A link whose name now holds another file leaves that file.
    Library linked;
    ASSERT_EQ(linked.scratch.run({"rename", "--link-to", linked.lib, linked.recording}).exitCode,
              0);
    const std::string link = linked.lib + "/" + kNumberedName;
    fs::remove(link);
    write_text(link, "a new file");
    const CliRun left = linked.scratch.run({"undo", "--last"});
    EXPECT_EQ(left.exitCode, 1);
    EXPECT_NE(left.output.find(link + ": left where it is: its new name now holds another file"),
              std::string::npos)
        << left.output;
    EXPECT_EQ(read_all(link), "a new file");
    // A link is the original's only name once the original is gone: it stays.
    Library alone;
    ASSERT_EQ(alone.scratch.run({"rename", "--link-to", alone.lib, alone.recording}).exitCode, 0);
    fs::remove(alone.recording);
    EXPECT_EQ(alone.scratch.run({"undo", "--last"}).exitCode, 1);
    EXPECT_EQ(read_all(alone.lib + "/" + kNumberedName), alone.original);
}

TEST(CliLibrary, FolderTemplateMakesSubFoldersAndRefusesOnesThatLeaveTheLibrary) {
    Library library;
    const std::string slashed = library.rec + "/b.ts";
    write_drama(slashed, 2, "朝/夜");
    const Args files = {library.recording, slashed};

    // A dry run plans the sub-folders and touches nothing; a slash of the
    // programme's own text never makes a folder.
    const auto before = tree(library.rec);
    const CliRun planned = library.scratch.run(concat(
        {"rename", "--json", "--dry-run", "--link-to", library.lib, "--folder", "@CH/@TT"}, files));
    ASSERT_EQ(planned.exitCode, 0) << planned.output << planned.errors;
    EXPECT_EQ(tree(library.rec), before);
    EXPECT_EQ(tree(library.lib).size(), 1u);
    const std::vector<json> lines = json_lines(planned);
    ASSERT_EQ(lines.size(), 2u);
    const std::string channel = library.lib + "/カルヴェントテレビ/";
    EXPECT_EQ(lines[0]["status"], "wouldRename");
    EXPECT_EQ(lines[0]["newPath"], channel + "夜のドラマ/" + kComposedName);
    EXPECT_EQ(lines[1]["newPath"], channel + "朝／夜/朝／夜 20240407(日).ts");

    const CliRun made = library.scratch.run(
        concat({"rename", "--link-to", library.lib, "--folder", "@CH/@TT"}, files));
    ASSERT_EQ(made.exitCode, 0) << made.output << made.errors;
    EXPECT_TRUE(same_node(lines[0]["newPath"], library.recording));
    EXPECT_TRUE(same_node(lines[1]["newPath"], slashed));
    // The undo removes the links and the folders made for them.
    ASSERT_EQ(library.scratch.run({"undo", "--last"}).exitCode, 0);
    EXPECT_EQ(tree(library.lib),
              (std::map<std::string, std::string>{{kComposedName, "someone else's"}}));

    for (const std::string folder : {"@TT/../..", "@TT//x", "/@TT", "@SB"}) {
        SCOPED_TRACE(folder);
        const CliRun refused = library.scratch.run(
            {"rename", "--json", "--move-to", library.lib, "--folder", folder, library.recording});
        EXPECT_EQ(refused.exitCode, 1);
        const json line = only_line(refused);
        EXPECT_EQ(line["status"], "badFolder");
        EXPECT_NE(line["message"].get<std::string>().find("folder template"), std::string::npos)
            << line["message"];
        EXPECT_EQ(read_all(library.recording), library.original);
    }
    EXPECT_EQ(tree(library.lib).size(), 1u);

    expect_usage_error(library.scratch.run({"rename", "--folder", "@TT", library.recording}),
                       "--folder alone");
    expect_usage_error(library.scratch.run({"rename", "--link-to", library.lib, "--copy-to",
                                            library.lib, library.recording}),
                       "two actions");
}

TEST(CliLibrary, SettingsChooseTheActionAndAnOptionOverridesThem) {
    Library library;
    ASSERT_EQ(library.scratch
                  .run({"config", "set", "LibraryAction", "copy", "LibraryFolder", library.lib,
                        "LibraryTemplate", "@TT"})
                  .exitCode,
              0);
    const json shown = json::parse(library.scratch.run({"config", "show", "--json"}).output);
    EXPECT_EQ(shown["settings"]["LibraryAction"], "copy");
    EXPECT_EQ(shown["settings"]["LibraryTemplate"], "@TT");
    expect_usage_error(library.scratch.run({"config", "set", "LibraryAction", "hardlink"}),
                       "an unknown action");

    const json copied =
        only_line(library.scratch.run({"rename", "--json", "--dry-run", library.recording}));
    EXPECT_EQ(copied["action"], "copy");
    EXPECT_EQ(copied["newPath"], library.lib + "/夜のドラマ/" + kComposedName);
    // An option brings its own folder and no template.
    const json linked = only_line(library.scratch.run(
        {"rename", "--json", "--dry-run", "--link-to", library.rec, library.recording}));
    EXPECT_EQ(linked["action"], "link");
    EXPECT_EQ(linked["newPath"], library.rec + "/" + kComposedName);

    ASSERT_EQ(library.scratch.run({"config", "set", "LibraryFolder", ""}).exitCode, 0);
    const CliRun unset = library.scratch.run({"rename", library.recording});
    expect_usage_error(unset, "no folder");
    EXPECT_NE(unset.errors.find("LibraryFolder"), std::string::npos) << unset.errors;
}

// A hard link or a move cannot cross file systems: refused with the reason,
// never turned into a copy. A copy can.
TEST(CliLibrary, LinkAndMoveAcrossFileSystemsAreRefusedCopyWorks) {
    Library library;
    const std::string other = "/dev/shm";
    if (!fs::is_directory(other) || node_of(other).device == node_of(library.rec).device)
        GTEST_SKIP() << "no second file system beside the temporary folder";
    TempDir shm_holder;  // only for a unique name
    const std::string lib = other + "/" + fs::path(shm_holder.path()).filename().string();
    fs::create_directories(lib);
    const auto before = tree(library.rec);
    for (const std::string action : {"link", "move"}) {
        // A dry run foresees it.
        const CliRun planned = library.scratch.run(
            {"rename", "--json", "--dry-run", "--" + action + "-to", lib, library.recording});
        EXPECT_EQ(only_line(planned)["status"], "crossDevice") << planned.output;
        const CliRun run = library.scratch.run(
            {"rename", "--json", "--" + action + "-to", lib, library.recording});
        EXPECT_EQ(run.exitCode, 1);
        const json line = only_line(run);
        EXPECT_EQ(line["status"], "crossDevice");
        const std::string message = line["message"];
        EXPECT_NE(message.find(library.recording + " is on another file system than " + lib),
                  std::string::npos)
            << message;
        EXPECT_NE(message.find("--copy-to"), std::string::npos) << message;
    }
    EXPECT_EQ(tree(library.rec), before);
    EXPECT_TRUE(tree(lib).empty());

    const CliRun copied = library.scratch.run({"rename", "--copy-to", lib, library.recording});
    EXPECT_EQ(copied.exitCode, 0) << copied.output << copied.errors;
    EXPECT_EQ(read_all(lib + "/" + kComposedName), library.original);
    EXPECT_EQ(library.scratch.run({"undo", "--last"}).exitCode, 0);
    EXPECT_TRUE(tree(lib).empty());
    fs::remove_all(lib);
}

}  // namespace
}  // namespace kalvento::test
