#include "programme/file_analysis.h"

#include <gtest/gtest.h>

#include <stop_token>

#include "platform/codepage.h"
#include "tests/support/arib_encoder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ts_builder.h"

namespace kalvento::test {
namespace {

constexpr std::uint16_t kPmtPid = 0x1F0;
constexpr std::uint16_t kVideoPid = 0x111;
constexpr std::uint16_t kNetwork = 0x7FE8;  // a terrestrial network: kind 0

Bytes present(std::uint16_t event_id, std::uint8_t version, std::string_view name, int hour) {
    return eit_pf_section(
        {.serviceId = 1024,
         .transportStreamId = 16,
         .originalNetworkId = kNetwork,
         .version = version},
        EitEvent{
            .eventId = event_id,
            .start = mjd_time(2014, 5, 10, hour, 0),
            .duration = bcd_duration(1, 0),
            .descriptors = concat({short_event_descriptor(arib_encode(name), arib_encode("説明")),
                                   component_descriptor(0x01, 0xB3)})});
}

// A terrestrial recording of service 1024 across a programme change: the first
// event for 100 video packets, the second for 300; with `overrun`, a third
// one for the last 100.
Bytes programme_change_stream(bool overrun = false) {
    StreamBuilder stream;
    stream.add_section(0x0000, pat_section(16, 0, {{1024, kPmtPid}}));
    stream.add_section(kPmtPid, pmt_section(1024, 0, kVideoPid, {{0x02, kVideoPid, {}}}));
    stream.add_section(
        0x0011, sdt_section(16, kNetwork, 0,
                            {{1024, service_descriptor(0x01, {}, arib_encode("ミナトテレビ１"))}}));
    stream.add_section(0x0012, present(1, 1, "前の番組", 20));
    stream.add_section(
        0x0010,
        nit_section(
            kNetwork, 0,
            {{16, kNetwork,
              ts_information_descriptor(3, arib_encode("ミナトテレビ"), {{0x0F, {1024}}})}}));
    stream.add_mix(kVideoPid, 200, 50);
    stream.add_section(0x0012, present(2, 2, "次の番組", 21));
    stream.add_mix(kVideoPid, 600, 50);
    if (overrun) {
        stream.add_section(0x0012, present(3, 3, "後の番組", 22));
        stream.add_mix(kVideoPid, 200, 50);
    }
    return stream.take();
}

class FileAnalysis : public ::testing::Test {
  protected:
    std::string write(const std::string& name, const Bytes& bytes) {
        EXPECT_TRUE(write_file(dir.file(name), bytes));
        return dir.file(name);
    }

    TempDir dir;
    const AnalysisWindow whole_file{0, 50};
    const std::string path = write("change.ts", programme_change_stream());
};

TEST_F(FileAnalysis, ReportsProgressWhileReading) {
    int calls = 0;
    const AnalysisResult result = analyse_recording(
        path, whole_file, ChannelNameMap{},
        Progress{.report = [&calls](std::int64_t, std::int64_t) { ++calls; }, .stop = {}});
    EXPECT_GT(calls, 0);
    EXPECT_EQ(result.outcome, AnalysisOutcome::done);
    EXPECT_EQ(result.candidates.size(), 2u);
}

TEST_F(FileAnalysis, CoverageOfTheProgrammeAskedFor) {
    const auto edge = [](const std::optional<ProgrammeAtEdge>& at) {
        return at ? std::to_string(at->serviceId) + "/" + std::to_string(at->eventId) + " " +
                        cp932_to_utf8_lossy(at->eventName)
                  : std::string("none");
    };
    const AnalysisResult change = analyse_recording(path, whole_file, ChannelNameMap{});
    ASSERT_EQ(change.presence.size(), 2u);

    // The later programme fills three quarters of the window and is on air at its end.
    ProgrammeCoverage later = programme_coverage(change.presence, change.candidates, 1024, 2);
    EXPECT_DOUBLE_EQ(later.share.value_or(-1), 0.75);
    EXPECT_EQ(edge(later.atStart), "1024/1 前の番組");
    EXPECT_EQ(edge(later.atEnd), "1024/2 次の番組");
    EXPECT_FALSE(later.doubtful());
    // The earlier one only a quarter: a late start.
    const ProgrammeCoverage earlier =
        programme_coverage(change.presence, change.candidates, 1024, 1);
    EXPECT_DOUBLE_EQ(earlier.share.value_or(-1), 0.25);
    EXPECT_TRUE(earlier.doubtful());

    // Another programme at both ends is doubtful even with most of the window.
    const AnalysisResult overrun = analyse_recording(
        write("overrun.ts", programme_change_stream(true)), whole_file, ChannelNameMap{});
    later = programme_coverage(overrun.presence, overrun.candidates, 1024, 2);
    EXPECT_DOUBLE_EQ(later.share.value_or(-1), 0.6);
    EXPECT_EQ(edge(later.atEnd), "1024/3 後の番組");
    EXPECT_TRUE(later.doubtful());

    // A service the window does not hold: nothing of it, and the edges show
    // what the recording holds instead.
    const ProgrammeCoverage elsewhere =
        programme_coverage(change.presence, change.candidates, 1025, 2);
    EXPECT_EQ(elsewhere.share, 0.0);
    EXPECT_EQ(edge(elsewhere.atStart), "1024/1 前の番組");
    EXPECT_EQ(edge(elsewhere.atEnd), "1024/2 次の番組");
    EXPECT_TRUE(elsewhere.doubtful());
    EXPECT_FALSE(programme_coverage({}, {}, 1024, 2).atStart);
}

TEST_F(FileAnalysis, StopAndNothingFound) {
    std::stop_source stopper;
    stopper.request_stop();
    const AnalysisResult stopped = analyse_recording(
        path, whole_file, ChannelNameMap{}, Progress{.report = {}, .stop = stopper.get_token()});
    EXPECT_EQ(stopped.outcome, AnalysisOutcome::stopped);
    EXPECT_TRUE(stopped.candidates.empty());

    // A missing file, a directory and a file of plain bytes give the no-data
    // candidate and say why.
    const struct {
        std::string path;
        AnalysisOutcome outcome;
        std::string error;
    } cases[] = {
        {dir.file("missing.ts"), AnalysisOutcome::cannotOpen, "No such file or directory"},
        {dir.path(), AnalysisOutcome::cannotOpen, "not a regular file"},
        {write("noise.ts", Bytes(100000, 0x00)), AnalysisOutcome::noPackets, ""},
    };
    for (const auto& c : cases) {
        const AnalysisResult nothing = analyse_recording(c.path, whole_file, ChannelNameMap{});
        EXPECT_EQ(nothing.outcome, c.outcome) << c.path;
        EXPECT_EQ(nothing.error, c.error) << c.path;
        ASSERT_EQ(nothing.candidates.size(), 1u) << c.path;
        EXPECT_EQ(nothing.candidates[0].eventName, cp932("データが有りません"));
        EXPECT_EQ(nothing.candidates[0].startTime, 0);
    }
}

}  // namespace
}  // namespace kalvento::test
