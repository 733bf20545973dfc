// Every rename can be taken back: the rename journal and kalvento-cli
// history / undo, with real files, real processes and kill -9.
#include "app/journal.h"
#include "platform/file_lock.h"
#include "tests/cli/cli_test_util.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
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

// Recordings with companions in a scratch folder "rec", renamed (and dated)
// by kalvento-cli rename as one batch.
class CliUndoRenamed : public testing::Test {
  protected:
    void SetUp() override {
        scratch.write_settings(kByNameWithCompanionsAndDates);
        write_recordings(dir, 3);
        before = listing(dir);
        ASSERT_EQ(scratch.run(concat({"rename"}, recordings_in(dir))).exitCode, 0);
    }

    CliScratch scratch;
    const std::string dir = scratch.file("rec");
    Listing before;
};

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
    const Listing renamed_listing = listing(dir);
    const std::string id = history[0]["batch"];
    const CliRun undone = scratch.run({"undo", id}, "cd / &&");
    EXPECT_EQ(undone.exitCode, 0) << undone.output << undone.errors;
    EXPECT_EQ(listing(dir), before);

    // The undo is a batch of its own, and can be taken back as well: names
    // and broadcast times come back. Each undo says which batch it took back.
    const std::vector<json> after = batches(scratch);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0]["undoOf"], id);
    EXPECT_EQ(after[1]["undoneBy"], after[0]["batch"]);
    const CliRun redone = scratch.run({"undo", "--last"});
    EXPECT_EQ(redone.exitCode, 0);
    EXPECT_EQ(lines_of(redone.output).front(),
              "taking back batch " + after[0]["batch"].get<std::string>())
        << redone.output;
    EXPECT_EQ(listing(dir), renamed_listing);
    EXPECT_EQ(scratch.run({"undo", "--last"}).exitCode, 0);
    EXPECT_EQ(listing(dir), before);
}

