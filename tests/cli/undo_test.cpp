// Every rename can be taken back: the rename journal and kalvento-cli
// history / undo, with real files, real processes and kill -9.
#include "app/journal.h"
#include "tests/cli/cli_test_util.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <map>
#include <random>
#include <thread>

namespace kalvento::test {
namespace {

const std::vector<std::string> kByNameWithCompanionsAndDates =
    concat(kNameAndDate, {"WildRename=1", "FileDate=1"});

// What a folder holds: name -> (content hash, last-write time in ns).
using Listing = std::map<std::string, std::pair<std::size_t, std::int64_t>>;

Listing listing(const std::string& dir) {
    Listing result;
    for (const auto& item : fs::directory_iterator(dir)) {
        if (!item.is_regular_file()) continue;
        struct stat info {};
        ::stat(item.path().c_str(), &info);
        result[item.path().filename().string()] = {
            std::hash<std::string>{}(read_all(item.path().string())),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
    }
    return result;
}

// `count` recordings (of `programmes` different programmes) with a text and a
// log companion each, in `dir`.
void write_recordings(const std::string& dir, int count, int programmes = 3) {
    fs::create_directories(dir);
    static const char* names[] = {"朝の番組", "昼の番組", "夜の番組"};
    for (int i = 0; i < count; ++i) {
        const std::string path = dir + "/rec" + std::to_string(i) + ".ts";
        ASSERT_TRUE(write_small_recording(
            path, {.eventName = names[i % programmes], .seed = static_cast<std::uint32_t>(i + 1)}));
        std::ofstream(path + ".txt") << "text of " << i;
        std::ofstream(path + ".log") << "log of " << i;
    }
}

std::vector<std::string> recordings_in(const std::string& dir) {
    std::vector<std::string> paths;
    for (const auto& item : fs::directory_iterator(dir))
        if (item.path().extension() == ".ts") paths.push_back(item.path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<json> batches(const CliScratch& scratch) {
    return json_lines(scratch.run({"history", "--json", "-n", "100"}));
}

TEST(CliUndo, RenameThenUndoGivesBackNamesContentsAndTimes) {
    CliScratch scratch;
    scratch.write_settings(kByNameWithCompanionsAndDates);
    const std::string dir = scratch.file("rec");
    write_recordings(dir, 6);
    const Listing before = listing(dir);

    const CliRun renamed = scratch.run(concat({"rename"}, recordings_in(dir)));
    ASSERT_EQ(renamed.exitCode, 0) << renamed.output << renamed.errors;
    ASSERT_NE(listing(dir), before);

    const std::vector<json> history = batches(scratch);
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0]["frontEnd"], "cli");
    EXPECT_EQ(history[0]["files"], 18);
    EXPECT_EQ(history[0]["folder"], dir);
    EXPECT_EQ(history[0]["complete"], true);

    // From another working directory, by its id.
    const std::string id = history[0]["batch"];
    const CliRun undone = scratch.run({"undo", id}, "cd / &&");
    EXPECT_EQ(undone.exitCode, 0) << undone.output << undone.errors;
    EXPECT_EQ(listing(dir), before);

    // The undo is a batch of its own, and can be taken back as well.
    const std::vector<json> after = batches(scratch);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0]["undoOf"], id);
    EXPECT_EQ(after[1]["undoneBy"], after[0]["batch"]);
    EXPECT_EQ(scratch.run({"undo", "--last"}).exitCode, 0);
    EXPECT_NE(listing(dir), before);
    EXPECT_EQ(scratch.run({"undo", "--last"}).exitCode, 0);
    EXPECT_EQ(listing(dir), before);
}

TEST(CliUndo, LeavesReplacedFilesAndTakenNamesAndTouchesNothingElse) {
    CliScratch scratch;
    scratch.write_settings(kByNameWithCompanionsAndDates);
    const std::string dir = scratch.file("rec");
    write_recordings(dir, 3);
    ASSERT_EQ(scratch.run(concat({"rename"}, recordings_in(dir))).exitCode, 0);
    const std::vector<std::string> renamed = recordings_in(dir);
    ASSERT_EQ(renamed.size(), 3u);

    // One new name now holds another file; one old name has been taken since.
    fs::remove(renamed[0]);
    std::ofstream(renamed[0]) << "another file";
    std::ofstream(dir + "/rec1.ts") << "a newcomer";
    const Listing before = listing(dir);

    const CliRun dry = scratch.run({"undo", "--last", "--dry-run", "--json"});
    EXPECT_EQ(dry.exitCode, 1);
    EXPECT_EQ(listing(dir), before);

    const CliRun undone = scratch.run({"undo", "--last", "--json"});
    EXPECT_EQ(undone.exitCode, 1);
    std::map<std::string, int> statuses;
    for (const std::string& line : lines_of(undone.output)) ++statuses[json::parse(line)["status"]];
    EXPECT_EQ(statuses["newNameHoldsAnother"], 1);
    EXPECT_EQ(statuses["oldNameTaken"], 1);
    EXPECT_EQ(statuses["movedBack"], 7);  // the third recording, all six companions
    EXPECT_EQ(read_all(renamed[0]), "another file");
    EXPECT_EQ(read_all(dir + "/rec1.ts"), "a newcomer");
    EXPECT_TRUE(fs::exists(dir + "/rec0.ts"));
    for (const char* companion : {"rec0.ts.txt", "rec1.ts.log", "rec2.ts.txt"})
        EXPECT_TRUE(fs::exists(dir + "/" + companion)) << companion;
}

TEST(CliUndo, NoMoveWithoutItsRecord) {
    CliScratch scratch;
    scratch.write_settings(kByNameWithCompanionsAndDates);
    const std::string dir = scratch.file("rec");
    write_recordings(dir, 2);
    const Listing before = listing(dir);
    // Something that cannot be appended to stands where the journal goes.
    fs::create_directory(scratch.file("config/journal.jsonl"));
    const CliRun run = scratch.run(concat({"rename", "--json"}, recordings_in(dir)));
    EXPECT_EQ(run.exitCode, 1);
    for (const std::string& line : lines_of(run.output))
        EXPECT_EQ(json::parse(line)["status"], "notRecorded") << line;
    EXPECT_EQ(listing(dir), before);
}

TEST(CliUndo, TheLastBatchIsLeftWhileItsProcessStillRuns) {
    CliScratch scratch;
    const std::string dir = scratch.file("rec");
    write_recordings(dir, 1);
    // This test process is a renamer in the middle of its batch: the
    // recording has moved, its companions not yet.
    std::string error;
    std::unique_ptr<JournalBatch> running =
        JournalBatch::begin(scratch.file("config"), kFrontEndCli, {}, error);
    ASSERT_TRUE(running) << error;
    const MoveIntent move{
        .role = FileRole::recording, .from = dir + "/rec0.ts", .to = dir + "/a.ts"};
    ASSERT_TRUE(running->before_move(move, error)) << error;
    fs::rename(move.from, move.to);
    running->after_move(move, true, "");

    const CliRun last = scratch.run({"undo", "--last"});
    EXPECT_EQ(last.exitCode, 1);
    EXPECT_NE(last.errors.find("is still running"), std::string::npos) << last.errors;
    EXPECT_TRUE(fs::exists(move.to));
    // Named, it is taken back as far as it went.
    EXPECT_EQ(scratch.run({"undo", running->id()}).exitCode, 0);
    EXPECT_TRUE(fs::exists(move.from));
}

TEST(CliUndo, TwoProcessesAtOnceEachUndoTheirOwnBatch) {
    CliScratch scratch;
    scratch.write_settings(kByNameWithCompanionsAndDates);
    const std::string first = scratch.file("first");
    const std::string second = scratch.file("second");
    write_recordings(first, 20);
    write_recordings(second, 20);
    const Listing first_before = listing(first);
    const Listing second_before = listing(second);
    const std::string script =
        scratch.command(concat({"rename"}, recordings_in(first))) + " >/dev/null 2>&1 & " +
        scratch.command(concat({"rename"}, recordings_in(second))) + " >/dev/null 2>&1 & wait";
    ASSERT_EQ(std::system(script.c_str()), 0);

    const std::vector<json> history = batches(scratch);
    ASSERT_EQ(history.size(), 2u);
    for (const json& batch : history) {
        const std::string folder = batch["folder"];
        EXPECT_EQ(scratch.run({"undo", batch["batch"]}).exitCode, 0) << folder;
        EXPECT_EQ(listing(folder), folder == first ? first_before : second_before);
    }
}

TEST(CliUndo, KilledBatchesAreTakenBackFromWhatTheDiskShows) {
    CliScratch scratch;
    scratch.write_settings(kByNameWithCompanionsAndDates);
    const std::string journal = scratch.file("config/journal.jsonl");
    std::mt19937 random(20261206);
    int interrupted = 0;
    for (int round = 0; round < 4; ++round) {
        const std::string dir = scratch.file("round" + std::to_string(round));
        write_recordings(dir, 200);
        const Listing before = listing(dir);
        const std::vector<std::string> arguments = concat({"rename"}, recordings_in(dir));
        std::error_code ec;
        const auto journal_size = [&] {
            const auto size = fs::file_size(journal, ec);
            return ec ? std::uintmax_t{0} : size;
        };
        const std::uintmax_t size_before = journal_size();

        const pid_t child = ::fork();
        if (child == 0) {
            const std::string line = "exec env " + scratch.command(arguments) + " >/dev/null 2>&1";
            ::execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // The analysis takes most of the run; the kill falls among the moves,
        // which begin when the batch's first line reaches the journal.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (journal_size() == size_before && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        const std::vector<json> history = batches(scratch);
        if (history.empty() || history[0]["folder"] != dir) {
            EXPECT_EQ(listing(dir), before) << "killed before its batch began, round " << round;
            continue;
        }
        if (history[0]["complete"] == false) ++interrupted;
        const CliRun undone = scratch.run({"undo", history[0]["batch"]});
        EXPECT_EQ(undone.exitCode, 0) << "round " << round << undone.output << undone.errors;
        EXPECT_EQ(listing(dir), before) << "round " << round;
    }
    // Most kills must have cut a batch short, or the test proves little.
    EXPECT_GE(interrupted, 2);
}

TEST(CliUndo, DamagedJournalLinesAreSkippedWithAWarning) {
    CliScratch scratch;
    scratch.write_settings(kByNameWithCompanionsAndDates);
    const std::string dir = scratch.file("rec");
    write_recordings(dir, 2);
    const Listing before = listing(dir);
    ASSERT_EQ(scratch.run(concat({"rename"}, recordings_in(dir))).exitCode, 0);
    {
        std::ofstream journal(scratch.file("config/journal.jsonl"),
                              std::ios::app | std::ios::binary);
        journal << "{\"type\":\"move\",\"batch\":\"x\",\"seq\":\"one\"}\n"
                << "[[[[[[[[[[\n"
                << "\xff\xfe not json at all\n"
                << "{\"type\":\"moved\",\"batch\":";  // cut short by a crash
    }
    const CliRun history = scratch.run({"history"});
    EXPECT_EQ(history.exitCode, 0);
    EXPECT_NE(history.errors.find("4 damaged journal lines were skipped"), std::string::npos)
        << history.errors;
    EXPECT_EQ(scratch.run({"undo", "--last"}).exitCode, 0);
    EXPECT_EQ(listing(dir), before);
    EXPECT_EQ(scratch.run({"undo", "no-such-batch"}).exitCode, 1);
    EXPECT_EQ(scratch.run({"undo"}).exitCode, 2);
}

}  // namespace
}  // namespace kalvento::test
