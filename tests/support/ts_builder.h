// Builders for synthetic transport streams: PSI/SI sections with a correct CRC,
// the descriptors the analysis reads, packetisation with continuity counters
// and pointer fields, 188/192/204-byte units, garbage, null and video packets.
// Texts inside descriptors are raw ARIB bytes (tests/support/arib_encoder.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace kalvento::test {

using Bytes = std::vector<std::uint8_t>;

// 16-bit MJD followed by hour, minute and second in BCD.
std::array<std::uint8_t, 5> mjd_time(int year, int month, int day, int hour, int minute,
                                     int second = 0);
// Hours, minutes and seconds in BCD.
std::array<std::uint8_t, 3> bcd_duration(int hours, int minutes, int seconds = 0);

// A section with the long header (syntax indicator and current_next set),
// `body`, then the CRC.
Bytes long_section(std::uint8_t table_id, std::uint16_t extension, std::uint8_t version,
                   std::uint8_t section_number, std::uint8_t last_section_number,
                   std::span<const std::uint8_t> body);

// The records below are aggregates meant for brace lists: {0x02, pid}.
struct PatEntry {
    std::uint16_t programNumber = 0;
    std::uint16_t pmtPid = 0;
};
Bytes pat_section(std::uint16_t transport_stream_id, std::uint8_t version,
                  const std::vector<PatEntry>& programs);

struct PmtStream {
    std::uint8_t streamType = 0x02;
    std::uint16_t pid = 0;
    Bytes descriptors{};
};
Bytes pmt_section(std::uint16_t program_number, std::uint8_t version, std::uint16_t pcr_pid,
                  const std::vector<PmtStream>& streams, const Bytes& program_info = {});

struct NitStream {
    std::uint16_t transportStreamId = 0;
    std::uint16_t originalNetworkId = 0;
    Bytes descriptors{};
};
Bytes nit_section(std::uint16_t network_id, std::uint8_t version,
                  const std::vector<NitStream>& streams, const Bytes& network_descriptors = {});

struct SdtService {
    std::uint16_t serviceId = 0;
    Bytes descriptors{};
};
Bytes sdt_section(std::uint16_t transport_stream_id, std::uint16_t original_network_id,
                  std::uint8_t version, const std::vector<SdtService>& services,
                  std::uint8_t table_id = 0x42);

struct EitHeader {
    std::uint16_t serviceId = 0;
    std::uint16_t transportStreamId = 0;
    std::uint16_t originalNetworkId = 0;
    std::uint8_t version = 0;
    std::uint8_t sectionNumber = 0;  // 0 = present, 1 = following
    std::uint8_t tableId = 0x4E;
};
struct EitEvent {
    std::uint16_t eventId = 0;
    std::array<std::uint8_t, 5> start{};
    std::array<std::uint8_t, 3> duration{};
    Bytes descriptors{};
    std::uint8_t runningStatus = 4;  // running
};
// An EIT present/following section with one event, or none.
Bytes eit_pf_section(const EitHeader& header, const std::optional<EitEvent>& event);

struct SitService {
    std::uint16_t serviceId = 0;
    Bytes descriptors{};
    std::uint8_t runningStatus = 4;
};
Bytes sit_section(std::uint8_t version, const Bytes& transmission_descriptors,
                  const std::vector<SitService>& services);

// Descriptors: tag, length, body.
Bytes descriptor(std::uint8_t tag, std::span<const std::uint8_t> body);
Bytes concat(std::initializer_list<Bytes> pieces);

// 0xCD: remote-control key, TS name and the services of each transmission type.
struct TransmissionType {
    std::uint8_t type = 0x0F;
    std::vector<std::uint16_t> serviceIds{};
};
Bytes ts_information_descriptor(std::uint8_t remote_control_key_id, const Bytes& ts_name,
                                const std::vector<TransmissionType>& types);
// 0x48
Bytes service_descriptor(std::uint8_t service_type, const Bytes& provider_name,
                         const Bytes& service_name);
