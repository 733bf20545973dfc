#include "app/job_list.h"

#include "app/conversion.h"
#include "app/status_words.h"
#include "app/undo.h"

#include "platform/codepage.h"
#include "tests/support/small_recording.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace kalvento::test {
namespace {

namespace fs = std::filesystem;

NamingSettings by_name() {
    NamingSettings settings;
    settings.items = {1, 0, 0, 0};
    settings.separators = {"", "", "", "", ""};
    settings.ombrixRename = false;
    return settings;
}

// A file without packets: its entry gets the no-data candidate.
std::string noise_file(const TempDir& dir, const std::string& name) {
    std::ofstream(dir.file(name), std::ios::binary) << "not a recording " << name;
    return dir.file(name);
}

std::string drama(const TempDir& dir, const std::string& name, std::string_view title,
                  std::uint32_t seed = 1) {
    EXPECT_TRUE(write_small_recording(dir.file(name), {.eventName = title, .seed = seed}));
    return dir.file(name);
}

// A job list naming files by programme name only.
struct Jobs {
    Jobs() { list.set_naming(by_name()); }

    // Analyses and adds a recording as the front ends do.
    AddResult add(const std::string& path) {
        return list.add_analysed(path, analyse_recording(path, AnalysisWindow{}, channels));
    }
    std::string current_name(EntryId id) const { return list.find(id)->currentName; }

