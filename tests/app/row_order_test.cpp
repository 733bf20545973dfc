#include "app/row_order.h"

#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kalvento::test {
namespace {

Job job(EntryId id, std::string current, std::string utf8_programme) {
    Job job;
    job.id = id;
    job.entry.currentName = std::move(current);
    job.entry.newName = job.entry.currentName;
    ProgramInfo info;
    info.eventName = cp932(utf8_programme);
    job.entry.candidates = {info};
    return job;
}

std::vector<EntryId> sorted_ids(std::vector<Job> jobs, int column, bool ascending) {
    std::stable_sort(jobs.begin(), jobs.end(), [&](const Job& a, const Job& b) {
        return compare_job_rows(a, b, column, ascending) < 0;
    });
    std::vector<EntryId> ids;
    for (const Job& j : jobs) ids.push_back(j.id);
    return ids;
}

TEST(RowOrder, TextsCompareAsUnsignedBytesAndTheFlagTurnsTheOrder) {
    // "あ" starts with 0x82, above every ASCII byte; "B" < "a" byte-wise.
    const std::vector<Job> jobs = {job(1, "a.ts", "あ"), job(2, "B.ts", "z"), job(3, "a.ts", "A")};
    EXPECT_EQ(sorted_ids(jobs, kColumnCurrentName, true), (std::vector<EntryId>{2, 1, 3}));
    EXPECT_EQ(sorted_ids(jobs, kColumnCurrentName, false), (std::vector<EntryId>{1, 3, 2}));
    EXPECT_EQ(sorted_ids(jobs, kColumnEventName, true), (std::vector<EntryId>{3, 2, 1}));
    EXPECT_EQ(compare_job_rows(jobs[0], jobs[2], kColumnCurrentName, true), 0);
    EXPECT_EQ(compare_job_rows(jobs[0], jobs[1], kColumnEventName, true), 1);
    EXPECT_EQ(compare_job_rows(jobs[0], jobs[1], kColumnEventName, false), -1);
}

TEST(RowOrder, ProgrammeColumnsUseTheSelectedCandidate) {
    Job a = job(1, "a.ts", "b");
    ProgramInfo other;
    other.eventName = "a";
    other.channelName = "x";
    other.dateMD = "04/07";
    other.timeHM = "21:00";
    a.entry.candidates.push_back(other);
    a.entry.selected = 1;
    Job b = job(2, "b.ts", "a");
    b.entry.candidates[0].channelName = "w";
    b.entry.candidates[0].dateMD = "04/07";
    b.entry.candidates[0].timeHM = "9:00";

    EXPECT_EQ(compare_job_rows(a, b, kColumnEventName, true), 0);
    EXPECT_EQ(compare_job_rows(a, b, kColumnChannel, true), 1);
    // The date column compares "date time" as one text: "21:00" < "9:00".
    EXPECT_EQ(compare_job_rows(a, b, kColumnDate, true), -1);
    for (int column : {kColumnEventText, kColumnAvText, kColumnGenre}) {
        b.entry.candidates[0].eventText = b.entry.candidates[0].avText =
            b.entry.candidates[0].genre = "t";
        EXPECT_EQ(compare_job_rows(a, b, column, true), -1) << column;
    }
    // A selection outside the candidates compares as empty texts.
    a.entry.selected = 7;
    EXPECT_EQ(compare_job_rows(a, b, kColumnChannel, true), -1);
}

TEST(RowOrder, LastColumnIsTheOrderOfAdditionNewestFirstAtStart) {
    const std::vector<Job> jobs = {job(4, "x", ""), job(9, "x", ""), job(2, "x", "")};
    EXPECT_EQ(sorted_ids(jobs, kColumnTitle, false), (std::vector<EntryId>{9, 4, 2}));
    EXPECT_EQ(sorted_ids(jobs, kColumnTitle, true), (std::vector<EntryId>{2, 4, 9}));
    EXPECT_EQ(compare_job_rows(jobs[0], jobs[0], kColumnTitle, false), 0);
}

}  // namespace
}  // namespace kalvento::test
