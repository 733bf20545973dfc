// The service and event tables: services, programmes, video PIDs, present
// events and the snapshots they start.
#include "tests/support/arib_encoder.h"
#include "tests/ts/ts_test_util.h"
#include "ts/event_tables.h"
#include "ts/psi_tables.h"

#include <gtest/gtest.h>

namespace kalvento::test {
namespace {

constexpr std::uint16_t kNetwork = 0x7FE1;  // a terrestrial network
constexpr std::uint16_t kMain = 1024;
constexpr std::uint16_t kSub = 1025;
constexpr std::uint16_t kMainPmt = 0x01F0;
constexpr std::uint16_t kSubPmt = 0x01F1;
constexpr std::uint16_t kMainVideo = 0x0100;
constexpr std::uint16_t kSubVideo = 0x0101;

Bytes eit(std::uint16_t service, std::uint8_t version, std::uint16_t event_id,
          std::uint8_t section_number = 0, std::uint16_t network = kNetwork) {
    const EitHeader header{.serviceId = service,
                           .transportStreamId = 0x7FE1,
                           .originalNetworkId = network,
                           .version = version,
                           .sectionNumber = section_number};
    const EitEvent event{.eventId = event_id,
                         .start = mjd_time(2024, 4, 1, 21, 0),
                         .duration = bcd_duration(0, 54),
                         .descriptors = short_event_descriptor(
                             arib_encode("番組" + std::to_string(event_id)), arib_encode("説明"))};
    return eit_pf_section(header, event);
}

// PAT with both services and the one-segment service, their PMTs.
void add_programmes(StreamBuilder& builder, std::uint8_t pat_version = 0) {
    builder.add_section(
        0x0000, pat_section(0x7FE1, pat_version,
                            {{0, 0x0010}, {kMain, kMainPmt}, {kSub, kSubPmt}, {0x5C38, 0x1FC8}}));
    builder.add_section(kMainPmt,
                        pmt_section(kMain, 0, kMainVideo,
                                    {{0x0F, 0x0110, Bytes{0x52, 0x01, 0x10}}, {0x02, kMainVideo}}));
    builder.add_section(kSubPmt, pmt_section(kSub, 0, kSubVideo, {{0x02, kSubVideo}}));
}

Bytes services_nit(const Bytes& ts_name) {
    return nit_section(
        kNetwork, 0,
        {{0x7FE1, kNetwork,
          ts_information_descriptor(3, ts_name, {{0x0F, {kMain, kSub}}, {0xAF, {0x5C38}}})}});
}

const ProgramEntry& program(const TsAnalyzer& analyzer, std::size_t snapshot, std::size_t index) {
    return analyzer.snapshots().at(snapshot).programs.at(index);
}

// Video packets and present event of every programme, snapshot by snapshot.
using Found = std::vector<std::pair<std::uint32_t, Bytes>>;
Found programmes(const TsAnalyzer& analyzer) {
    Found found;
    for (const Snapshot& snapshot : analyzer.snapshots())
        for (const ProgramEntry& entry : snapshot.programs)
            found.emplace_back(entry.videoPackets, entry.presentEventSection);
    return found;
}

TEST(Tables, TerrestrialServicesAndProgrammes) {
    TempDir dir;
    const Bytes ts_name = arib_encode("テストテレビ");
    StreamBuilder builder;
    builder.add_section(0x0010, services_nit(ts_name));  // before the SDT: finds no services yet
    builder.add_section(
        0x0011,
        sdt_section(0x7FE1, kNetwork, 0,
                    {{kSub, service_descriptor(0x01, arib_encode("局"), arib_encode("二"))},
                     {kMain, service_descriptor(0x01, arib_encode("局"), arib_encode("一"))}}));
    builder.add_section(0x0010, services_nit(ts_name));
    add_programmes(builder);
    builder.add_section(0x0012, eit(kMain, 0, 0x0101));
    builder.add_section(0x0012, eit(kMain, 0, 0x0102, 1));  // following event
    builder.add_section(0x0012, eit(kSub, 0, 0x0201));
    builder.add_mix(kMainVideo, 1000, 70);
    builder.add_video_packets(kSubVideo, 200);

    TsAnalyzer analyzer;
    analyse(dir, builder.bytes(), analyzer);
    const ServiceTable& services = analyzer.services();
    ASSERT_EQ(services.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const ServiceRecord& record = services[i];
        EXPECT_EQ(record.serviceId, i == 0 ? kMain : kSub);
        EXPECT_EQ(record.serviceName, arib_encode(i == 0 ? "一" : "二"));
        EXPECT_EQ(record.networkKind, 0);
        EXPECT_EQ(record.remoteControlKeyId, 3);
        EXPECT_EQ(record.tsName, ts_name);
        EXPECT_EQ(record.transportStreamId, 0x7FE1);
        EXPECT_EQ(record.originalNetworkId, kNetwork);
    }
    EXPECT_EQ(services[0].presentEventSection, eit(kMain, 0, 0x0101));

    // No network entry, no one-segment service; the video PID sits behind the audio stream.
    ASSERT_EQ(analyzer.snapshots().size(), 1u);
    EXPECT_EQ(program(analyzer, 0, 0).programNumber, kMain);
    EXPECT_EQ(program(analyzer, 0, 0).pmtPid, kMainPmt);
    EXPECT_EQ(program(analyzer, 0, 0).videoPid, kMainVideo);
    EXPECT_EQ(program(analyzer, 0, 1).videoPid, kSubVideo);
    EXPECT_EQ(programmes(analyzer),
              (Found{{700, eit(kMain, 0, 0x0101)}, {200, eit(kSub, 0, 0x0201)}}));

    analyzer.clear();
    EXPECT_TRUE(analyzer.services().empty());
    EXPECT_TRUE(analyzer.snapshots().empty());
}

TEST(Tables, ProgrammeChangeSplitsTheVideoPackets) {
    TempDir dir;
    StreamBuilder builder;
    add_programmes(builder);
    builder.add_section(0x0012, eit(kMain, 4, 0x0101));
    builder.add_section(0x0012, eit(kSub, 0, 0x0201));
    builder.add_video_packets(kMainVideo, 300);
    builder.add_video_packets(kSubVideo, 100);
    builder.add_section(0x0012, eit(kMain, 5, 0x0102));  // the next programme begins
    builder.add_section(0x0012, eit(kMain, 5, 0x0102));  // repeated: no new snapshot
    builder.add_section(0x0012, eit(kSub, 0, 0x0201));
    builder.add_section(0x0012, eit(kMain, 6, 0x0103, 1));  // a following section changes nothing
    builder.add_video_packets(kMainVideo, 500);
    builder.add_video_packets(kSubVideo, 50);

    TsAnalyzer analyzer;
    analyse(dir, builder.bytes(), analyzer);
    ASSERT_EQ(analyzer.snapshots().size(), 2u);
    // The sub channel's event is carried over into the second snapshot.
    EXPECT_EQ(programmes(analyzer), (Found{{300, eit(kMain, 4, 0x0101)},
                                           {100, eit(kSub, 0, 0x0201)},
                                           {500, eit(kMain, 5, 0x0102)},
                                           {50, eit(kSub, 0, 0x0201)}}));
    EXPECT_EQ(program(analyzer, 1, 0).videoPid, kMainVideo);
    EXPECT_EQ(analyzer.snapshots()[1].patVersion, 0);
}

TEST(Tables, FollowingSectionOnlySetsTheStreamIdentifiers) {
    StreamBuilder builder;
    add_programmes(builder);
    builder.add_section(0x0012, eit(2000, 1, 0x0301, 1, 0x0004));  // unknown service, following
    builder.add_section(0x0012, eit(kMain, 1, 0x0302, 1));
    TsAnalyzer analyzer;
    feed(analyzer, builder.bytes());
    ASSERT_EQ(analyzer.services().size(), 2u);
    EXPECT_EQ(analyzer.services()[0].serviceId, kMain);
    EXPECT_EQ(analyzer.services()[1].serviceId, 2000);
    EXPECT_EQ(analyzer.services()[1].networkKind, 4);
    EXPECT_EQ(analyzer.services()[1].originalNetworkId, 0x0004);
    for (const ServiceRecord& record : analyzer.services())
        EXPECT_TRUE(record.presentEventSection.empty());
    ASSERT_EQ(analyzer.snapshots().size(), 1u);
    EXPECT_TRUE(program(analyzer, 0, 0).presentEventSection.empty());
}

TEST(Tables, PatVersionChangeStartsAFreshSnapshot) {
    TempDir dir;
    StreamBuilder builder;
    add_programmes(builder);
    builder.add_section(0x0012, eit(kMain, 0, 0x0101));
    builder.add_video_packets(kMainVideo, 40);
    builder.add_section(0x0000, pat_section(0x7FE1, 0, {{kMain, kMainPmt}}));  // same version
    builder.add_section(0x0000, pat_section(0x7FE1, 1, {{kMain, kMainPmt}}));
    builder.add_video_packets(kMainVideo, 30);  // video PID not yet known again
    builder.add_section(kMainPmt, pmt_section(kMain, 0, kMainVideo, {{0x02, kMainVideo}}));
    builder.add_video_packets(kMainVideo, 20);
    builder.add_section(0x0012, eit(kMain, 0, 0x0101));  // same event fills the fresh snapshot

    TsAnalyzer analyzer;
    analyse(dir, builder.bytes(), analyzer);
    ASSERT_EQ(analyzer.snapshots().size(), 2u);
    EXPECT_EQ(analyzer.snapshots()[1].patVersion, 1);
    EXPECT_EQ(programmes(analyzer),
              (Found{{40, eit(kMain, 0, 0x0101)}, {0, {}}, {20, eit(kMain, 0, 0x0101)}}));
}

TEST(Tables, OnlyMpeg2VideoStreamTypeGivesTheVideoPid) {
    StreamBuilder builder;
    builder.add_section(0x0000, pat_section(1, 0, {{kMain, kMainPmt}, {kSub, kSubPmt}}));
    // H.264 (0x1B) only: no video PID, nothing counted.
    builder.add_section(kMainPmt,
                        pmt_section(kMain, 0, kMainVideo, {{0x1B, kMainVideo}, {0x0F, 0x110}}));
    // A PMT on a PID that is no programme's PMT PID is never read.
    builder.add_section(0x01F5, pmt_section(kSub, 0, kSubVideo, {{0x02, kSubVideo}}));
    builder.add_video_packets(kMainVideo, 10);
    builder.add_video_packets(kSubVideo, 10);
    TsAnalyzer analyzer;
    feed(analyzer, builder.bytes());
    ASSERT_EQ(analyzer.snapshots().size(), 1u);
    for (const ProgramEntry& entry : analyzer.snapshots()[0].programs)
        EXPECT_EQ(entry.videoPid + entry.videoPackets, 0u);

    // A later PMT without MPEG-2 video keeps the video PID found before.
    TableState state;
    handle_pat(pat_section(1, 0, {{kMain, kMainPmt}}), state);
    handle_pmt(pmt_section(kMain, 0, kMainVideo, {{0x02, kMainVideo}}), kMainPmt, state);
    handle_pmt(pmt_section(kMain, 1, kSubVideo, {{0x1B, kSubVideo}}), kMainPmt, state);
    EXPECT_EQ(state.snapshots[0].programs[0].videoPid, kMainVideo);
}

TEST(Tables, LongNamesAreCutAndSnapshotsBounded) {
    TableState state;
    handle_sdt(sdt_section(1, kNetwork, 0, {{kMain, service_descriptor(1, {}, Bytes(70, 0x30))}}),
               state);
    // 63 bytes is the longest a 6-bit length can give.
    handle_nit(nit_section(kNetwork, 0,
                           {{1, kNetwork,
                             ts_information_descriptor(5, Bytes(63, 0x31), {{0x0F, {kMain}}})}}),
               state);
    ASSERT_EQ(state.services.size(), 1u);
    EXPECT_EQ(state.services[0].serviceName, Bytes(50, 0x30));
    EXPECT_EQ(state.services[0].tsName, Bytes(51, 0x31));
    EXPECT_EQ(state.services[0].remoteControlKeyId, 5);

    for (int i = 0; i < static_cast<int>(kMaxSnapshots) + 10; ++i)
        handle_pat(pat_section(1, static_cast<std::uint8_t>(i & 1), {{kMain, kMainPmt}}), state);
    EXPECT_EQ(state.snapshots.size(), kMaxSnapshots);
    EXPECT_FALSE(append_snapshot(state, Snapshot{}));
    EXPECT_TRUE(append_snapshot(state = TableState{}, Snapshot{}));
}

TEST(Tables, PartialStreamEventsComeFromTheSit) {
    TempDir dir;
    const auto start1 = mjd_time(2024, 4, 1, 21, 0);
    const auto start2 = mjd_time(2024, 4, 1, 21, 54);
    const auto loop = [](const std::array<std::uint8_t, 5>& start, int event) {
        return concat({partial_ts_time_descriptor(start, bcd_duration(0, 54, 30)),
                       service_descriptor(1, {}, arib_encode("ＢＳテスト")),
                       short_event_descriptor(arib_encode("番組" + std::to_string(event)), {})});
    };
    const auto sit = [&](std::uint8_t version, const std::array<std::uint8_t, 5>& start,
                         int event) {
        return sit_section(version, network_identification_descriptor(0x0004),
                           {{101, loop(start, event)}});
    };
    StreamBuilder builder;
    builder.add_section(0x0000, pat_section(1, 0, {{101, 0x0101}}));
    builder.add_section(0x0101, pmt_section(101, 0, 0x0111, {{0x02, 0x0111}}));
    builder.add_section(0x001F, sit(0, start1, 1));
    builder.add_video_packets(0x0111, 120);
    builder.add_section(0x001F, sit(1, start1, 1));  // same start: nothing changes
    builder.add_section(0x001F, sit(2, start2, 2));
    builder.add_video_packets(0x0111, 80);

    TsAnalyzer analyzer;
    analyse(dir, builder.bytes(), analyzer);
    ASSERT_EQ(analyzer.services().size(), 1u);
    const ServiceRecord& record = analyzer.services()[0];
    EXPECT_EQ(record.serviceId, 101);
    EXPECT_EQ(record.networkKind, 4);  // from the low byte of the network_id
    EXPECT_EQ(record.serviceName, arib_encode("ＢＳテスト"));
    EXPECT_EQ(record.sitEvent.serviceId, 101);
    EXPECT_EQ(record.sitEvent.start, start2);
    EXPECT_EQ(record.sitEvent.duration, bcd_duration(0, 54, 30));

    ASSERT_EQ(analyzer.snapshots().size(), 2u);
    EXPECT_EQ(program(analyzer, 0, 0).sitEvent.start, start1);
    EXPECT_EQ(program(analyzer, 0, 0).videoPackets, 120u);
    EXPECT_EQ(program(analyzer, 1, 0).videoPackets, 80u);
    // The stored descriptors are the service loop of the SIT, byte for byte.
    EXPECT_EQ(program(analyzer, 1, 0).sitEvent.descriptors, loop(start2, 2));

    // Without a time descriptor there is no SIT event.
    TableState state;
    handle_sit(sit_section(0, {}, {{7, service_descriptor(1, {}, arib_encode("名"))}}), state);
    ASSERT_EQ(state.services.size(), 1u);
    EXPECT_EQ(state.services[0].networkKind, 0);
    EXPECT_FALSE(state.services[0].sitEvent.present());
    EXPECT_EQ(state.services[0].serviceName, arib_encode("名"));
}

TEST(Tables, VideoPacketsOfSharedAndChangingVideoPids) {
    // Two programmes on one video PID both count its packets; when a PMT moves
    // a programme to its own video PID, only that one counts there; a video
    // PID that is another programme's PMT PID carries that PMT, not video.
    TempDir dir;
    StreamBuilder builder;
    builder.add_section(0x0000,
                        pat_section(0x7FE1, 0, {{0, 0x0010}, {kMain, kMainPmt}, {kSub, kSubPmt}}));
    builder.add_section(kMainPmt, pmt_section(kMain, 0, kMainVideo, {{0x02, kMainVideo}}));
    builder.add_section(kSubPmt, pmt_section(kSub, 0, kMainVideo, {{0x02, kMainVideo}}));
    builder.add_video_packets(kMainVideo, 50);
    builder.add_section(kSubPmt, pmt_section(kSub, 1, kSubVideo, {{0x02, kSubVideo}}));
    builder.add_video_packets(kSubVideo, 30);
    builder.add_video_packets(kMainVideo, 20);
    builder.add_section(kSubPmt, pmt_section(kSub, 2, kMainPmt, {{0x02, kMainPmt}}));
    builder.add_video_packets(kMainPmt, 10);
    builder.add_video_packets(kSubVideo, 5);

    TsAnalyzer analyzer;
    analyse(dir, builder.bytes(), analyzer);
    ASSERT_EQ(analyzer.snapshots().size(), 1u);
    EXPECT_EQ(program(analyzer, 0, 0).videoPackets, 70u);
    EXPECT_EQ(program(analyzer, 0, 1).videoPackets, 80u);
    EXPECT_EQ(program(analyzer, 0, 1).videoPid, kMainPmt);
}

}  // namespace
}  // namespace kalvento::test
