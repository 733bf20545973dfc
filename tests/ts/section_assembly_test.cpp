// Section assembly from packets: splitting, several sections per payload,
// stuffing, continuity, CRC, adaptation fields and pointer fields.
#include "tests/ts/ts_test_util.h"
#include "ts/crc32.h"
#include "ts/section_buffer.h"

#include <gtest/gtest.h>

#include <string>

namespace kalvento::test {
namespace {

constexpr std::uint16_t kSdtPid = 0x0011;

Bytes name_of(int id) {
    const std::string text = "service " + std::to_string(id);
    return Bytes(text.begin(), text.end());
}

// An SDT naming `count` services from `first` on.
Bytes sdt_with(std::uint16_t first, int count) {
    std::vector<SdtService> services;
    for (int i = 0; i < count; ++i) {
        const auto id = static_cast<std::uint16_t>(first + i);
        services.push_back({id, service_descriptor(0x01, {}, name_of(id))});
    }
    return sdt_section(0x7FE1, 0x7FE1, 0, services);
}

// A unit-start payload: the pointer field, then the given pieces.
Bytes start_payload(std::uint8_t pointer, std::initializer_list<Bytes> pieces) {
    Bytes payload = {pointer};
    for (const Bytes& piece : pieces) payload.insert(payload.end(), piece.begin(), piece.end());
    return payload;
}

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t to) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(to));
}

std::vector<int> service_ids(const TsAnalyzer& analyzer) {
    std::vector<int> ids;
    for (const ServiceRecord& record : analyzer.services()) ids.push_back(record.serviceId);
    return ids;
}

TEST(Crc32, MatchesTheMpeg2CheckValue) {
    const std::string check = "123456789";
    EXPECT_EQ(crc32_mpeg2({reinterpret_cast<const std::uint8_t*>(check.data()), check.size()}),
              0x0376E6E7u);
    EXPECT_EQ(crc32_mpeg2(pat_section(1, 0, {{1, 0x100}})), 0u);  // over a whole section
}

TEST(SectionAssembly, SplitSectionRepeatedAndLostPackets) {
    const Bytes sdt = sdt_with(1, 40);  // several packets long
    StreamBuilder builder;
    builder.add_section(kSdtPid, sdt);
    const Bytes& stream = builder.bytes();
    const std::size_t packets = stream.size() / kPacketSize;
    ASSERT_EQ(packets, (sdt.size() + 1 + 183) / 184);
    ASSERT_GT(packets, 3u);
    const auto packet = [&](std::size_t i) { return stream.data() + i * kPacketSize; };

    // Handled when its last byte arrives; a repeated packet (same counter) is
    // not appended twice; a lost packet breaks the CRC and leaves nothing.
    TsAnalyzer whole, repeated, lost;
    for (std::size_t i = 0; i < packets; ++i) {
        EXPECT_TRUE(whole.services().empty()) << "before packet " << i;
        whole.handle_packet(packet(i));
        repeated.handle_packet(packet(i));
        if (i == 1) repeated.handle_packet(packet(i));
        if (i != 1) lost.handle_packet(packet(i));
    }
    EXPECT_EQ(whole.services().size(), 40u);
    EXPECT_EQ(whole.services()[39].serviceName, name_of(40));
    EXPECT_EQ(repeated.services().size(), 40u);
    EXPECT_TRUE(lost.services().empty());
}

TEST(SectionAssembly, SeveralSectionsInOnePayloadAndStuffing) {
    // Two short sections in one packet, then 0xFF stuffing; then long sections
    // back to back, the second and third starting mid-packet behind a pointer field.
    StreamBuilder builder;
    EXPECT_EQ(builder.add_sections(kSdtPid, {sdt_with(1, 1), sdt_with(2, 1)}), 1u);
    builder.add_sections(kSdtPid, {sdt_with(10, 12), sdt_with(30, 9), sdt_with(50, 1)});
    TsAnalyzer analyzer;
    feed(analyzer, builder.bytes());
    std::vector<int> expected = {1, 2};
    for (int id = 10; id < 22; ++id) expected.push_back(id);
    for (int id = 30; id < 39; ++id) expected.push_back(id);
    expected.push_back(50);
    EXPECT_EQ(service_ids(analyzer), expected);

    // Bytes behind stuffing are dropped, even if they look like a section.
    TsAnalyzer stuffed;
    stuffed.handle_packet(
        ts_packet(kSdtPid, 0, true, start_payload(0, {sdt_with(60, 1), {0xFF}, sdt_with(61, 1)}))
            .data());
    EXPECT_EQ(service_ids(stuffed), std::vector<int>{60});
}

TEST(SectionAssembly, CrcFailureLeavesNoTrace) {
    Bytes broken = sdt_with(7, 3);
    broken[20] ^= 0x01;
    StreamBuilder builder;
    builder.add_sections(kSdtPid, {broken, sdt_with(8, 1)});  // the good one in the same payload
    builder.add_section(kSdtPid, sdt_with(9, 1));
    TsAnalyzer analyzer;
    feed(analyzer, builder.bytes());
    // The failed section takes the rest of its buffer with it; the next unit start recovers.
    EXPECT_EQ(service_ids(analyzer), std::vector<int>{9});
}

