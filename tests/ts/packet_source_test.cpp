// Reading the window of a recording: unit size, alignment, window arithmetic
// and the progress protocol, through TsAnalyzer::run on real files.
#include "tests/ts/ts_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace kalvento::test {
namespace {

constexpr std::uint16_t kPmtPid = 0x01F0;
constexpr std::uint16_t kVideoPid = 0x0100;

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
    ScratchDir dir;
    for (const int unit : {188, 192, 204}) {
        SCOPED_TRACE(unit);
        // Several 64 KiB reads, so that the carried-over rest and the end of the
        // file are both exercised; the window runs to the end of the file.
        TsAnalyzer analyzer;
        analyse(dir, one_programme(unit, 2000).bytes(), analyzer);
        EXPECT_EQ(analyzer.unitSize(), unit);
        EXPECT_EQ(counted_video(analyzer), 2000u);

        // A file shorter than one read is handled whole by the tail pass.
        TsAnalyzer small;
        analyse(dir, one_programme(unit, 100).bytes(), small);
        EXPECT_EQ(small.unitSize(), unit);
        EXPECT_EQ(counted_video(small), 100u);
    }
}

TEST(PacketSource, ResynchronisesAfterGarbage) {
    ScratchDir dir;
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
        const std::size_t damaged = stream.size() - 500 * static_cast<std::size_t>(unit) + 100;
        stream.erase(stream.begin() + static_cast<std::ptrdiff_t>(damaged));

        TsAnalyzer analyzer;
        analyse(dir, stream, analyzer);
        EXPECT_EQ(analyzer.unitSize(), unit);
        EXPECT_EQ(counted_video(analyzer), 2999u);
    }
}

TEST(PacketSource, FewerThanEightPacketsGiveNoUnitSize) {
    ScratchDir dir;
    StreamBuilder builder;
    builder.add_section(0x0000, pat_section(1, 0, {{1024, kPmtPid}}));
    builder.add_video_packets(kVideoPid, 6);  // 7 packets: 6 distances
    TsAnalyzer analyzer;
    testing::internal::CaptureStderr();
    analyse(dir, builder.bytes(), analyzer);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "error - failed on select_unit_size()\n");
    EXPECT_EQ(analyzer.unitSize(), 0);
    EXPECT_TRUE(analyzer.snapshots().empty());

    // Nine packets give the eight distances that are needed.
    builder.add_video_packets(kVideoPid, 2);
    EXPECT_EQ(TsAnalyzer::select_unit_size(builder.bytes().data(),
                                           builder.bytes().data() + builder.bytes().size()),
              188);
    // Packets that cover too little of the buffer are not trusted either.
    Bytes padded = builder.bytes();
    padded.resize(padded.size() + 400, 0x00);
    EXPECT_EQ(TsAnalyzer::select_unit_size(padded.data(), padded.data() + padded.size()), 0);
}

TEST(PacketSource, WindowFromPercentAndMegabytes) {
    ScratchDir dir;
    // 1 per cent of a 10,000,000-byte file starts at byte 100,000: the first
    // read ends at 165,536 and the window at 100,000 + 1,048,576.
    StreamBuilder builder = one_programme(188, 53000);
    Bytes stream = builder.take();
    stream.resize(10'000'000, 0x00);
    const std::string path = dir.file("ten-million.ts");
    ASSERT_TRUE(write_file(path, stream));
    {
        TsAnalyzer analyzer;
        analyzer.windowStartPercent = 1;
        analyzer.windowSizeMb = 1;
        ProgressLog log;
        analyzer.run(path, &ProgressLog::record, &log);
        ASSERT_GE(log.calls.size(), 3u);
        EXPECT_EQ(log.calls[0], std::make_pair(std::int64_t{0}, std::int64_t{1148}));
        EXPECT_EQ(log.calls[1], std::make_pair(std::int64_t{165}, std::int64_t{1148}));
        EXPECT_EQ(log.calls.back(), std::make_pair(std::int64_t{1148}, std::int64_t{1148}));
        for (std::size_t i = 1; i < log.calls.size(); ++i) {
            EXPECT_GE(log.calls[i].first, log.calls[i - 1].first);
            EXPECT_EQ(log.calls[i].second, 1148);
        }
        // The window starts behind the PAT: nothing is known of the programmes.
        EXPECT_EQ(analyzer.unitSize(), 188);
        EXPECT_TRUE(analyzer.snapshots().empty());
    }
    {
        // 100 per cent starts at the end: nothing to read, no unit size.
        TsAnalyzer analyzer;
        analyzer.windowStartPercent = 100;
        ProgressLog log;
        testing::internal::CaptureStderr();
        analyzer.run(path, &ProgressLog::record, &log);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "error - failed on select_unit_size()\n");
        const std::vector<std::pair<std::int64_t, std::int64_t>> expected = {{0, 10000},
                                                                             {10000, 10000}};
        EXPECT_EQ(log.calls, expected);
    }
    {
        // The window size is formed in 32 bits: 4,096 MB wraps to an empty
        // window, and only the first buffer is analysed.
        TsAnalyzer analyzer;
        analyzer.windowStartPercent = 0;
        analyzer.windowSizeMb = 4096;
        analyzer.run(path);
        EXPECT_EQ(counted_video(analyzer), 65536u / 188 - 2);  // whole packets minus PAT and PMT
    }
}

