// The sample recordings of kalvento-write-samples, analysed with the default
// window (from 30 per cent, 50 MB): services, snapshots and video counts.
#include "tests/support/sample_recordings.h"
#include "tests/support/arib_encoder.h"
#include "tests/ts/ts_test_util.h"

#include <gtest/gtest.h>

namespace kalvento::test {
namespace {

TEST(SampleRecordings, ServicesSnapshotsAndVideoShares) {
    TempDir dir;
    // Plan, unit size, network kind, services with the share of the packets
    // each shows in the window; the programme change splits its share at 40 %.
    const struct {
        RecordingPlan plan;
        int unit, networkKind;
        std::vector<std::pair<int, double>> shares;
    } samples[] = {
        {sample_terrestrial_two_services(), 188, 0, {{1024, 0.7 * 0.60}, {1025, 0.7 * 0.25}}},
        {sample_bs_service_101(), 188, 4, {{101, 0.7 * 0.90}}},
        {sample_partial_ts_sit(), 192, 4, {{103, 0.7 * 0.94}}},
        {sample_programme_change(), 188, 0, {{1024, 0.1 * 0.92}, {1024, 0.6 * 0.92}}},
    };
    for (const auto& sample : samples) {
        SCOPED_TRACE(sample.shares[0].first);
        const std::string path = dir.file("sample.ts");
        ASSERT_TRUE(write_file(path, build_recording(sample.plan)));
        TsAnalyzer analyzer;
        EXPECT_EQ(run_file(analyzer, path, AnalysisWindow{}), RunOutcome::done);
        EXPECT_EQ(analyzer.unitSize(), sample.unit);
        std::vector<std::pair<int, double>> found;
        for (const Snapshot& snapshot : analyzer.snapshots())
            for (const ProgramEntry& program : snapshot.programs)
                found.emplace_back(program.programNumber, program.videoPackets);
        ASSERT_EQ(found.size(), sample.shares.size());
        for (std::size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].first, sample.shares[i].first);
            // Give or take the packets before the first round of tables.
            EXPECT_NEAR(found[i].second,
                        sample.shares[i].second * static_cast<double>(sample.plan.packets),
                        static_cast<double>(sample.plan.tableInterval) * 2);
        }
        for (const ServiceRecord& record : analyzer.services())
            EXPECT_EQ(record.networkKind, sample.networkKind);
        if (sample.plan.partial) {
            // The partial stream has only its SIT.
            const ServiceRecord& record = analyzer.services()[0];
            EXPECT_EQ(record.serviceName, arib_encode("ＢＳカルヴェント３"));
            EXPECT_TRUE(record.presentEventSection.empty());
            EXPECT_EQ(record.sitEvent.start, mjd_time(2024, 4, 4, 20, 0));
            EXPECT_EQ(record.sitEvent.duration, bcd_duration(2, 0));
            EXPECT_TRUE(analyzer.snapshots()[0].programs.at(0).sitEvent.present());
            continue;
        }
        // The event id of the present event in each snapshot: bytes 14..15 of its section.
        std::vector<int> events, expected;
        for (const Snapshot& snapshot : analyzer.snapshots()) {
            const Bytes& section = snapshot.programs.at(0).presentEventSection;
            ASSERT_GT(section.size(), 16u);
            events.push_back(section[14] << 8 | section[15]);
        }
        for (const RecordingEvent& event : sample.plan.services[0].events)
            expected.push_back(event.eventId);
        EXPECT_EQ(events, expected);
    }
}

}  // namespace
}  // namespace kalvento::test
