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

// The 188-byte packets of a stream built with unit size 188.
std::vector<Bytes> packets_of(const Bytes& stream) {
    std::vector<Bytes> packets;
    for (std::size_t at = 0; at + kPacketSize <= stream.size(); at += kPacketSize)
        packets.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(at),
                             stream.begin() + static_cast<std::ptrdiff_t>(at + kPacketSize));
    return packets;
}

void feed(TsAnalyzer& analyzer, const std::vector<Bytes>& packets) {
    for (const Bytes& packet : packets) analyzer.handle_packet(packet.data());
}

Bytes name_of(int id) {
    const std::string text = "service " + std::to_string(id);
    return Bytes(text.begin(), text.end());
}

// An SDT naming `count` services from `first` on.
Bytes sdt_with(std::uint16_t first, int count) {
    std::vector<SdtService> services;
    for (int i = 0; i < count; ++i) {
        const auto id = static_cast<std::uint16_t>(first + i);
        services.emplace_back(id, service_descriptor(0x01, {}, name_of(id)));
    }
    return sdt_section(0x7FE1, 0x7FE1, 0, services);
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
    const Bytes section = pat_section(1, 0, {{1, 0x100}});
    EXPECT_EQ(crc32_mpeg2(section), 0u);  // over a whole section, CRC included
}

TEST(SectionAssembly, SplitSectionIsHandledWhenItsLastByteArrives) {
    const Bytes sdt = sdt_with(1, 40);  // several packets long
    ASSERT_GT(sdt.size(), 3 * 184u);
    StreamBuilder builder;
    builder.add_section(kSdtPid, sdt);
    const std::vector<Bytes> packets = packets_of(builder.bytes());
    ASSERT_EQ(packets.size(), (sdt.size() + 1 + 183) / 184);

    TsAnalyzer analyzer;
    for (std::size_t i = 0; i + 1 < packets.size(); ++i) {
        analyzer.handle_packet(packets[i].data());
        EXPECT_TRUE(analyzer.services().empty()) << "after packet " << i;
    }
    analyzer.handle_packet(packets.back().data());
    EXPECT_EQ(analyzer.services().size(), 40u);
    EXPECT_EQ(analyzer.services()[39].serviceName, name_of(40));

    // A repeated packet (same counter) is not appended a second time.
    TsAnalyzer repeated;
    for (std::size_t i = 0; i < packets.size(); ++i) {
        repeated.handle_packet(packets[i].data());
        if (i == 1) repeated.handle_packet(packets[i].data());
    }
    EXPECT_EQ(repeated.services().size(), 40u);

    // A lost packet breaks the section: it fails its CRC and leaves nothing.
    TsAnalyzer lost;
    for (std::size_t i = 0; i < packets.size(); ++i)
        if (i != 1) lost.handle_packet(packets[i].data());
    EXPECT_TRUE(lost.services().empty());
}

TEST(SectionAssembly, SeveralSectionsInOnePayloadAndStuffing) {
    // Two short sections in one packet, then 0xFF stuffing.
    StreamBuilder builder;
    EXPECT_EQ(builder.add_sections(kSdtPid, {sdt_with(1, 1), sdt_with(2, 1)}), 1u);
    // Long sections back to back: the second and third start in the middle of
    // packets, behind a pointer field.
    builder.add_sections(kSdtPid, {sdt_with(10, 12), sdt_with(30, 9), sdt_with(50, 1)});
    TsAnalyzer analyzer;
    feed(analyzer, packets_of(builder.bytes()));
    std::vector<int> expected = {1, 2};
    for (int id = 10; id < 22; ++id) expected.push_back(id);
    for (int id = 30; id < 39; ++id) expected.push_back(id);
    expected.push_back(50);
    EXPECT_EQ(service_ids(analyzer), expected);

    // Bytes behind stuffing are dropped, even if they look like a section.
    Bytes payload = {0x00};  // pointer field
    const Bytes first = sdt_with(60, 1);
    const Bytes hidden = sdt_with(61, 1);
    payload.insert(payload.end(), first.begin(), first.end());
    payload.push_back(0xFF);
    payload.insert(payload.end(), hidden.begin(), hidden.end());
    TsAnalyzer stuffed;
    stuffed.handle_packet(ts_packet(kSdtPid, 0, true, payload).data());
    EXPECT_EQ(service_ids(stuffed), std::vector<int>{60});
}

TEST(SectionAssembly, CrcFailureLeavesNoTrace) {
    Bytes broken = sdt_with(7, 3);
    broken[20] ^= 0x01;
    StreamBuilder builder;
    builder.add_sections(kSdtPid,
                         {broken, sdt_with(8, 1)});  // the good one follows in the same payload
    builder.add_section(kSdtPid, sdt_with(9, 1));
    TsAnalyzer analyzer;
    feed(analyzer, packets_of(builder.bytes()));
    // The failed section takes the rest of its buffer with it; the next unit start recovers.
    EXPECT_EQ(service_ids(analyzer), std::vector<int>{9});
}

