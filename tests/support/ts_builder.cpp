#include "tests/support/ts_builder.h"

#include <algorithm>
#include <fstream>

namespace kalvento::test {
namespace {

constexpr std::uint8_t kSyncByte = 0x47;
constexpr std::size_t kPayloadBytes = 184;
constexpr std::size_t kCrcBytes = 4;

void put16(Bytes& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

// 12-bit loop length with the four reserved bits set.
void put_length12(Bytes& out, std::size_t length) {
    put16(out, 0xF000u | (static_cast<unsigned>(length) & 0x0FFFu));
}

void put_bytes(Bytes& out, std::span<const std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void put_language(Bytes& out, std::string_view language) {
    for (std::size_t i = 0; i < 3; ++i)
        out.push_back(static_cast<std::uint8_t>(i < language.size() ? language[i] : ' '));
}

std::uint8_t bcd(int value) {
    return static_cast<std::uint8_t>((value / 10) << 4 | (value % 10));
}

// CRC-32/MPEG-2, bit by bit: kept apart from the analyser's table-driven one so
// that each checks the other.
std::uint32_t crc32_bitwise(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes) {
        crc ^= static_cast<std::uint32_t>(byte) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int days_from_civil(int year, int month, int day) {
    year -= month <= 2;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int year_of_era = year - era * 400;
    const int day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

}  // namespace

std::array<std::uint8_t, 5> mjd_time(int year, int month, int day, int hour, int minute,
                                     int second) {
    constexpr int kMjdOfEpoch = 40587;  // 1970-01-01
    const int mjd = days_from_civil(year, month, day) + kMjdOfEpoch;
    return {static_cast<std::uint8_t>(mjd >> 8), static_cast<std::uint8_t>(mjd), bcd(hour),
            bcd(minute), bcd(second)};
}

std::array<std::uint8_t, 3> bcd_duration(int hours, int minutes, int seconds) {
    return {bcd(hours), bcd(minutes), bcd(seconds)};
}

Bytes long_section(std::uint8_t table_id, std::uint16_t extension, std::uint8_t version,
                   std::uint8_t section_number, std::uint8_t last_section_number,
                   std::span<const std::uint8_t> body) {
    Bytes section{table_id, 0xB0, 0x00};  // syntax indicator, reserved bits
    put16(section, extension);
    section.push_back(static_cast<std::uint8_t>(0xC1 | (version & 0x1F) << 1));
    section.push_back(section_number);
    section.push_back(last_section_number);
    put_bytes(section, body);
    const std::size_t length = section.size() - 3 + kCrcBytes;
    section[1] = static_cast<std::uint8_t>(0xB0 | ((length >> 8) & 0x0F));
    section[2] = static_cast<std::uint8_t>(length);
    const std::uint32_t crc = crc32_bitwise(section);
    for (int shift = 24; shift >= 0; shift -= 8)
        section.push_back(static_cast<std::uint8_t>(crc >> shift));
    return section;
}

Bytes pat_section(std::uint16_t transport_stream_id, std::uint8_t version,
                  const std::vector<PatEntry>& programs) {
    Bytes body;
    for (const PatEntry& program : programs) {
        put16(body, program.programNumber);
        put16(body, 0xE000u | program.pmtPid);
    }
    return long_section(0x00, transport_stream_id, version, 0, 0, body);
}

Bytes pmt_section(std::uint16_t program_number, std::uint8_t version, std::uint16_t pcr_pid,
                  const std::vector<PmtStream>& streams, const Bytes& program_info) {
    Bytes body;
    put16(body, 0xE000u | pcr_pid);
    put_length12(body, program_info.size());
    put_bytes(body, program_info);
    for (const PmtStream& stream : streams) {
        body.push_back(stream.streamType);
        put16(body, 0xE000u | stream.pid);
        put_length12(body, stream.descriptors.size());
        put_bytes(body, stream.descriptors);
    }
    return long_section(0x02, program_number, version, 0, 0, body);
}

Bytes nit_section(std::uint16_t network_id, std::uint8_t version,
                  const std::vector<NitStream>& streams, const Bytes& network_descriptors) {
    Bytes loop;
    for (const NitStream& stream : streams) {
        put16(loop, stream.transportStreamId);
        put16(loop, stream.originalNetworkId);
        put_length12(loop, stream.descriptors.size());
        put_bytes(loop, stream.descriptors);
    }
    Bytes body;
    put_length12(body, network_descriptors.size());
    put_bytes(body, network_descriptors);
    put_length12(body, loop.size());
    put_bytes(body, loop);
    return long_section(0x40, network_id, version, 0, 0, body);
}

Bytes sdt_section(std::uint16_t transport_stream_id, std::uint16_t original_network_id,
                  std::uint8_t version, const std::vector<SdtService>& services,
                  std::uint8_t table_id) {
    Bytes body;
    put16(body, original_network_id);
    body.push_back(0xFF);
    for (const SdtService& service : services) {
        put16(body, service.serviceId);
        body.push_back(0xFF);  // EIT flags
        put16(body, 0x8000u | (static_cast<unsigned>(service.descriptors.size()) & 0x0FFFu));
        put_bytes(body, service.descriptors);
    }
    return long_section(table_id, transport_stream_id, version, 0, 0, body);
}

Bytes eit_pf_section(const EitHeader& header, const std::optional<EitEvent>& event) {
    Bytes body;
    put16(body, header.transportStreamId);
    put16(body, header.originalNetworkId);
    body.push_back(1);  // segment_last_section_number
    body.push_back(header.tableId);
    if (event) {
        put16(body, event->eventId);
        put_bytes(body, event->start);
        put_bytes(body, event->duration);
        put16(body, static_cast<unsigned>(event->runningStatus & 7) << 13 |
                        (static_cast<unsigned>(event->descriptors.size()) & 0x0FFFu));
        put_bytes(body, event->descriptors);
    }
    return long_section(header.tableId, header.serviceId, header.version, header.sectionNumber, 1,
                        body);
}

Bytes sit_section(std::uint8_t version, const Bytes& transmission_descriptors,
                  const std::vector<SitService>& services) {
    Bytes body;
    put_length12(body, transmission_descriptors.size());
    put_bytes(body, transmission_descriptors);
    for (const SitService& service : services) {
        put16(body, service.serviceId);
        put16(body, 0x8000u | static_cast<unsigned>(service.runningStatus & 7) << 12 |
                        (static_cast<unsigned>(service.descriptors.size()) & 0x0FFFu));
        put_bytes(body, service.descriptors);
    }
    return long_section(0x7F, 0xFFFF, version, 0, 0, body);
}

Bytes descriptor(std::uint8_t tag, std::span<const std::uint8_t> body) {
    Bytes out{tag, static_cast<std::uint8_t>(body.size())};
    put_bytes(out, body);
    return out;
}

Bytes concat(std::initializer_list<Bytes> pieces) {
    Bytes out;
    for (const Bytes& piece : pieces) put_bytes(out, piece);
    return out;
}

Bytes ts_information_descriptor(std::uint8_t remote_control_key_id, const Bytes& ts_name,
                                const std::vector<TransmissionType>& types) {
    Bytes body{remote_control_key_id,
               static_cast<std::uint8_t>((ts_name.size() & 0x3F) << 2 | (types.size() & 3))};
    put_bytes(body, ts_name);
    for (const TransmissionType& type : types) {
        body.push_back(type.type);
        body.push_back(static_cast<std::uint8_t>(type.serviceIds.size()));
        for (const std::uint16_t id : type.serviceIds) put16(body, id);
    }
    return descriptor(0xCD, body);
}

Bytes service_descriptor(std::uint8_t service_type, const Bytes& provider_name,
                         const Bytes& service_name) {
    Bytes body{service_type, static_cast<std::uint8_t>(provider_name.size())};
    put_bytes(body, provider_name);
    body.push_back(static_cast<std::uint8_t>(service_name.size()));
    put_bytes(body, service_name);
    return descriptor(0x48, body);
}

Bytes short_event_descriptor(const Bytes& event_name, const Bytes& text,
                             std::string_view language) {
    Bytes body;
    put_language(body, language);
    body.push_back(static_cast<std::uint8_t>(event_name.size()));
    put_bytes(body, event_name);
    body.push_back(static_cast<std::uint8_t>(text.size()));
    put_bytes(body, text);
    return descriptor(0x4D, body);
}

Bytes extended_event_descriptor(std::uint8_t number, std::uint8_t last_number,
                                const std::vector<ExtendedItem>& items, const Bytes& text,
                                std::string_view language) {
    Bytes item_bytes;
    for (const ExtendedItem& item : items) {
        item_bytes.push_back(static_cast<std::uint8_t>(item.description.size()));
        put_bytes(item_bytes, item.description);
        item_bytes.push_back(static_cast<std::uint8_t>(item.text.size()));
        put_bytes(item_bytes, item.text);
    }
    Bytes body{static_cast<std::uint8_t>((number & 0x0F) << 4 | (last_number & 0x0F))};
    put_language(body, language);
    body.push_back(static_cast<std::uint8_t>(item_bytes.size()));
    put_bytes(body, item_bytes);
    body.push_back(static_cast<std::uint8_t>(text.size()));
    put_bytes(body, text);
    return descriptor(0x4E, body);
}

Bytes component_descriptor(std::uint8_t stream_content, std::uint8_t component_type,
                           std::uint8_t component_tag, const Bytes& text,
                           std::string_view language) {
    Bytes body{static_cast<std::uint8_t>(0xF0 | (stream_content & 0x0F)), component_type,
               component_tag};
    put_language(body, language);
    put_bytes(body, text);
    return descriptor(0x50, body);
}

Bytes audio_component_descriptor(std::uint8_t component_type, std::uint8_t quality_indicator,
                                 std::uint8_t sampling_rate, std::uint8_t component_tag,
                                 const Bytes& text, std::string_view language) {
    Bytes body{0xF2,  // stream_content 2: audio
               component_type,
               component_tag,
               0x0F,  // stream_type: AAC
               0xFF,  // simulcast_group_tag: none
               static_cast<std::uint8_t>(0x40 | (quality_indicator & 3) << 4 |
                                         (sampling_rate & 7) << 1 | 1)};  // main component
    put_language(body, language);
    put_bytes(body, text);
    return descriptor(0xC4, body);
}

Bytes content_descriptor(const std::vector<std::pair<std::uint8_t, std::uint8_t>>& genres) {
    Bytes body;
    for (const auto& [level1, level2] : genres) {
        body.push_back(static_cast<std::uint8_t>((level1 & 0x0F) << 4 | (level2 & 0x0F)));
        body.push_back(0xFF);
    }
    return descriptor(0x54, body);
}

Bytes network_identification_descriptor(std::uint16_t network_id, std::uint16_t media_type) {
    Bytes body{'j', 'p', 'n'};
    put16(body, media_type);
    put16(body, network_id);
    return descriptor(0xC2, body);
}

Bytes partial_ts_time_descriptor(const std::array<std::uint8_t, 5>& start,
                                 const std::array<std::uint8_t, 3>& duration,
                                 std::uint8_t event_version) {
    Bytes body{event_version};
    put_bytes(body, start);
    put_bytes(body, duration);
    put_bytes(body, std::array<std::uint8_t, 3>{0, 0, 0});  // offset
    body.push_back(0xF8);  // reserved, no offset flag, no other descriptors, no JST time
    return descriptor(0xC3, body);
}

Bytes ts_packet(std::uint16_t pid, std::uint8_t counter, bool unit_start,
                std::span<const std::uint8_t> payload, int adaptation_length) {
    Bytes packet(kPacketSize, 0xFF);
    packet[0] = kSyncByte;
    packet[1] = static_cast<std::uint8_t>((unit_start ? 0x40 : 0) | (pid >> 8 & 0x1F));
    packet[2] = static_cast<std::uint8_t>(pid);
    std::size_t at = 4;
    std::uint8_t control = 0x10;  // payload only
    if (adaptation_length >= 0) {
        control = payload.empty() ? 0x20 : 0x30;
        const auto length = std::min<std::size_t>(static_cast<std::size_t>(adaptation_length), 183);
        packet[4] = static_cast<std::uint8_t>(length);
        if (length > 0) packet[5] = 0x00;  // no flags; the rest is stuffing
        at = 5 + length;
    }
    packet[3] = static_cast<std::uint8_t>(control | (counter & 0x0F));
    const std::size_t count = std::min(payload.size(), kPacketSize - std::min(at, kPacketSize));
    std::copy_n(payload.begin(), count, packet.begin() + static_cast<std::ptrdiff_t>(at));
    return packet;
}

StreamBuilder::StreamBuilder(int unit_size, std::uint32_t seed)
    : unitSize_(unit_size), state_(seed == 0 ? 1 : seed) {}

std::uint8_t StreamBuilder::random_byte() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<std::uint8_t>(state_ >> 24);
}

std::uint8_t StreamBuilder::next_counter(std::uint16_t pid) {
    std::uint8_t& counter = counters_[pid & 0x1FFF];
    const std::uint8_t current = counter;
    counter = static_cast<std::uint8_t>((counter + 1) & 0x0F);
    return current;
}

void StreamBuilder::add_packet(std::span<const std::uint8_t> packet) {
    // Prefix and suffix bytes never hold a sync byte, so that the unit size
    // shows clearly; payloads may.
    auto filler = [this] {
        const std::uint8_t byte = random_byte();
        return byte == kSyncByte ? std::uint8_t{0} : byte;
    };
    if (unitSize_ == 192)
        for (int i = 0; i < 4; ++i) bytes_.push_back(filler());
    const std::size_t count = std::min(packet.size(), kPacketSize);
    bytes_.insert(bytes_.end(), packet.begin(),
                  packet.begin() + static_cast<std::ptrdiff_t>(count));
    bytes_.insert(bytes_.end(), kPacketSize - count, 0xFF);
    if (unitSize_ == 204)
        for (int i = 0; i < 16; ++i) bytes_.push_back(filler());
    ++packets_;
}

std::size_t StreamBuilder::add_sections(std::uint16_t pid, const std::vector<Bytes>& sections) {
    Bytes data;
    std::vector<std::size_t> starts;
    for (const Bytes& section : sections) {
        starts.push_back(data.size());
        put_bytes(data, section);
    }
    std::size_t written = 0;
    std::size_t at = 0;
    std::size_t next_start = 0;  // index into starts
    while (at < data.size()) {
        while (next_start < starts.size() && starts[next_start] < at) ++next_start;
        const bool start_here =
            next_start < starts.size() && starts[next_start] < at + kPayloadBytes - 1;
        const bool start_at_edge =
            next_start < starts.size() && starts[next_start] == at + kPayloadBytes - 1;
        Bytes payload;
        Bytes packet;
        if (start_here) {
            // The pointer field says where the first new section begins.
            payload.push_back(static_cast<std::uint8_t>(starts[next_start] - at));
            const std::size_t count = std::min(kPayloadBytes - 1, data.size() - at);
            payload.insert(payload.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                           data.begin() + static_cast<std::ptrdiff_t>(at + count));
            packet = ts_packet(pid, next_counter(pid), true, payload);
            at += count;
        } else if (start_at_edge) {
            // A section would start in the last byte of a packet without a pointer
            // field: an empty adaptation field moves it into the next packet.
            payload.assign(data.begin() + static_cast<std::ptrdiff_t>(at),
                           data.begin() + static_cast<std::ptrdiff_t>(at + kPayloadBytes - 1));
            packet = ts_packet(pid, next_counter(pid), false, payload, 0);
            at += kPayloadBytes - 1;
        } else {
            const std::size_t count = std::min(kPayloadBytes, data.size() - at);
            payload.assign(data.begin() + static_cast<std::ptrdiff_t>(at),
                           data.begin() + static_cast<std::ptrdiff_t>(at + count));
            packet = ts_packet(pid, next_counter(pid), false, payload);
            at += count;
        }
        add_packet(packet);
        ++written;
    }
    return written;
}

void StreamBuilder::add_video_packets(std::uint16_t pid, std::size_t count) {
    Bytes packet(kPacketSize);
    for (std::size_t i = 0; i < count; ++i) {
        packet[0] = kSyncByte;
        packet[1] = static_cast<std::uint8_t>(pid >> 8 & 0x1F);
        packet[2] = static_cast<std::uint8_t>(pid);
        packet[3] = static_cast<std::uint8_t>(0x10 | next_counter(pid));
        for (std::size_t at = 4; at < kPacketSize; ++at) packet[at] = random_byte();
        add_packet(packet);
    }
}

void StreamBuilder::add_mix(std::uint16_t video_pid, std::size_t count, int video_percent) {
    int share = 0;
    for (std::size_t i = 0; i < count; ++i) {
        share += video_percent;
        if (share >= 100) {
            share -= 100;
            add_video_packets(video_pid, 1);
        } else {
            add_video_packets(kNullPacketPid, 1);
        }
    }
}

void StreamBuilder::add_garbage(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) bytes_.push_back(random_byte());
}

bool write_file(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

}  // namespace kalvento::test