TEST(SectionAssembly, AdaptationFieldsAndUnusablePackets) {
    const Bytes sdt = sdt_with(1, 20);
    ASSERT_GT(sdt.size(), 2 * 184u);
    // The pointer field sits behind a 20-byte adaptation field; the section
    // fills the 162 bytes behind it. An adaptation-only packet keeps the counter.
    TsAnalyzer analyzer;
    analyzer.handle_packet(
        ts_packet(kSdtPid, 3, true, start_payload(0, {slice(sdt, 0, 162)}), 20).data());
    analyzer.handle_packet(ts_packet(kSdtPid, 3, false, {}, 183).data());
    std::uint8_t counter = 4;
    for (std::size_t at = 162; at < sdt.size(); at += 178) {
        const Bytes piece = slice(sdt, at, std::min(sdt.size(), at + 178));
        analyzer.handle_packet(ts_packet(kSdtPid, counter++, false, piece, 5).data());
    }
    EXPECT_EQ(analyzer.services().size(), 20u);

    // Transport error, scrambling control 1 and adaptation_field_control 0 are
    // not used; scrambling control 2 is.
    const Bytes payload = start_payload(0, {sdt_with(99, 1)});
    TsAnalyzer ignored;
    for (const auto& [at, mask, set] : {std::tuple{1, 0x80, true}, std::tuple{3, 0x40, true},
                                        std::tuple{3, 0x30, false}, std::tuple{3, 0x80, true}}) {
        EXPECT_TRUE(ignored.services().empty());
        Bytes packet = ts_packet(kSdtPid, 0, true, payload);
        packet[at] = static_cast<std::uint8_t>(set ? packet[at] | mask : packet[at] & ~mask);
        ignored.handle_packet(packet.data());
    }
    EXPECT_EQ(service_ids(ignored), std::vector<int>{99});
}

TEST(SectionAssembly, PointerFieldOutsideThePayloadIsNotAppended) {
    const Bytes sdt = sdt_with(1, 1);
    TsAnalyzer analyzer;
    // Pointer 200 points behind the packet; 170 is in range for a plain packet
    // but not behind a 20-byte adaptation field.
    analyzer.handle_packet(ts_packet(kSdtPid, 0, true, start_payload(200, {sdt})).data());
    analyzer.handle_packet(ts_packet(kSdtPid, 1, true, start_payload(170, {sdt}), 20).data());
    EXPECT_TRUE(analyzer.services().empty());

    // A broken unit start also ends the section in progress.
    const Bytes long_sdt = sdt_with(10, 20);
    analyzer.handle_packet(
        ts_packet(kSdtPid, 2, true, start_payload(0, {slice(long_sdt, 0, 183)})).data());
    analyzer.handle_packet(ts_packet(kSdtPid, 3, true, Bytes{250}).data());
    analyzer.handle_packet(
        ts_packet(kSdtPid, 4, false, slice(long_sdt, 183, long_sdt.size())).data());
    EXPECT_TRUE(analyzer.services().empty());

    // Assembly goes on normally afterwards.
    StreamBuilder builder;
    for (int i = 0; i < 5; ++i) builder.next_counter(kSdtPid);
    builder.add_section(kSdtPid, sdt);
    feed(analyzer, builder.bytes());
    EXPECT_EQ(service_ids(analyzer), std::vector<int>{1});
}

TEST(SectionAssembly, ReservedPidsNeverReachAHandler) {
    // The PAT names PMTs on PID 0x0005 (reserved), 0x1FFF (null) and 0x0001;
    // only the last one is assembled.
    StreamBuilder builder;
    builder.add_section(0x0000, pat_section(1, 0, {{101, 0x0005}, {102, 0x1FFF}, {103, 0x0001}}));
    builder.add_section(0x0005, pmt_section(101, 0, 0x100, {{0x02, 0x100}}));
    builder.add_section(0x1FFF, pmt_section(102, 0, 0x200, {{0x02, 0x200}}));
    builder.add_section(0x0001, pmt_section(103, 0, 0x300, {{0x02, 0x300}}));
    TsAnalyzer analyzer;
    feed(analyzer, builder.bytes());
    ASSERT_EQ(analyzer.snapshots().size(), 1u);
    std::vector<int> video_pids;
    for (const ProgramEntry& entry : analyzer.snapshots()[0].programs)
        video_pids.push_back(entry.videoPid);
    EXPECT_EQ(video_pids, (std::vector<int>{0, 0, 0x300}));
}

TEST(SectionBuffer, GrowsWithSpareRoomAndNeverBeyondItsLimit) {
    SectionBuffer buffer;
    const Bytes bytes(SectionBuffer::kMaxLength, 0x42);
    ASSERT_TRUE(buffer.append(bytes.data(), 100));
    EXPECT_EQ(buffer.capacity(), 100 + SectionBuffer::kGrowthSpare);
    ASSERT_TRUE(buffer.append(bytes.data(), 150));  // fits the spare room
    EXPECT_EQ(buffer.capacity(), 100 + SectionBuffer::kGrowthSpare);
    buffer.reset();
    EXPECT_EQ(buffer.length(), 0u);
    EXPECT_EQ(buffer.capacity(), 100 + SectionBuffer::kGrowthSpare);  // the block is kept

    ASSERT_TRUE(buffer.append(bytes.data(), SectionBuffer::kMaxLength));
    EXPECT_FALSE(buffer.append(bytes.data(), 1));  // damage, not data: dropped
    EXPECT_EQ(buffer.length(), 0u);

    // Sections claiming the largest length wait for their bytes and are bounded.
    TsAnalyzer analyzer;
    analyzer.handle_packet(ts_packet(kSdtPid, 0, true, Bytes{0x00, 0x42, 0xFF, 0xFF}).data());
    for (int i = 1; i < 100; ++i)
        analyzer.handle_packet(
            ts_packet(kSdtPid, static_cast<std::uint8_t>(i & 15), false, Bytes(184, 0x11)).data());
    EXPECT_TRUE(analyzer.services().empty());
}

}  // namespace
}  // namespace kalvento::test