TEST(SectionAssembly, AdaptationFieldsInPsiPackets) {
    const Bytes sdt = sdt_with(1, 20);
    ASSERT_GT(sdt.size(), 2 * 184u);
    // The pointer field sits behind a 20-byte adaptation field; the section
    // fills the 162 bytes behind it.
    Bytes start_payload = {0x00};
    start_payload.insert(start_payload.end(), sdt.begin(), sdt.begin() + 162);
    TsAnalyzer analyzer;
    analyzer.handle_packet(ts_packet(kSdtPid, 3, true, start_payload, 20).data());
    // An adaptation-only packet carries no payload and keeps the counter.
    analyzer.handle_packet(ts_packet(kSdtPid, 3, false, {}, 183).data());
    std::size_t at = 162;
    std::uint8_t counter = 4;
    while (at < sdt.size()) {
        const std::size_t count = std::min<std::size_t>(sdt.size() - at, 184 - 6);
        const Bytes piece(sdt.begin() + static_cast<std::ptrdiff_t>(at),
                          sdt.begin() + static_cast<std::ptrdiff_t>(at + count));
        analyzer.handle_packet(ts_packet(kSdtPid, counter++, false, piece, 5).data());
        at += count;
    }
    EXPECT_EQ(analyzer.services().size(), 20u);

    // Packets that the analysis must not use: transport error, scrambling
    // control 1, adaptation_field_control 0.
    const Bytes small = sdt_with(99, 1);
    Bytes payload = {0x00};
    payload.insert(payload.end(), small.begin(), small.end());
    Bytes error = ts_packet(kSdtPid, 0, true, payload);
    error[1] |= 0x80;
    Bytes scrambled = ts_packet(kSdtPid, 0, true, payload);
    scrambled[3] |= 0x40;
    Bytes reserved = ts_packet(kSdtPid, 0, true, payload);
    reserved[3] &= 0xCF;
    TsAnalyzer ignored;
    feed(ignored, {error, scrambled, reserved});
    EXPECT_TRUE(ignored.services().empty());
    Bytes scrambled_even = ts_packet(kSdtPid, 0, true, payload);
    scrambled_even[3] |= 0x80;  // control 2 is not excluded
    ignored.handle_packet(scrambled_even.data());
    EXPECT_EQ(service_ids(ignored), std::vector<int>{99});
}

TEST(SectionAssembly, PointerFieldOutsideThePayloadIsNotAppended) {
    const Bytes sdt = sdt_with(1, 1);
    TsAnalyzer analyzer;
    // Pointer 200 points behind the packet.
    Bytes payload = {200};
    payload.insert(payload.end(), sdt.begin(), sdt.end());
    analyzer.handle_packet(ts_packet(kSdtPid, 0, true, payload).data());
    // Pointer 170 is in range for a plain packet but not behind a 20-byte adaptation field.
    payload[0] = 170;
    analyzer.handle_packet(ts_packet(kSdtPid, 1, true, payload, 20).data());
    EXPECT_TRUE(analyzer.services().empty());

    // A broken unit start also ends the section in progress.
    const Bytes long_sdt = sdt_with(10, 20);
    Bytes start = {0x00};
    start.insert(start.end(), long_sdt.begin(), long_sdt.begin() + 183);
    analyzer.handle_packet(ts_packet(kSdtPid, 2, true, start).data());
    Bytes bad = {250};
    analyzer.handle_packet(ts_packet(kSdtPid, 3, true, bad).data());
    const Bytes rest(long_sdt.begin() + 183, long_sdt.end());
    analyzer.handle_packet(ts_packet(kSdtPid, 4, false, rest).data());
    EXPECT_TRUE(analyzer.services().empty());

    // Assembly goes on normally afterwards.
    StreamBuilder builder;
    for (int i = 0; i < 5; ++i) builder.next_counter(kSdtPid);
    builder.add_section(kSdtPid, sdt);
    feed(analyzer, packets_of(builder.bytes()));
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
    feed(analyzer, packets_of(builder.bytes()));
    ASSERT_EQ(analyzer.snapshots().size(), 1u);
    const auto& programs = analyzer.snapshots()[0].programs;
    ASSERT_EQ(programs.size(), 3u);
    EXPECT_EQ(programs[0].videoPid, 0);
    EXPECT_EQ(programs[1].videoPid, 0);
    EXPECT_EQ(programs[2].videoPid, 0x300);
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
    Bytes payload = {0x00, 0x42, 0xFF, 0xFF};
    analyzer.handle_packet(ts_packet(kSdtPid, 0, true, payload).data());
    for (int i = 1; i < 100; ++i)
        analyzer.handle_packet(
            ts_packet(kSdtPid, static_cast<std::uint8_t>(i & 15), false, Bytes(184, 0x11)).data());
    EXPECT_TRUE(analyzer.services().empty());
}

}  // namespace
}  // namespace kalvento::test
