// The sample recordings of kalvento-write-samples, analysed with the default
// window (from 30 per cent, 50 MB): services, snapshots and video counts.
#include "tests/support/sample_recordings.h"
#include "tests/support/arib_encoder.h"
#include "tests/ts/ts_test_util.h"

#include <gtest/gtest.h>

namespace kalvento::test {
namespace {

// Writes the recording and analyses it with the default window.
std::unique_ptr<TsAnalyzer> analyse_sample(const TempDir& dir, const RecordingPlan& plan) {
    const std::string path = dir.file("sample.ts");
    EXPECT_TRUE(write_file(path, build_recording(plan)));
    auto analyzer = std::make_unique<TsAnalyzer>();
    EXPECT_EQ(run_file(*analyzer, path, AnalysisWindow{}), RunOutcome::done);
    return analyzer;
}

// The count lies within `percent` of `packets`, less the packets before the
// first tables inside the window.
void expect_share(std::uint32_t count, double packets, int percent, const RecordingPlan& plan) {
    const double expected = packets * percent / 100.0;
    EXPECT_LE(count, expected + 2);
    EXPECT_GE(count, expected - static_cast<double>(plan.tableInterval) * 2);
}

TEST(SampleRecordings, ServicesAndVideoShares) {
    TempDir dir;
    const struct {
        RecordingPlan plan;
        int unit;
        std::vector<int> serviceIds, shares;
        int networkKind;
    } samples[] = {
        {sample_terrestrial_two_services(), 188, {1024, 1025}, {60, 25}, 0},
        {sample_bs_service_101(), 188, {101}, {90}, 4},
        {sample_partial_ts_sit(), 192, {103}, {94}, 4},
    };
    std::vector<std::unique_ptr<TsAnalyzer>> analysed;
    for (const auto& sample : samples) {
        SCOPED_TRACE(sample.serviceIds[0]);
        const auto& analyzer = analysed.emplace_back(analyse_sample(dir, sample.plan));
        EXPECT_EQ(analyzer->unitSize(), sample.unit);
        ASSERT_EQ(analyzer->services().size(), sample.serviceIds.size());
        ASSERT_EQ(analyzer->snapshots().size(), 1u);
        const auto& programs = analyzer->snapshots()[0].programs;
        ASSERT_EQ(programs.size(), sample.shares.size());
        for (std::size_t i = 0; i < programs.size(); ++i) {
            EXPECT_EQ(analyzer->services()[i].serviceId, sample.serviceIds[i]);
            EXPECT_EQ(analyzer->services()[i].networkKind, sample.networkKind);
            expect_share(programs[i].videoPackets, 0.7 * static_cast<double>(sample.plan.packets),
                         sample.shares[i], sample.plan);
        }
    }
    for (const ServiceRecord& record : analysed[0]->services())
        EXPECT_FALSE(record.presentEventSection.empty());
    // The partial stream has only its SIT.
    const ServiceRecord& record = analysed[2]->services()[0];
    EXPECT_EQ(record.serviceName, arib_encode("ＢＳカルヴェント３"));
    EXPECT_TRUE(record.presentEventSection.empty());
    EXPECT_EQ(record.sitEvent.start, mjd_time(2024, 4, 4, 20, 0));
    EXPECT_EQ(record.sitEvent.duration, bcd_duration(2, 0));
    EXPECT_TRUE(analysed[2]->snapshots()[0].programs.at(0).sitEvent.present());
}

TEST(SampleRecordings, ProgrammeChangeAtFortyPerCent) {
    TempDir dir;
    const RecordingPlan plan = sample_programme_change();
    const auto analyzer = analyse_sample(dir, plan);
    ASSERT_EQ(analyzer->snapshots().size(), 2u);
    const ProgramEntry& before = analyzer->snapshots()[0].programs.at(0);
    const ProgramEntry& after = analyzer->snapshots()[1].programs.at(0);
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

}  // namespace
}  // namespace kalvento::test
