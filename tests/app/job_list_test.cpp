#include "app/job_list.h"

#include "platform/codepage.h"
#include "tests/app/temp_dir.h"
#include "tests/support/small_recording.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kalvento {
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
std::string noise_file(const test::TempDir& dir, const std::string& name) {
    std::ofstream(dir.file(name), std::ios::binary) << "not a recording " << name;
    return dir.file(name);
}

std::string drama(const test::TempDir& dir, const std::string& name, std::string_view title,
                  std::uint32_t seed = 1) {
    EXPECT_TRUE(test::write_small_recording(dir.file(name), {.eventName = title, .seed = seed}));
    return dir.file(name);
}

// The rows' selection marks.
template <typename Row>
std::vector<bool> marks(const std::vector<Row>& rows) {
    std::vector<bool> out;
    for (const Row& row : rows) out.push_back(row.selected);
    return out;
}

// A job list naming files by programme name only.
struct Jobs {
    Jobs() { list.set_naming(by_name()); }
    test::TempDir dir;
    ChannelNameMap channels;
    JobList list{channels};
};

std::int64_t write_time(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::int64_t>(info.st_mtim.tv_sec) : -1;
}

TEST(JobList, AddingDuplicatesCancelAndBusyGuard) {
    Jobs fixture;
    const test::TempDir& dir = fixture.dir;
    JobList& jobs = fixture.list;
    const std::string path = drama(dir, "rec.ts", "夜のドラマ");

    const AddResult added = jobs.add_recording(path);
    ASSERT_EQ(added.outcome, AddOutcome::added);
    EXPECT_EQ(added.unitSize, 188);
    EXPECT_EQ(added.row.columns[kColumnNewName], cp932("夜のドラマ.ts"));
    EXPECT_EQ(jobs.add_recording(path).outcome, AddOutcome::alreadyPresent);
    // A different spelling of the same file is a different path, byte for byte.
    EXPECT_EQ(jobs.add_recording(dir.path() + "/./rec.ts").outcome, AddOutcome::added);
    EXPECT_EQ(jobs.entries().size(), 2u);

    // While an analysis runs, every command that changes the list is refused.
    const std::string other = noise_file(dir, "other.ts");
    bool checked = false;
    const AddResult cancelled = jobs.add_recording(other, [&](std::int64_t, std::int64_t) {
        EXPECT_TRUE(jobs.busy());
        EXPECT_EQ(jobs.add_recording(path).outcome, AddOutcome::busy);
        EXPECT_FALSE(jobs.rebuild().has_value());
        EXPECT_FALSE(jobs.remove_selected_rows().has_value());
        EXPECT_FALSE(jobs.convert_selected({}).has_value());
        EXPECT_FALSE(jobs.compose_row(0).has_value());
        checked = true;
        return false;
    });
    EXPECT_TRUE(checked);
    EXPECT_EQ(cancelled.outcome, AddOutcome::cancelled);
    EXPECT_FALSE(jobs.busy());
    EXPECT_EQ(jobs.entries().size(), 2u);
    EXPECT_EQ(jobs.rows().size(), 2u);
}

TEST(JobList, RemovingRowsRenumbersTheEntries) {
    Jobs fixture;
    const test::TempDir& dir = fixture.dir;
    JobList& jobs = fixture.list;
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(jobs.add_recording(noise_file(dir, "f" + std::to_string(i))).outcome,
                  AddOutcome::added);

    // Row 2 shows entry 2; afterwards the rows of entries 3 and 4 carry 2 and 3.
    jobs.set_row_selected(2, true);
    EXPECT_EQ(jobs.remove_selected_rows(), 1u);
    ASSERT_EQ(jobs.rows().size(), 4u);
    EXPECT_EQ(jobs.rows()[2].entry, 2u);
    EXPECT_EQ(jobs.rows()[3].entry, 3u);
    EXPECT_EQ(jobs.compose_row(3)->columns[kColumnCurrentName], "f4");
    EXPECT_EQ(jobs.row_trace()[3], "3,3," + cp932(dir.file("f4")) + "\r\n");

    // Sorted rows: remove the rows showing entries 0 and 2 (f0 and f3).
    ASSERT_TRUE(jobs.reorder_rows({3, 2, 1, 0}));
    EXPECT_FALSE(jobs.reorder_rows({0, 0, 1, 2}));
    jobs.set_row_selected(1, true);  // entry 2
    jobs.set_row_selected(3, true);  // entry 0
    EXPECT_EQ(jobs.remove_selected_rows(), 2u);
    ASSERT_EQ(jobs.rows().size(), 2u);
    EXPECT_EQ(jobs.rows()[0].entry, 1u);
    EXPECT_EQ(jobs.rows()[1].entry, 0u);
    EXPECT_EQ(jobs.compose_row(0)->columns[kColumnCurrentName], "f4");
    EXPECT_EQ(jobs.compose_row(1)->columns[kColumnCurrentName], "f1");
}

TEST(JobList, ConversionSelectsExactlyTheMovedRows) {
    Jobs fixture;
    const test::TempDir& dir = fixture.dir;
    JobList& jobs = fixture.list;
    jobs.add_recording(drama(dir, "a.ts", "同じ名前", 1));
    jobs.add_recording(noise_file(dir, "b.ts"));
    jobs.add_recording(drama(dir, "c.ts", "同じ名前", 2));
    jobs.add_recording(drama(dir, "d.ts", "別の名前", 3));
    jobs.set_row_selected(0, true);
    jobs.set_row_selected(1, true);
    jobs.set_row_selected(2, true);

    const auto report = jobs.convert_selected({});
    ASSERT_TRUE(report.has_value());
    ASSERT_EQ(report->converted.size(), 3u);
    EXPECT_EQ(report->converted[1].result.status, ConvertStatus::noProgrammeData);
    ASSERT_EQ(report->rows.size(), 4u);
    EXPECT_EQ(marks(report->rows), (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(marks(jobs.rows()), marks(report->rows));
    EXPECT_EQ(report->rows[2].columns[kColumnCurrentName], cp932("同じ名前(1).ts"));
    for (const char* name : {"同じ名前.ts", "同じ名前(1).ts", "d.ts"})
        EXPECT_TRUE(fs::exists(dir.file(name))) << name;

    // Converted again (only the moved rows are still selected) with FileDate:
    // "同じ名前.ts" stays, "(1)" moves on to "(2)", and both are dated.
    const auto again = jobs.convert_selected({.fileDate = true});
    ASSERT_TRUE(again.has_value());
    ASSERT_EQ(again->converted.size(), 2u);
    EXPECT_EQ(again->converted[0].result.status, ConvertStatus::alreadyNamed);
    EXPECT_EQ(again->converted[1].entry, 2u);
    EXPECT_EQ(again->converted[1].result.toPath, dir.file("同じ名前(2).ts"));
    EXPECT_EQ(marks(again->rows), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(write_time(dir.file("同じ名前.ts")), 1712491200);
    EXPECT_EQ(write_time(dir.file("同じ名前(2).ts")), 1712491200);

    // Rebuilding clears the converted flags.
    EXPECT_FALSE(jobs.rebuild()->at(2).selected);
}

}  // namespace
}  // namespace kalvento