// 0x4D
Bytes short_event_descriptor(const Bytes& event_name, const Bytes& text,
                             std::string_view language = "jpn");
// 0x4E
struct ExtendedItem {
    Bytes description{};
    Bytes text{};
};
Bytes extended_event_descriptor(std::uint8_t number, std::uint8_t last_number,
                                const std::vector<ExtendedItem>& items, const Bytes& text = {},
                                std::string_view language = "jpn");
// 0x50
Bytes component_descriptor(std::uint8_t stream_content, std::uint8_t component_type,
                           std::uint8_t component_tag = 0, const Bytes& text = {},
                           std::string_view language = "jpn");
// 0xC4: quality_indicator and sampling_rate go into byte 7 of the descriptor.
Bytes audio_component_descriptor(std::uint8_t component_type, std::uint8_t quality_indicator = 3,
                                 std::uint8_t sampling_rate = 7, std::uint8_t component_tag = 0x10,
                                 const Bytes& text = {}, std::string_view language = "jpn");
// 0x54: (level 1, level 2) nibble pairs; the user nibbles are 0xFF.
Bytes content_descriptor(const std::vector<std::pair<std::uint8_t, std::uint8_t>>& genres);
// 0xC2
Bytes network_identification_descriptor(std::uint16_t network_id,
                                        std::uint16_t media_type = 0x5442);
// 0xC3: event version, start, duration, no offset, no JST time.
Bytes partial_ts_time_descriptor(const std::array<std::uint8_t, 5>& start,
                                 const std::array<std::uint8_t, 3>& duration,
                                 std::uint8_t event_version = 0);

inline constexpr std::size_t kPacketSize = 188;
inline constexpr std::uint16_t kNullPacketPid = 0x1FFF;

// One 188-byte packet. With `adaptation_length` >= 0 an adaptation field of that
// length (flags 0, then stuffing) comes before the payload; adaptation-only
// (control 2) when the payload is empty. The payload is cut to what fits and
// padded with 0xFF.
Bytes ts_packet(std::uint16_t pid, std::uint8_t counter, bool unit_start,
                std::span<const std::uint8_t> payload, int adaptation_length = -1);

// A stream of packets in units of 188, 192 (4-byte prefix) or 204 bytes
// (16-byte suffix), with one continuity counter per PID.
class StreamBuilder {
  public:
    explicit StreamBuilder(int unit_size = 188, std::uint32_t seed = 1);

    // The sections back to back on `pid`: a packet in which a section starts
    // has the unit start flag and a pointer field to the first such section;
    // the last packet is filled with 0xFF stuffing. Returns the packets written.
    std::size_t add_sections(std::uint16_t pid, const std::vector<Bytes>& sections);
    std::size_t add_section(std::uint16_t pid, const Bytes& section) {
        return add_sections(pid, {section});
    }
    // A ready 188-byte packet, wrapped into the unit.
    void add_packet(std::span<const std::uint8_t> packet);
    // Packets of pseudo-random payload on `pid`, with counters.
    void add_video_packets(std::uint16_t pid, std::size_t count);
    // `count` packets, `video_percent` of them video packets of `video_pid`
    // spread evenly, the rest null packets.
    void add_mix(std::uint16_t video_pid, std::size_t count, int video_percent);
    // Pseudo-random bytes that belong to no packet.
    void add_garbage(std::size_t count);
    // The counter the next packet of `pid` gets; advances it.
    std::uint8_t next_counter(std::uint16_t pid);

    std::size_t packet_count() const { return packets_; }
    const Bytes& bytes() const { return bytes_; }
    Bytes take() { return std::move(bytes_); }

  private:
    std::uint8_t random_byte();

    int unitSize_;
    std::uint32_t state_;
    std::size_t packets_ = 0;
    std::array<std::uint8_t, 8192> counters_{};
    Bytes bytes_;
};

// Writes bytes to a file, replacing it; false on any failure.
bool write_file(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace kalvento::test
