// Reading the window of a recording: unit size, alignment, window arithmetic
// and the progress protocol, through TsAnalyzer::run on real files.
#include "tests/ts/ts_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace kalvento::test {
namespace {

constexpr std::uint16_t kPmtPid = 0x01F0;
constexpr std::uint16_t kVideoPid = 0x0100;
using Calls = std::vector<std::pair<std::int64_t, std::int64_t>>;

// One programme with known video PID, then `video` video packets.
StreamBuilder one_programme(int unit, std::size_t video) {
    StreamBuilder builder(unit);
    builder.add_section(0x0000, pat_section(0x7FE1, 0, {{1024, kPmtPid}}));
    builder.add_section(kPmtPid, pmt_section(1024, 0, kVideoPid, {{0x02, kVideoPid}}));
    builder.add_video_packets(kVideoPid, video);
    return builder;
}

std::uint32_t counted_video(const TsAnalyzer& analyzer) {
    if (analyzer.snapshots().size() != 1 || analyzer.snapshots()[0].programs.size() != 1) return 0;
    return analyzer.snapshots()[0].programs[0].videoPackets;
}

TEST(PacketSource, FindsTheUnitSizeAndReadsEveryPacket) {
    TempDir dir;
    // 2000 packets take several 64 KiB reads (carried-over rest and file end);
    // 100 packets are shorter than one read and go whole to the tail pass.
    for (const int unit : {188, 192, 204}) {
        for (const std::size_t video : {2000u, 100u}) {
            SCOPED_TRACE(std::to_string(unit) + " " + std::to_string(video));
            TsAnalyzer analyzer;
            analyse(dir, one_programme(unit, video).bytes(), analyzer);
            EXPECT_EQ(analyzer.unitSize(), unit);
            EXPECT_EQ(counted_video(analyzer), video);
        }
    }
}

TEST(PacketSource, ResynchronisesAfterGarbage) {
    TempDir dir;
    for (const int unit : {188, 204}) {
        SCOPED_TRACE(unit);
        StreamBuilder builder = one_programme(unit, 1000);
        builder.add_garbage(5000);  // a spliced piece of something else
        builder.add_video_packets(kVideoPid, 1000);
        builder.add_garbage(3);
        builder.add_video_packets(kVideoPid, 1000);
        Bytes stream = builder.take();
        // A dropped byte inside one packet of the last run: that packet still
        // counts (its header is whole), the one behind it is lost to the resync.
        stream.erase(stream.end() - 500 * static_cast<std::ptrdiff_t>(unit) + 100);
        TsAnalyzer analyzer;
        analyse(dir, stream, analyzer);
        EXPECT_EQ(analyzer.unitSize(), unit);
        EXPECT_EQ(counted_video(analyzer), 2999u);
    }
}

TEST(PacketSource, FewerThanEightPacketsGiveNoUnitSize) {
    TempDir dir;
    StreamBuilder builder;
    builder.add_section(0x0000, pat_section(1, 0, {{1024, kPmtPid}}));
    builder.add_video_packets(kVideoPid, 6);  // 7 packets: 6 distances
    const std::string path = dir.file("seven.ts");
    ASSERT_TRUE(write_file(path, builder.bytes()));
    TsAnalyzer analyzer;
    EXPECT_EQ(run_file(analyzer, path, {0, 50}), RunOutcome::noPackets);
    EXPECT_EQ(analyzer.unitSize(), 0);
    EXPECT_TRUE(analyzer.snapshots().empty());

    // Nine packets give the eight distances that are needed; packets that cover
    // too little of the buffer are not trusted.
    builder.add_video_packets(kVideoPid, 2);
    Bytes nine = builder.bytes();
    EXPECT_EQ(TsAnalyzer::select_unit_size(nine.data(), nine.data() + nine.size()), 188);
    nine.resize(nine.size() + 400, 0x00);
    EXPECT_EQ(TsAnalyzer::select_unit_size(nine.data(), nine.data() + nine.size()), 0);
}

TEST(PacketSource, WindowFromPercentAndMegabytes) {
    TempDir dir;
    Bytes stream = one_programme(188, 53000).take();
    stream.resize(10'000'000, 0x00);
    const std::string path = dir.file("ten-million.ts");
    ASSERT_TRUE(write_file(path, stream));

    // 1 per cent starts at byte 100,000: the first read ends at 165,536 and the
    // window at 100,000 + 1,048,576. The window starts behind the PAT.
    TsAnalyzer analyzer;
    ProgressLog log;
    run_file(analyzer, path, {1, 1}, &log);
    ASSERT_GE(log.calls.size(), 3u);
    EXPECT_EQ(log.calls[0], (Calls::value_type{0, 1148}));
    EXPECT_EQ(log.calls[1], (Calls::value_type{165, 1148}));
    EXPECT_EQ(log.calls.back(), (Calls::value_type{1148, 1148}));
    for (std::size_t i = 1; i < log.calls.size(); ++i) {
        EXPECT_GE(log.calls[i].first, log.calls[i - 1].first);
        EXPECT_EQ(log.calls[i].second, 1148);
    }
    EXPECT_EQ(analyzer.unitSize(), 188);
    EXPECT_TRUE(analyzer.snapshots().empty());

    // 100 per cent starts at the end: nothing to read, no unit size.
    TsAnalyzer at_end;
    ProgressLog end_log;
    EXPECT_EQ(run_file(at_end, path, {100, 50}, &end_log), RunOutcome::noPackets);
    EXPECT_EQ(end_log.calls, (Calls{{0, 10000}, {10000, 10000}}));

    // The window end is computed in 64 bits: 4,096 MB reaches the file's end,
    // and an empty window analyses only the first buffer (whole packets minus
    // PAT and PMT).
    TsAnalyzer huge;
    EXPECT_EQ(run_file(huge, path, {0, 4096}), RunOutcome::done);
    EXPECT_EQ(counted_video(huge), 53000u);
    TsAnalyzer empty;
    run_file(empty, path, {0, 0});
    EXPECT_EQ(counted_video(empty), 65536u / 188 - 2);
}

TEST(PacketSource, WindowPastTheEndStopsAtTheFileEnd) {
    TempDir dir;
    StreamBuilder builder = one_programme(192, 3000);
    const std::string path = dir.file("short.ts");
    ASSERT_TRUE(write_file(path, builder.bytes()));
    const auto end_k = static_cast<std::int64_t>(builder.bytes().size()) / 1000;
    TsAnalyzer analyzer;
    ProgressLog log;
    run_file(analyzer, path, {0, 500}, &log);
    EXPECT_EQ(log.calls.front(), (Calls::value_type{0, end_k}));
    EXPECT_EQ(log.calls.back(), (Calls::value_type{end_k, end_k}));
    EXPECT_EQ(counted_video(analyzer), 3000u);  // the last read of the file is analysed too
}

TEST(PacketSource, StopRequestEndsTheReadAndTheLastReportStillComes) {
    TempDir dir;
    const StreamBuilder builder = one_programme(188, 5000);
    const auto end_k = static_cast<std::int64_t>(builder.bytes().size()) / 1000;
    // Stop at the call after the unit size was found (no packet handled), or at
    // the third read (not analysed: two buffers' worth counted).
    const struct {
        std::size_t stopAt, stopCall;
        std::int64_t stopPosition;
        std::uint32_t video;
    } cases[] = {{2, 1, 65, 0}, {4, 3, 196, 65536u / 188 * 2 - 2}};
    for (const auto& c : cases) {
        TsAnalyzer analyzer;
        ProgressLog log;
        log.stopAt = c.stopAt;
        EXPECT_EQ(analyse(dir, builder.bytes(), analyzer, &log), RunOutcome::stopped);
        ASSERT_EQ(log.calls.size(), c.stopAt + 1);
        EXPECT_EQ(log.calls[c.stopCall].first, c.stopPosition);
        EXPECT_EQ(log.calls.back(), (Calls::value_type{end_k, end_k}));
        EXPECT_EQ(counted_video(analyzer), c.video);
        EXPECT_EQ(analyzer.snapshots().empty(), c.video == 0);
    }
    // Without a callback the run is the same, only silent.
    TsAnalyzer analyzer;
    analyse(dir, builder.bytes(), analyzer);
    EXPECT_EQ(counted_video(analyzer), 5000u);
}

TEST(PacketSource, SyncSearchNeedsEightSyncBytesAtUnitSpacing) {
    Bytes buffer(5 + 8 * 188, 0x00);
    for (int k = 0; k < 8; ++k) buffer[5 + static_cast<std::size_t>(k) * 188] = 0x47;
    // The run must start below end - 8 units: here it starts exactly there.
    EXPECT_EQ(TsAnalyzer::find_sync(buffer.data(), buffer.data() + buffer.size(), 188), nullptr);
    buffer.push_back(0x00);
    const std::uint8_t* begin = buffer.data();
    const std::uint8_t* end = begin + buffer.size();
    EXPECT_EQ(TsAnalyzer::find_sync(begin, end, 188), begin + 5);
    EXPECT_EQ(TsAnalyzer::find_sync(begin + 6, end, 188), nullptr);
    buffer[5 + 3 * 188] = 0x00;  // one gap breaks the run
    EXPECT_EQ(TsAnalyzer::find_sync(begin, end, 188), nullptr);

    // The tail search checks only the units that lie in the buffer.
    Bytes tail(3 + 2 * 192 + 100, 0x00);
    tail[3] = tail[3 + 192] = 0x47;
    const std::uint8_t* t = tail.data();
    const std::uint8_t* t_end = t + tail.size();
    EXPECT_EQ(TsAnalyzer::find_sync_tail(t, t_end, 192), t + 3);
    tail[3 + 192] = 0x00;
    EXPECT_EQ(TsAnalyzer::find_sync_tail(t, t_end, 192), nullptr);
    tail[253] = 0x47;  // less than two units of room behind it: accepted at once
    EXPECT_EQ(TsAnalyzer::find_sync_tail(t, t_end, 192), t + 253);
    // No packet fits behind a start within 188 bytes of the end.
    EXPECT_EQ(TsAnalyzer::find_sync_tail(t + 299, t_end, 192), nullptr);
}

}  // namespace
}  // namespace kalvento::test
