// The sample recordings of kalvento-write-samples, analysed with the default
// window (from 30 per cent, 50 MB): services, snapshots and video counts.
#include "tests/support/sample_recordings.h"
#include "tests/support/arib_encoder.h"
#include "tests/ts/ts_test_util.h"

#include <gtest/gtest.h>

namespace kalvento::test {
namespace {

struct Analysed {
    std::unique_ptr<TsAnalyzer> analyzer = std::make_unique<TsAnalyzer>();
    double windowPackets = 0;  // packets from 30 per cent to the end
};

Analysed analyse_sample(const ScratchDir& dir, const RecordingPlan& plan, const char* name) {
    const Bytes bytes = build_recording(plan);
    const std::string path = dir.file(name);
    EXPECT_TRUE(write_file(path, bytes));
    Analysed result;
    result.analyzer->run(path);  // default window
    result.windowPackets = 0.7 * static_cast<double>(plan.packets);
    return result;
}

// The count lies within the share of the packets it should have, less the
// packets before the first tables inside the window.
void expect_share(std::uint32_t count, double packets, int percent, const RecordingPlan& plan) {
    const double expected = packets * percent / 100.0;
    EXPECT_LE(count, expected + 2);
    EXPECT_GE(count, expected - static_cast<double>(plan.tableInterval) * 2);
}

TEST(SampleRecordings, TerrestrialTwoServices) {
    ScratchDir dir;
    const RecordingPlan plan = sample_terrestrial_two_services();
    const Analysed result = analyse_sample(dir, plan, "terrestrial.ts");
    const TsAnalyzer& analyzer = *result.analyzer;
    EXPECT_EQ(analyzer.unitSize(), 188);
    ASSERT_EQ(analyzer.services().size(), 2u);
    for (const ServiceRecord& record : analyzer.services()) {
        EXPECT_EQ(record.networkKind, 0);
        EXPECT_EQ(record.remoteControlKeyId, 3);
        EXPECT_EQ(record.tsName, arib_encode("カルヴェントテレビ"));
        EXPECT_FALSE(record.presentEventSection.empty());
    }
    EXPECT_EQ(analyzer.services()[0].serviceId, 1024);
    EXPECT_EQ(analyzer.services()[1].serviceName, arib_encode("カルヴェントテレビ２"));
    ASSERT_EQ(analyzer.snapshots().size(), 1u);
    const auto& programs = analyzer.snapshots()[0].programs;
    ASSERT_EQ(programs.size(), 2u);
    expect_share(programs[0].videoPackets, result.windowPackets, 60, plan);
    expect_share(programs[1].videoPackets, result.windowPackets, 25, plan);
}

TEST(SampleRecordings, BsService) {
    ScratchDir dir;
    const RecordingPlan plan = sample_bs_service_101();
    const Analysed result = analyse_sample(dir, plan, "bs.ts");
    const TsAnalyzer& analyzer = *result.analyzer;
    ASSERT_EQ(analyzer.services().size(), 1u);
    EXPECT_EQ(analyzer.services()[0].serviceId, 101);
    EXPECT_EQ(analyzer.services()[0].networkKind, 4);
    EXPECT_EQ(analyzer.services()[0].transportStreamId, 0x4010);
    EXPECT_EQ(analyzer.services()[0].remoteControlKeyId, 1);
    ASSERT_EQ(analyzer.snapshots().size(), 1u);
    expect_share(analyzer.snapshots()[0].programs.at(0).videoPackets, result.windowPackets, 90,
                 plan);
}

TEST(SampleRecordings, ProgrammeChangeAtFortyPerCent) {
    ScratchDir dir;
    const RecordingPlan plan = sample_programme_change();
    const Analysed result = analyse_sample(dir, plan, "change.ts");
    const TsAnalyzer& analyzer = *result.analyzer;
    ASSERT_EQ(analyzer.snapshots().size(), 2u);
    const ProgramEntry& before = analyzer.snapshots()[0].programs.at(0);
    const ProgramEntry& after = analyzer.snapshots()[1].programs.at(0);
    ASSERT_GT(before.presentEventSection.size(), 16u);
    ASSERT_GT(after.presentEventSection.size(), 16u);
    EXPECT_EQ(before.presentEventSection[14] << 8 | before.presentEventSection[15], 0x1C01);
    EXPECT_EQ(after.presentEventSection[14] << 8 | after.presentEventSection[15], 0x1C02);
    const double packets = static_cast<double>(plan.packets);
    // 30..40 per cent before the change, 40..100 after it (give or take a round of tables).
    expect_share(before.videoPackets, packets * 0.1, 92, plan);
    EXPECT_NEAR(after.videoPackets, packets * 0.6 * 0.92,
                static_cast<double>(plan.tableInterval) * 2);
}

TEST(SampleRecordings, PartialStreamWithSitOnly) {
    ScratchDir dir;
    const RecordingPlan plan = sample_partial_ts_sit();
    const Analysed result = analyse_sample(dir, plan, "partial.ts");
    const TsAnalyzer& analyzer = *result.analyzer;
    EXPECT_EQ(analyzer.unitSize(), 192);
    ASSERT_EQ(analyzer.services().size(), 1u);
    const ServiceRecord& record = analyzer.services()[0];
    EXPECT_EQ(record.serviceId, 103);
    EXPECT_EQ(record.networkKind, 4);
    EXPECT_EQ(record.serviceName, arib_encode("ＢＳカルヴェント３"));
    EXPECT_TRUE(record.presentEventSection.empty());
    EXPECT_EQ(record.sitEvent.start, mjd_time(2024, 4, 4, 20, 0));
    EXPECT_EQ(record.sitEvent.duration, bcd_duration(2, 0));
    ASSERT_EQ(analyzer.snapshots().size(), 1u);
    const ProgramEntry& program = analyzer.snapshots()[0].programs.at(0);
    EXPECT_TRUE(program.sitEvent.present());
    expect_share(program.videoPackets, result.windowPackets, 94, plan);
}

}  // namespace
}  // namespace kalvento::test