    TempDir dir;
    ChannelNameMap channels;
    JobList list;
};

std::int64_t write_time(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::int64_t>(info.st_mtim.tv_sec) : -1;
}

TEST(JobList, AddingDuplicatesAndStops) {
    Jobs jobs;
    const std::string path = drama(jobs.dir, "rec.ts", "夜のドラマ");

    const AddResult added = jobs.add(path);
    ASSERT_EQ(added.outcome, AddOutcome::added);
    EXPECT_EQ(jobs.list.find(added.id)->newName, cp932("夜のドラマ.ts"));
    const AddResult again = jobs.list.add_analysed(path, AnalysisResult{});
    EXPECT_EQ(again.outcome, AddOutcome::alreadyPresent);
    EXPECT_EQ(again.id, added.id);
    // A different spelling of the same file is a different path, byte for byte.
    EXPECT_EQ(jobs.add(jobs.dir.path() + "/./rec.ts").outcome, AddOutcome::added);

    // A stopped analysis adds nothing; an unreadable file is added with the
    // no-data candidate.
    AnalysisResult stopped = analyse_recording(path, AnalysisWindow{}, jobs.channels);
    stopped.outcome = AnalysisOutcome::stopped;
    EXPECT_EQ(jobs.list.add_analysed("other.ts", stopped).outcome, AddOutcome::stopped);
    EXPECT_EQ(jobs.list.add_analysed("empty.ts", AnalysisResult{}).outcome, AddOutcome::stopped);
    EXPECT_EQ(jobs.list.size(), 2u);
    EXPECT_EQ(jobs.add(jobs.dir.file("missing.ts")).outcome, AddOutcome::added);
}

TEST(JobList, EntriesKeepTheirIdsWhenOthersAreRemoved) {
    Jobs jobs;
    std::vector<EntryId> ids;
    for (int i = 0; i < 5; ++i)
        ids.push_back(jobs.add(noise_file(jobs.dir, "f" + std::to_string(i))).id);

    EXPECT_EQ(jobs.list.remove({ids[2], 999}), 1u);
    ASSERT_EQ(jobs.list.size(), 4u);
    EXPECT_EQ(jobs.list.find(ids[2]), nullptr);
    EXPECT_EQ(jobs.current_name(ids[3]), "f3");
    EXPECT_TRUE(jobs.list.compose(ids[4]));
    EXPECT_FALSE(jobs.list.compose(ids[2]));
    EXPECT_EQ(jobs.list.remove({ids[0], ids[3]}), 2u);
    EXPECT_EQ(jobs.list.jobs()[0].id, ids[1]);
    EXPECT_EQ(jobs.list.jobs()[1].id, ids[4]);
    // Ids are never reused.
    EXPECT_GT(jobs.add(noise_file(jobs.dir, "f5")).id, ids[4]);
}

TEST(JobList, CandidateChoiceAndProgrammeNameRecompose) {
    Jobs jobs;
    const EntryId id = jobs.add(drama(jobs.dir, "rec.ts", "元の名前")).id;
    EXPECT_TRUE(jobs.list.set_programme_name(id, cp932("直した名前")));
    EXPECT_EQ(jobs.list.find(id)->newName, cp932("直した名前.ts"));
    EXPECT_FALSE(jobs.list.select_candidate(id, 1));  // there is only one
    EXPECT_TRUE(jobs.list.select_candidate(id, 0));

    // A copy composed elsewhere comes back only while the entry is unchanged:
    // not after another composition of it, nor after another copy came back.
    FileEntry copy = *jobs.list.copy(id);
    std::uint64_t composition = jobs.list.composition(id);
    copy.newName = "x.ts";
    EXPECT_TRUE(jobs.list.compose(id));
    EXPECT_FALSE(jobs.list.store_composed(id, copy, composition));
    EXPECT_EQ(jobs.list.find(id)->newName, cp932("直した名前.ts"));
    composition = jobs.list.composition(id);
    copy.decision.ruleNumber = 3;  // why the worker named it travels with the name
    EXPECT_TRUE(jobs.list.store_composed(id, copy, composition));
    EXPECT_EQ(jobs.list.find(id)->newName, "x.ts");
    EXPECT_EQ(jobs.list.find(id)->decision.ruleNumber, 3);
    EXPECT_FALSE(jobs.list.store_composed(id, copy, composition));
    // A copy whose choice lies outside the list leaves no name to set.
    copy.selected = 7;
    EXPECT_TRUE(jobs.list.store_composed(id, copy, jobs.list.composition(id)));
    EXPECT_FALSE(jobs.list.set_programme_name(id, "x"));
    copy.nativePath += ".moved";
    EXPECT_FALSE(jobs.list.store_composed(id, copy, jobs.list.composition(id)));
}

TEST(JobList, ConversionReportsExactlyTheMovedEntries) {
    Jobs jobs;
    const EntryId a = jobs.add(drama(jobs.dir, "a.ts", "同じ名前", 1)).id;
    const EntryId b = jobs.add(noise_file(jobs.dir, "b.ts")).id;
    const EntryId c = jobs.add(drama(jobs.dir, "c.ts", "同じ名前", 2)).id;
    jobs.add(drama(jobs.dir, "d.ts", "別の名前", 3));

    const ListConversion report = jobs.list.convert({a, b, c}, {});
    ASSERT_EQ(report.converted.size(), 3u);
    EXPECT_EQ(report.converted[1].result.status, ConvertStatus::noProgrammeData);
    EXPECT_EQ(report.moved, (std::vector<EntryId>{a, c}));
    EXPECT_EQ(jobs.current_name(c), cp932("同じ名前(1).ts"));
    for (const char* name : {"同じ名前.ts", "同じ名前(1).ts", "d.ts"})
        EXPECT_TRUE(fs::exists(jobs.dir.file(name))) << name;

    // Converted again with FileDate: "同じ名前.ts" stays, "(1)" moves on to
    // "(2)", and both are dated.
    const ListConversion again = jobs.list.convert(report.moved, {.fileDate = true});
    ASSERT_EQ(again.converted.size(), 2u);
    EXPECT_EQ(again.converted[0].result.status, ConvertStatus::alreadyNamed);
    EXPECT_EQ(again.converted[1].id, c);
    EXPECT_EQ(again.converted[1].result.toPath, jobs.dir.file("同じ名前(2).ts"));
    EXPECT_EQ(again.moved, (std::vector<EntryId>{c}));
    EXPECT_EQ(write_time(jobs.dir.file("同じ名前.ts")), 1712491200);
    EXPECT_EQ(write_time(jobs.dir.file("同じ名前(2).ts")), 1712491200);

    // Rebuilding clears the converted flags.
    EXPECT_TRUE(jobs.list.rebuild().empty());
}

TEST(Conversion, NoJournalLineNoMoveAndTheDryRunPlansWhatTheRunDoes) {
    Jobs jobs;
    const EntryId a = jobs.add(drama(jobs.dir, "a.ts", "同じ名前", 1)).id;
    const EntryId b = jobs.add(noise_file(jobs.dir, "b.ts")).id;
    const EntryId c = jobs.add(drama(jobs.dir, "c.ts", "同じ名前", 2)).id;
    std::ofstream(jobs.dir.file("c.ts.txt")) << "companion";
    const auto names = [&] {
        std::vector<std::string> found;
        for (const auto& item : fs::directory_iterator(jobs.dir.path()))
            found.push_back(item.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    };
    const std::vector<std::string> before = names();
    ConversionRequest request;
    request.options.gopRename = true;
    request.dryRun = true;
    request.journalDirectory = jobs.dir.file("b.ts") + "/journal";  // below a file: cannot be made

    const ConversionReport planned = convert_jobs(jobs.list, {a, b, c, 999}, request);
    ASSERT_EQ(planned.files.size(), 3u);
    EXPECT_EQ(planned.files[0].result.status, ConvertStatus::wouldMove);
    EXPECT_EQ(planned.files[1].result.status, ConvertStatus::noProgrammeData);
    EXPECT_EQ(planned.files[2].result.toPath, jobs.dir.file("同じ名前(1).ts"));
    EXPECT_EQ(planned.files[2].result.companions.size(), 1u);
    EXPECT_TRUE(planned.files[2].succeeded());
    EXPECT_FALSE(planned.all_succeeded());

    // Without its journal nothing moves, and every file says why.
    request.dryRun = false;
    const ConversionReport refused = convert_jobs(jobs.list, {a, c}, request);
    ASSERT_TRUE(refused.journalError);
    ASSERT_EQ(refused.files.size(), 2u);
    for (const FileConversion& file : refused.files) {
        EXPECT_EQ(file.result.status, ConvertStatus::notRecorded);
        EXPECT_EQ(file.result.message, refused.journalError->message);
    }
    EXPECT_TRUE(refused.batch.empty());
    EXPECT_EQ(names(), before);

    // With it the run does what the dry run planned, as one batch that can
    // be taken back.
    request.journalDirectory = jobs.dir.file("journal");
    const ConversionReport done = convert_jobs(jobs.list, {a, b, c}, request);
    ASSERT_EQ(done.files.size(), 3u);
    for (const std::size_t i : {0u, 2u}) {
        EXPECT_EQ(done.files[i].result.toPath, planned.files[i].result.toPath) << i;
        EXPECT_EQ(status_word(done.files[i].result.status), "renamed");
    }
    EXPECT_EQ(status_word(done.files[1].result.status), "noProgrammeData");
    EXPECT_TRUE(done.files[2].result.companions.at(0).moved);
    EXPECT_EQ(done.moved, (std::vector<EntryId>{a, c}));
    EXPECT_TRUE(done.changed_files());
    EXPECT_FALSE(done.all_succeeded());
    const UndoReport undone =
        undo_batch(request.journalDirectory, done.batch, false, kFrontEndUndo);
    EXPECT_TRUE(undone.complete());
    EXPECT_EQ(names(), (std::vector<std::string>{"a.ts", "b.ts", "c.ts", "c.ts.txt", "journal"}));
}

// Scripts rely on the words: each status has its own.
TEST(Conversion, EveryStatusHasItsOwnWord) {
    std::set<std::string_view> words;
    for (int i = 0; i <= static_cast<int>(ConvertStatus::wouldMove); ++i)
        words.insert(status_word(static_cast<ConvertStatus>(i)));
    EXPECT_EQ(words.size(), static_cast<std::size_t>(ConvertStatus::wouldMove) + 1);
    std::set<std::string_view> undo_words;
    for (int i = 0; i <= static_cast<int>(UndoStatus::notRecorded); ++i)
        undo_words.insert(status_word(static_cast<UndoStatus>(i)));
    EXPECT_EQ(undo_words.size(), static_cast<std::size_t>(UndoStatus::notRecorded) + 1);
    EXPECT_EQ(words.count(""), 0u);
    EXPECT_EQ(undo_words.count(""), 0u);
}

}  // namespace
}  // namespace kalvento::test
