#include "ts/psi_tables.h"

#include "ts/si_descriptors.h"

namespace kalvento {
namespace {

constexpr std::uint8_t kPatTableId = 0x00;
constexpr std::uint8_t kPmtTableId = 0x02;
constexpr std::uint8_t kNitActualTableId = 0x40;
constexpr std::uint8_t kSdtActualTableId = 0x42;
constexpr std::uint8_t kSdtOtherTableId = 0x46;

std::size_t snapshot_bytes(const Snapshot& snapshot) {
    std::size_t bytes = sizeof(Snapshot);
    for (const ProgramEntry& program : snapshot.programs)
        bytes += sizeof(ProgramEntry) + program.presentEventSection.size() +
                 program.sitEvent.descriptors.size();
    return bytes;
}

}  // namespace

bool append_snapshot(TableState& state, Snapshot&& snapshot) {
    const std::size_t bytes = snapshot_bytes(snapshot);
    if (state.snapshots.size() >= kMaxSnapshots || bytes > kMaxSnapshotBytes - state.snapshotBytes)
        return false;
    state.snapshots.push_back(std::move(snapshot));
    state.snapshotBytes += bytes;
    return true;
}

bool charge_snapshot_bytes(TableState& state, std::size_t bytes) {
    if (bytes > kMaxSnapshotBytes - state.snapshotBytes) return false;
    state.snapshotBytes += bytes;
    return true;
}

void handle_pat(std::span<const std::uint8_t> section, TableState& state) {
    ByteReader reader = section_body(section);
    if (reader.u8() != kPatTableId) return;
    reader.skip(4);  // section_length, transport_stream_id
    const auto version = static_cast<std::uint8_t>((reader.u8() >> 1) & 0x1F);
    reader.skip(2);  // section_number, last_section_number
    if (!reader.ok()) return;
    if (!state.snapshots.empty() && state.snapshots.back().patVersion == version) return;

    Snapshot snapshot;
    snapshot.patVersion = version;
    while (reader.remaining() >= 4) {
        const std::uint16_t program_number = reader.u16();
        const std::uint16_t pid = reader.u13();
        // Number 0 names the network PID; the one-segment service is not a programme here.
        if (program_number == 0 || pid == kOneSegPmtPid) continue;
        ProgramEntry program;
        program.programNumber = program_number;
        program.pmtPid = pid;
        snapshot.programs.push_back(std::move(program));
    }
    append_snapshot(state, std::move(snapshot));
}

void handle_pmt(std::span<const std::uint8_t> section, std::uint16_t pid, TableState& state) {
    ByteReader reader = section_body(section);
    if (reader.u8() != kPmtTableId) return;
    reader.skip(9);             // section_length .. PCR_PID
    reader.skip(reader.u12());  // programme-info descriptors

    std::uint16_t video_pid = 0;
    while (reader.remaining() >= 5) {
        const std::uint8_t stream_type = reader.u8();
        const std::uint16_t elementary_pid = reader.u13();
        const std::uint16_t es_info_length = reader.u12();
        if (stream_type == kMpeg2VideoStreamType) {
            video_pid = elementary_pid;
            break;
        }
        reader.skip(es_info_length);
    }
    if (video_pid == 0 || state.snapshots.empty()) return;
    for (ProgramEntry& program : state.snapshots.back().programs) {
        if (program.pmtPid == pid) {
            program.videoPid = video_pid;
            return;
        }
    }
}

void handle_nit(std::span<const std::uint8_t> section, TableState& state) {
    ByteReader reader = section_body(section);
    if (reader.u8() != kNitActualTableId) return;
    reader.skip(2);  // section_length
    const std::uint8_t kind = network_kind_of(reader.u16());
    reader.skip(3);             // version, section_number, last_section_number
    reader.skip(reader.u12());  // network descriptors
    ByteReader streams = reader.take_up_to(reader.u12());

    while (streams.remaining() >= 6) {
        streams.skip(4);  // transport_stream_id, original_network_id
        std::optional<ByteReader> info =
            find_descriptor(streams.take_up_to(streams.u12()), kTsInformationDescriptorTag);
        if (!info) continue;
        const std::uint8_t remote_control_key = info->u8();
        const std::uint8_t name_and_count = info->u8();
        const std::span<const std::uint8_t> ts_name = info->bytes(name_and_count >> 2);
        if (!info->ok()) continue;
        const int transmission_types = name_and_count & 0x03;
        for (int type = 0; type < transmission_types; ++type) {
            info->skip(1);  // transmission_type_info
            const std::uint8_t services = info->u8();
            for (int i = 0; i < services && info->ok(); ++i) {
                const std::uint16_t service_id = info->u16();
                if (!info->ok()) break;
                const int index = state.services.find(service_id, kind);
                if (index < 0) continue;
                ServiceRecord& record = state.services[static_cast<std::size_t>(index)];
                record.remoteControlKeyId = remote_control_key;
                store_text(record.tsName, ts_name, kTsNameMax);
            }
        }
    }
}

void handle_sdt(std::span<const std::uint8_t> section, TableState& state) {
    ByteReader reader = section_body(section);
    const std::uint8_t table_id = reader.u8();
    if (table_id != kSdtActualTableId && table_id != kSdtOtherTableId) return;
    reader.skip(7);  // section_length .. last_section_number
    const std::uint8_t kind = network_kind_of(reader.u16());
    reader.skip(1);  // reserved_future_use

    while (reader.remaining() >= 5) {
        const std::uint16_t service_id = reader.u16();
        reader.skip(1);  // EIT flags
        std::optional<ByteReader> descriptor =
            find_descriptor(reader.take_up_to(reader.u12()), kServiceDescriptorTag);
        if (!descriptor) continue;
        std::optional<ServiceDescriptorNames> names = read_service_descriptor(*descriptor);
        if (!names || (names->provider.empty() && names->service.empty())) continue;
        const int index = state.services.find_or_add(service_id, kind);
        if (index == ServiceTable::kFull) continue;
        store_text(state.services[static_cast<std::size_t>(index)].serviceName, names->service,
                   kServiceNameMax);
    }
}

}  // namespace kalvento