TEST_F(CliUndoRenamed, LeavesReplacedFilesAndTakenNamesAndTouchesNothingElse) {
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
    // Companions go back only with their recording: rec0 (朝) and its two;
    // the four of rec1 (昼) and rec2 (夜, the replaced one) stay beside the
    // names their recordings were given.
    EXPECT_EQ(statuses["movedBack"], 3);
    EXPECT_EQ(statuses["recordingLeft"], 4);
    EXPECT_EQ(read_all(renamed[0]), "another file");
    EXPECT_EQ(read_all(dir + "/rec1.ts"), "a newcomer");
    for (const char* name : {"rec0.ts", "rec0.ts.txt", "rec0.ts.log"})
        EXPECT_TRUE(fs::exists(dir + "/" + name)) << name;
    for (const char* companion : {"rec1.ts.txt", "rec1.ts.log", "rec2.ts.txt", "rec2.ts.log"})
        EXPECT_FALSE(fs::exists(dir + "/" + companion)) << companion;
    EXPECT_TRUE(fs::exists(renamed[0] + ".txt"));
    EXPECT_TRUE(fs::exists(renamed[1] + ".log"));
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
    auto begun = JournalBatch::begin(scratch.file("config"), kFrontEndCli, {});
    ASSERT_TRUE(begun) << begun.error().message;
    const std::unique_ptr<JournalBatch>& running = *begun;
    const MoveIntent move{
        .role = FileRole::recording, .from = dir + "/rec0.ts", .to = dir + "/a.ts"};
    ASSERT_TRUE(running->before_move(move));
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

TEST_F(CliUndoRenamed, DamagedJournalLinesAreSkippedWithAWarning) {
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

// The lines of the journal file, and writing them back.
std::vector<json> journal_lines(const std::string& path) {
    std::vector<json> lines;
    for (const std::string& line : lines_of(read_all(path))) lines.push_back(json::parse(line));
    return lines;
}

void write_journal(const std::string& path, const std::vector<json>& lines) {
    std::string text;
    for (const json& line : lines) text += line.dump() + "\n";
    write_text(path, text);
}

// Moves a file as a renamer does, recorded in `batch`.
void recorded_move(JournalBatch& batch, const std::string& from, const std::string& to,
                   FileRole role = FileRole::recording) {
    const MoveIntent intent{.role = role, .from = from, .to = to};
    const Status recorded = batch.before_move(intent);
    ASSERT_TRUE(recorded) << recorded.error().message;
    fs::rename(from, to);
    batch.after_move(intent, true, "");
}

TEST(CliUndo, RotationKeepsEveryLineOfARunningBatch) {
    CliScratch scratch;
    const std::string config = scratch.file("config");
    const std::string dir = scratch.file("rec");
    fs::create_directories(dir);
    // A journal rotated every 32 KiB instead of every 8 MiB.
    JournalOptions small;
    small.rotateBytes = 32 << 10;
    auto begun = JournalBatch::begin(config, kFrontEndCli, {}, small);
    ASSERT_TRUE(begun) << begun.error().message;
    const std::unique_ptr<JournalBatch>& running = *begun;
    constexpr int kLongMoves = 40;
    constexpr int kOthersPerMove = 10;
    // Hundreds of batches of one process within a second: no two share an id.
    std::set<std::string> ids{running->id()};
    for (int i = 0; i < kLongMoves; ++i) {
        const std::string name = dir + "/long" + std::to_string(i) + ".ts";
        std::ofstream(name) << "recording " << i;
        recorded_move(*running, name, dir + "/renamed" + std::to_string(i) + ".ts");
        // Meanwhile other renamers start and end batches of their own.
        for (int other = 0; other < kOthersPerMove; ++other) {
            const std::string path =
                dir + "/other" + std::to_string(i * kOthersPerMove + other) + ".ts";
            std::ofstream(path) << "another";
            auto batch = JournalBatch::begin(config, kFrontEndCli, {}, small);
            ASSERT_TRUE(batch) << batch.error().message;
            EXPECT_TRUE(ids.insert((*batch)->id()).second) << (*batch)->id();
            recorded_move(**batch, path, path + ".moved.ts");
            ASSERT_TRUE((*batch)->finish());
        }
    }
    ASSERT_TRUE(running->finish());

    const std::vector<json> history = json_lines(scratch.run({"history", "--json", "-n", "1000"}));
    // The journal did rotate, more than once: most other batches are gone.
    EXPECT_LT(history.size(), static_cast<std::size_t>(kLongMoves * kOthersPerMove / 2));
    const auto found = std::find_if(history.begin(), history.end(), [&](const json& batch) {
        return batch["batch"] == running->id();
    });
    ASSERT_NE(found, history.end());
    EXPECT_EQ((*found)["files"], kLongMoves);
    EXPECT_EQ((*found)["complete"], true);
    EXPECT_EQ((*found)["folder"], dir);
    const CliRun undone = scratch.run({"undo", running->id()});
    EXPECT_EQ(undone.exitCode, 0) << undone.output << undone.errors;
    for (int i = 0; i < kLongMoves; ++i)
        EXPECT_TRUE(fs::exists(dir + "/long" + std::to_string(i) + ".ts")) << i;
}

TEST_F(CliUndoRenamed, AJournalOverSixtyFourMebibytesIsReadWhole) {
    // A batch so long that 68 MB of other processes' lines came between its
    // start and its moves: start lines of almost 1 MiB each.
    const std::string journal = scratch.file("config/journal.jsonl");
    const std::vector<std::string> lines = lines_of(read_all(journal));
    {
        std::ofstream out(journal, std::ios::binary | std::ios::trunc);
        out << lines.front() << "\n";
        const std::string folder = "/" + std::string(1'000'000, 'a');
        for (int i = 0; i < 68; ++i) {
            const std::string id = "1700000000-1-" + std::to_string(1000 + i);
            out << json{{"type", "batch"},
                        {"batch", id},
                        {"time", 1700000000},
                        {"frontEnd", "cli"},
                        {"folder", folder}}
                       .dump()
                << "\n"
                << json{{"type", "end"}, {"batch", id}, {"time", 1700000000}}.dump() << "\n";
        }
        for (std::size_t i = 1; i < lines.size(); ++i) out << lines[i] << "\n";
    }
    ASSERT_GT(fs::file_size(journal), std::uintmax_t{64} << 20);
    const CliRun undone = scratch.run({"undo", "--last"});
    EXPECT_EQ(undone.exitCode, 0) << undone.errors;
    EXPECT_EQ(listing(dir), before);
}

// Two recordings with companions in `dir`, the first of them renamed: their
// old paths.
std::vector<std::string> first_of_two_renamed(const CliScratch& scratch, const std::string& dir) {
    scratch.write_settings(kByNameWithCompanionsAndDates);
    write_recordings(dir, 2);
    const std::vector<std::string> recordings = recordings_in(dir);
    EXPECT_EQ(scratch.run({"rename", recordings[0]}).exitCode, 0);
    return recordings;
}

TEST(CliUndo, AJournalOrLockOfAnotherUserOrWritableByOthersIsRefused) {
    CliScratch scratch;
    const std::string dir = scratch.file("rec");
    const std::vector<std::string> recordings = first_of_two_renamed(scratch, dir);
    const Listing renamed = listing(dir);
    const std::string journal = scratch.file("config/journal.jsonl");
    const std::string lock = journal + ".lock";
    const std::string settings_lock = scratch.file("config/kalvento.ini.lock");
    for (const std::string& file : {journal, lock}) {
        struct stat info {};
        ASSERT_EQ(::stat(file.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0077, 0u) << file;
    }

    // Whoever can write the journal could steer an undo: it is not read,
    // not written, and the command names it.
    const auto expect_refused = [&](const std::string& file, const std::string& why) {
        const CliRun undo = scratch.run({"undo", "--last"});
        EXPECT_EQ(undo.exitCode, 1) << why;
        EXPECT_NE(undo.errors.find(file), std::string::npos) << why << ": " << undo.errors;
        if (file == journal) {
            const CliRun history = scratch.run({"history"});
            EXPECT_EQ(history.exitCode, 1) << why;
            EXPECT_NE(history.errors.find(file), std::string::npos)
                << why << ": " << history.errors;
        }
        const CliRun rename = scratch.run({"rename", "--json", recordings[1]});
        EXPECT_EQ(rename.exitCode, 1) << why;
        EXPECT_EQ(only_line(rename)["status"], "notRecorded") << why;
        EXPECT_EQ(listing(dir), renamed) << why;
    };
    ASSERT_EQ(::chmod(journal.c_str(), 0666), 0);
    expect_refused(journal, "journal writable by others");
    ASSERT_EQ(::chmod(journal.c_str(), 0600), 0);
    // A lock file of the user's own holds nothing to trust: one that others
    // may write to (as a umask of 002 made it) is made private.
    ASSERT_EQ(scratch.run({"config", "set", "FileDate", "0"}).exitCode, 0);
    ASSERT_EQ(::chmod(settings_lock.c_str(), 0666), 0);
    EXPECT_EQ(scratch.run({"config", "set", "FileDate", "1"}).exitCode, 0);
    struct stat info {};
    ASSERT_EQ(::stat(settings_lock.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    if (::geteuid() == 0) {  // only root can give a file away (the suite runs as root in CI)
        ASSERT_EQ(::chown(journal.c_str(), 65534, 65534), 0);
        expect_refused(journal, "journal of another user");
        ASSERT_EQ(::chown(journal.c_str(), 0, 0), 0);
        ASSERT_EQ(::chown(lock.c_str(), 65534, 65534), 0);
        expect_refused(lock, "lock of another user");
        ASSERT_EQ(::chown(lock.c_str(), 0, 0), 0);
        ASSERT_EQ(::chown(settings_lock.c_str(), 65534, 65534), 0);
        const CliRun set = scratch.run({"config", "set", "FileDate", "0"});
        EXPECT_EQ(set.exitCode, 1);
        EXPECT_NE(set.errors.find(settings_lock + " belongs to another user"), std::string::npos)
            << set.errors;
    }
    EXPECT_EQ(scratch.run({"undo", "--last"}).exitCode, 0);
    EXPECT_TRUE(fs::exists(recordings[0]));
}

TEST(CliUndo, LockWaitsSayWhoHoldsTheLockAndGiveUp) {
    CliScratch scratch;
    const std::string dir = scratch.file("rec");
    const std::vector<std::string> recordings = first_of_two_renamed(scratch, dir);
    const Listing before = listing(dir);
    const std::string ini = read_all(scratch.file("config/kalvento.ini"));
    // This test process holds both locks, as a renamer stopped with Ctrl-Z would.
    std::string error;
    const auto settings_lock = FileLock::acquire(scratch.file("config/kalvento.ini.lock"), error);
    ASSERT_TRUE(settings_lock) << error;
    const auto journal_lock = FileLock::acquire(scratch.file("config/journal.jsonl.lock"), error);
    ASSERT_TRUE(journal_lock) << error;
    const std::string holder = "held by process " + std::to_string(::getpid());

    const auto expect_gives_up = [&](const Args& arguments) {
        const auto start = std::chrono::steady_clock::now();
        const CliRun run = scratch.run(concat(arguments, {"--lock-timeout", "1.5"}));
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(run.exitCode, 75) << arguments[0] << run.output << run.errors;
        EXPECT_NE(run.errors.find("kalvento-cli: waiting for the lock on "), std::string::npos)
            << run.errors;
        EXPECT_NE(run.errors.find(holder + " (giving up after 1.5 s)"), std::string::npos)
            << run.errors;
        EXPECT_NE((run.errors + run.output).find("gave up after 1.5 s waiting for the lock on "),
                  std::string::npos)
            << run.errors;
        EXPECT_GE(waited, std::chrono::milliseconds(1500));
        EXPECT_LT(waited, std::chrono::seconds(20));
    };
    expect_gives_up({"config", "set", "FileDate", "0"});
    expect_gives_up({"rules", "add", "--find", "ドラマ", "--template", "@TT"});
    expect_gives_up({"undo", "--last"});
    expect_gives_up({"rename", recordings[1]});
    EXPECT_EQ(read_all(scratch.file("config/kalvento.ini")), ini);
    EXPECT_EQ(listing(dir), before);
}

TEST_F(CliUndoRenamed, AFileSystemBackUnderAnotherDeviceNumberIsStillUndone) {
    const std::string journal = scratch.file("config/journal.jsonl");
    std::vector<json> lines = journal_lines(journal);
    bool born = false;
    for (json& line : lines) {
        if (!line.contains("device")) continue;
        born = born || line.contains("bornNs");
        line["device"] = line["device"].get<std::uint64_t>() + 7;  // mounted again elsewhere
    }
    if (!born) GTEST_SKIP() << "this file system keeps no creation times";
    write_journal(journal, lines);
    const CliRun undone = scratch.run({"undo", "--last"});
    EXPECT_EQ(undone.exitCode, 0) << undone.output;
    EXPECT_EQ(listing(dir), before);

    // A journal written before creation times were recorded still undoes
    // while the device agrees.
    ASSERT_EQ(scratch.run(concat({"rename"}, recordings_in(dir))).exitCode, 0);
    lines = journal_lines(journal);
    for (json& line : lines) line.erase("bornNs");
    write_journal(journal, lines);
    EXPECT_EQ(scratch.run({"undo", "--last"}).exitCode, 0);
    EXPECT_EQ(listing(dir), before);
}

TEST_F(CliUndoRenamed, AnInterruptedUndoIsFinishedNotTakenBack) {
    const std::string renamed_id = batches(scratch)[0]["batch"];
    // An undo killed after its first recording (朝の番組, rec0) and that
    // one's companions.
    std::string morning;
    for (const std::string& path : recordings_in(dir))
        if (path.find("朝の番組") != std::string::npos) morning = path;
    ASSERT_FALSE(morning.empty());
    const pid_t child = ::fork();
    if (child == 0) {
        auto begun = JournalBatch::begin(scratch.file("config"), kFrontEndUndo, renamed_id);
        if (!begun) ::_exit(1);
        const std::unique_ptr<JournalBatch>& undo = *begun;
        const std::string old_name = dir + "/rec0.ts";
        recorded_move(*undo, morning, old_name);
        recorded_move(*undo, morning + ".txt", old_name + ".txt", FileRole::companion);
        recorded_move(*undo, morning + ".log", old_name + ".log", FileRole::companion);
        ::_exit(fs::exists(old_name + ".log") ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    std::vector<json> history = batches(scratch);
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[1]["partlyUndone"], true);

    const CliRun finished = scratch.run({"undo", "--last", "--json"});
    EXPECT_EQ(finished.exitCode, 0) << finished.output << finished.errors;
    EXPECT_EQ(listing(dir), before);
    for (const json& line : json_lines(finished)) EXPECT_EQ(line["batch"], renamed_id);
    history = batches(scratch);
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[0]["undoOf"], renamed_id);
    EXPECT_EQ(history[2]["undoneBy"], history[0]["batch"]);
    EXPECT_EQ(history[2]["partlyUndone"], false);
}

TEST(CliUndo, NoEmptyBatchesAndALaterRenameIsNamed) {
    CliScratch scratch;
    scratch.write_settings(concat(kNameAndDate, {"WildRename=1"}));
    const std::string dir = scratch.file("rec");
    write_recordings(dir, 2);
    ASSERT_EQ(scratch.run(concat({"rename"}, recordings_in(dir))).exitCode, 0);
    // Running again changes nothing, and leaves nothing in the journal.
    ASSERT_EQ(scratch.run(concat({"rename"}, recordings_in(dir))).exitCode, 0);
    std::vector<json> history = batches(scratch);
    ASSERT_EQ(history.size(), 1u);
    const std::string first = history[0]["batch"];

    // One recording is renamed again by a later batch.
    const std::string moved_on = recordings_in(dir)[0];
    ASSERT_EQ(scratch.run({"rename", "--template", "改名@TT", moved_on}).exitCode, 0);
    history = batches(scratch);
    ASSERT_EQ(history.size(), 2u);
    const std::string second = history[0]["batch"];
    // A batch is named by the start of its id, when only its own id starts so.
    std::size_t common = 0;
    while (common < first.size() && first[common] == second[common]) ++common;
    ASSERT_GT(common, 0u);
    const CliRun ambiguous = scratch.run({"undo", first.substr(0, common), "--dry-run"});
    expect_usage_error(ambiguous, "a prefix of both ids");
    EXPECT_NE(ambiguous.errors.find(first), std::string::npos) << ambiguous.errors;
    EXPECT_NE(ambiguous.errors.find(second), std::string::npos) << ambiguous.errors;
    std::map<std::string, int> statuses;
    const CliRun undone = scratch.run({"undo", first.substr(0, common + 1), "--json"});
    EXPECT_EQ(undone.exitCode, 1);
    for (const json& line : json_lines(undone)) {
        ++statuses[line["status"]];
        if (line["status"] == "renamedLater") {
            EXPECT_EQ(line["laterBatch"], second) << line;
        }
    }
    EXPECT_EQ(statuses["renamedLater"], 3);  // the recording and its companions
    EXPECT_EQ(statuses["movedBack"], 3);
    const CliRun text = scratch.run({"undo", first});
    EXPECT_NE(text.output.find("renamed again by batch " + second), std::string::npos)
        << text.output;
    // Taken back in turn, the first batch goes back whole.
    EXPECT_EQ(scratch.run({"undo", second}).exitCode, 0);
    EXPECT_EQ(scratch.run({"undo", first}).exitCode, 0);
    EXPECT_EQ(recordings_in(dir).size(), 2u);
    EXPECT_TRUE(fs::exists(dir + "/rec0.ts.txt") && fs::exists(dir + "/rec1.ts.log"));
}

TEST(CliUndo, ASymbolicLinkRecordingIsTakenBackWithoutAFalseFailure) {
    CliScratch scratch;
    scratch.write_settings(kByNameWithCompanionsAndDates);
    const std::string store = scratch.file("store");
    write_recordings(store, 1);
    const std::string dir = scratch.file("rec");
    fs::create_directories(dir);
    fs::create_symlink(store + "/rec0.ts", dir + "/rec0.ts");
    std::ofstream(dir + "/rec0.ts.txt") << "programme text";
    const Listing before = listing(dir);
    const CliRun renamed = scratch.run({"rename", "--json", dir + "/rec0.ts"});
    ASSERT_EQ(only_line(renamed)["status"], "renamed") << renamed.output;
    const CliRun undone = scratch.run({"undo", "--last"});
    EXPECT_EQ(undone.exitCode, 0) << undone.output;
    EXPECT_TRUE(fs::is_symlink(dir + "/rec0.ts"));
    EXPECT_EQ(listing(dir), before);
}

// The Japan time "YYYY-MM-DD HH:MM:SS" of an instant, worked out here.
std::string japan_text(std::time_t when) {
    const std::time_t shifted = when + 9 * 3600;
    std::tm fields{};
    gmtime_r(&shifted, &fields);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &fields);
    return text;
}

TEST(CliUndo, ANightIsTakenBackSinceATimeFolderByFolder) {
    CliScratch scratch;
    scratch.write_settings(concat(kNameAndDate, {"WildRename=1"}));
    const std::string evening = scratch.file("evening");
    const std::string night1 = scratch.file("night1");
    const std::string night2 = scratch.file("night2");
    write_recordings(evening, 1);
    write_recordings(night1, 2);
    write_recordings(night2, 2);
    const Listing night1_before = listing(night1);
    const Listing night2_before = listing(night2);
    ASSERT_EQ(scratch.run(concat({"rename"}, recordings_in(evening))).exitCode, 0);
    const Listing evening_renamed = listing(evening);
    // The night starts in the second after the evening's batch.
    const std::int64_t evening_time = batches(scratch)[0]["time"];
    while (std::time(nullptr) <= evening_time)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::string since = japan_text(static_cast<std::time_t>(evening_time + 1));
    ASSERT_EQ(scratch.run(concat({"rename"}, recordings_in(night1))).exitCode, 0);
    ASSERT_EQ(scratch.run(concat({"rename"}, recordings_in(night2))).exitCode, 0);
    const std::vector<json> night = batches(scratch);
    ASSERT_EQ(night.size(), 3u);

    // --folder keeps to the batches whose files went there: --last too.
    for (const json& line :
         json_lines(scratch.run({"undo", "--last", "--folder", night1, "--dry-run", "--json"})))
        EXPECT_EQ(line["batch"], night[1]["batch"]) << line;
    const CliRun second_only = scratch.run({"undo", "--since", since, "--folder", night2, "--json"},
                                           "TZ=America/New_York");
    EXPECT_EQ(second_only.exitCode, 0) << second_only.output << second_only.errors;
    EXPECT_EQ(listing(night2), night2_before);
    EXPECT_NE(listing(night1), night1_before);

    // Without it every batch of the night that is not undone yet goes back,
    // each as its own undo; the undo of night2 is passed over, and so is the
    // evening. The T form of the time works as well.
    std::string t_form = since;
    t_form[10] = 'T';
    const CliRun rest = scratch.run({"undo", "--since", t_form}, "TZ=America/New_York");
    EXPECT_EQ(rest.exitCode, 0) << rest.output << rest.errors;
    EXPECT_EQ(lines_of(rest.output).front(),
              "taking back batch " + night[1]["batch"].get<std::string>())
        << rest.output;
    EXPECT_EQ(listing(night1), night1_before);
    EXPECT_EQ(listing(night2), night2_before);
    EXPECT_EQ(listing(evening), evening_renamed);
    const std::vector<json> after = batches(scratch);
    ASSERT_EQ(after.size(), 5u);
    EXPECT_EQ(after[0]["undoOf"], night[1]["batch"]);
    EXPECT_EQ(after[1]["undoOf"], night[0]["batch"]);
    const CliRun nothing = scratch.run({"undo", "--since", since});
    EXPECT_EQ(nothing.exitCode, 0);
    EXPECT_TRUE(nothing.output.empty()) << nothing.output;
    expect_usage_error(scratch.run({"undo", "--since", "yesterday"}), "a time without a date");
}

}  // namespace
}  // namespace kalvento::test