TEST(PacketSource, WindowPastTheEndStopsAtTheFileEnd) {
    ScratchDir dir;
    StreamBuilder builder = one_programme(192, 3000);
    const std::string path = dir.file("short.ts");
    ASSERT_TRUE(builder.write(path));
    const auto size = static_cast<std::int64_t>(builder.bytes().size());

    TsAnalyzer analyzer;
    analyzer.windowStartPercent = 0;
    analyzer.windowSizeMb = 500;
    ProgressLog log;
    analyzer.run(path, &ProgressLog::record, &log);
    EXPECT_EQ(log.calls.front(), std::make_pair(std::int64_t{0}, size / 1000));
    EXPECT_EQ(log.calls.back(), std::make_pair(size / 1000, size / 1000));
    EXPECT_EQ(counted_video(analyzer), 3000u);  // the last read of the file is analysed too
}

TEST(PacketSource, ProgressAnswerZeroStopsAndTheLastCallStillComes) {
    ScratchDir dir;
    const StreamBuilder builder = one_programme(188, 5000);
    const auto end_k = static_cast<std::int64_t>(builder.bytes().size()) / 1000;
    {
        TsAnalyzer analyzer;
        ProgressLog log;
        log.stopAt = 2;  // stop at the call after the unit size was found
        analyse(dir, builder.bytes(), analyzer, &log);
        ASSERT_EQ(log.calls.size(), 3u);
        EXPECT_EQ(log.calls[1].first, 65);
        EXPECT_EQ(log.calls[2], std::make_pair(end_k, end_k));
        EXPECT_TRUE(analyzer.snapshots().empty());  // no packet was handled
    }
    {
        TsAnalyzer analyzer;
        ProgressLog log;
        log.stopAt = 4;  // stop at the third read
        analyse(dir, builder.bytes(), analyzer, &log);
        ASSERT_EQ(log.calls.size(), 5u);
        EXPECT_EQ(log.calls[3].first, 196);  // the third read is not analysed
        EXPECT_EQ(log.calls[4], std::make_pair(end_k, end_k));
        EXPECT_EQ(counted_video(analyzer), 65536u / 188 * 2 - 2);  // two buffers' worth
    }
    {
        // Without a callback the run is the same, only silent.
        TsAnalyzer analyzer;
        analyse(dir, builder.bytes(), analyzer);
        EXPECT_EQ(counted_video(analyzer), 5000u);
    }
}

TEST(PacketSource, OpenFailureIsReportedAndEndsTheProgress) {
    ScratchDir dir;
    const std::string path = dir.file("missing.ts");
    TsAnalyzer analyzer;
    ProgressLog log;
    testing::internal::CaptureStderr();
    analyzer.run(path, &ProgressLog::record, &log);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "error - failed on open(" + path + ") [src]\n");
    const std::vector<std::pair<std::int64_t, std::int64_t>> expected = {{0, 0}};
    EXPECT_EQ(log.calls, expected);
    EXPECT_EQ(analyzer.unitSize(), 0);
}

TEST(PacketSource, SyncSearchNeedsEightSyncBytesAtUnitSpacing) {
    Bytes buffer(5 + 8 * 188, 0x00);
    for (int k = 0; k < 8; ++k) buffer[5 + static_cast<std::size_t>(k) * 188] = 0x47;
    const std::uint8_t* begin = buffer.data();
    // The run must start below end - 8 units: here it starts exactly there.
    EXPECT_EQ(TsAnalyzer::find_sync(begin, begin + buffer.size(), 188), nullptr);
    buffer.push_back(0x00);
    begin = buffer.data();
    EXPECT_EQ(TsAnalyzer::find_sync(begin, begin + buffer.size(), 188), begin + 5);
    EXPECT_EQ(TsAnalyzer::find_sync(begin + 6, begin + buffer.size(), 188), nullptr);
    buffer[5 + 3 * 188] = 0x00;  // one gap breaks the run
    EXPECT_EQ(TsAnalyzer::find_sync(begin, begin + buffer.size(), 188), nullptr);

    // The tail search checks only the units that lie in the buffer.
    Bytes tail(3 + 2 * 192 + 100, 0x00);
    tail[3] = 0x47;
    tail[3 + 192] = 0x47;
    const std::uint8_t* t = tail.data();
    EXPECT_EQ(TsAnalyzer::find_sync_tail(t, t + tail.size(), 192), t + 3);
    tail[3 + 192] = 0x00;
    EXPECT_EQ(TsAnalyzer::find_sync_tail(t, t + tail.size(), 192), nullptr);
    tail[253] = 0x47;  // less than two units of room behind it: accepted at once
    EXPECT_EQ(TsAnalyzer::find_sync_tail(t, t + tail.size(), 192), t + 253);
    // No packet fits behind a start within 188 bytes of the end.
    EXPECT_EQ(TsAnalyzer::find_sync_tail(t + 299, t + tail.size(), 192), nullptr);
}

}  // namespace
}  // namespace kalvento::test
