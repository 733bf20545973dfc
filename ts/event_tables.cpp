#include "ts/event_tables.h"

#include "ts/si_descriptors.h"

#include <algorithm>

namespace kalvento {
namespace {

constexpr std::uint8_t kEitActualPfTableId = 0x4E;
constexpr std::uint8_t kEitOtherPfTableId = 0x4F;
constexpr std::uint8_t kSitTableId = 0x7F;
// section_length of an EIT section that carries at least its header and one
// event header: anything shorter holds no event.
constexpr std::size_t kMinEitSectionLength = 16;

// Appends a copy of the last snapshot in which every programme numbered
// `program_number` is given `assign(program)`, and every count starts again from 0.
template <typename Assign>
void append_changed_snapshot(TableState& state, std::uint16_t program_number, Assign assign) {
    Snapshot copy = state.snapshots.back();
    for (ProgramEntry& program : copy.programs) {
        if (program.programNumber == program_number) assign(program);
        program.videoPackets = 0;
    }
    append_snapshot(state, std::move(copy));
}

ProgramEntry* first_program(TableState& state, std::uint16_t program_number) {
    if (state.snapshots.empty()) return nullptr;
    auto& programs = state.snapshots.back().programs;
    auto found = std::find_if(programs.begin(), programs.end(), [&](const ProgramEntry& program) {
        return program.programNumber == program_number;
    });
    return found == programs.end() ? nullptr : &*found;
}

}  // namespace

void handle_eit(std::span<const std::uint8_t> section, TableState& state) {
    ByteReader reader = section_body(section);
    const std::uint8_t table_id = reader.u8();
    if (table_id != kEitActualPfTableId && table_id != kEitOtherPfTableId) return;
    reader.skip(2);  // section_length
    const std::uint16_t service_id = reader.u16();
    reader.skip(1);  // version
    const std::uint8_t section_number = reader.u8();
    reader.skip(1);  // last_section_number
    const std::uint16_t transport_stream_id = reader.u16();
    const std::uint16_t original_network_id = reader.u16();
    if (!reader.ok()) return;

    const int index = state.services.find_or_add(service_id, network_kind_of(original_network_id));
    if (index == ServiceTable::kFull || section.size() - 3 < kMinEitSectionLength) return;
    ServiceRecord& record = state.services[static_cast<std::size_t>(index)];
    record.transportStreamId = transport_stream_id;
    record.originalNetworkId = original_network_id;
    // Only the present event is used; the following one (section 1) is not.
    if (section_number != 0) return;
    record.presentEventSection.assign(section.begin(), section.end());

    ProgramEntry* program = first_program(state, service_id);
    if (program == nullptr) return;
    if (program->presentEventSection.empty()) {
        if (charge_snapshot_bytes(state, record.presentEventSection.size()))
            program->presentEventSection = record.presentEventSection;
    } else if (section_version(program->presentEventSection) != section_version(section)) {
        append_changed_snapshot(state, service_id, [&](ProgramEntry& changed) {
            changed.presentEventSection = record.presentEventSection;
        });
    }
}

void handle_sit(std::span<const std::uint8_t> section, TableState& state) {
    ByteReader reader = section_body(section);
    if (reader.u8() != kSitTableId) return;
    reader.skip(7);  // section_length .. last_section_number

    std::uint8_t kind = 0;
    if (std::optional<ByteReader> network =
            find_descriptor(reader.take_up_to(reader.u12()), kNetworkIdentificationDescriptorTag)) {
        network->skip(5);  // country_code, media_type
        const std::uint16_t network_id = network->u16();
        // The SIT names the network by the low byte of its identifier.
        if (network->ok()) kind = network_kind_of(network_id & 0xFF);
    }

    // Only the first service entry is read: a partial stream carries one service.
    const std::uint16_t service_id = reader.u16();
    ByteReader service_loop = reader.take_up_to(reader.u12());
    if (!reader.ok()) return;
    const int index = state.services.find_or_add(service_id, kind);
    if (index == ServiceTable::kFull) return;
    ServiceRecord& record = state.services[static_cast<std::size_t>(index)];
    SitEvent& event = record.sitEvent;
    event.serviceId = service_id;

    const std::span<const std::uint8_t> loop_bytes =
        ByteReader(service_loop).bytes(service_loop.remaining());
    while (std::optional<Descriptor> descriptor = next_descriptor(service_loop)) {
        ByteReader& body = descriptor->body;
        if (descriptor->tag == kPartialTsTimeDescriptorTag) {
            body.skip(1);  // event_version_number
            const auto start = body.bytes(event.start.size());
            if (body.ok()) std::copy(start.begin(), start.end(), event.start.begin());
            const auto duration = body.bytes(event.duration.size());
            if (body.ok()) std::copy(duration.begin(), duration.end(), event.duration.begin());
        } else if (descriptor->tag == kServiceDescriptorTag) {
            std::optional<ServiceDescriptorNames> names = read_service_descriptor(body);
            if (names && (!names->provider.empty() || !names->service.empty()))
                store_text(record.serviceName, names->service, kServiceNameMax);
        }
    }

    // A start of 0 means no time descriptor has been seen for this service yet.
    if (event.start[0] == 0) return;
    event.descriptors.assign(loop_bytes.begin(), loop_bytes.end());

    ProgramEntry* program = first_program(state, service_id);
    if (program == nullptr) return;
    if (!program->sitEvent.present()) {
        if (charge_snapshot_bytes(state, event.descriptors.size())) program->sitEvent = event;
    } else if (program->sitEvent.start != event.start) {
        append_changed_snapshot(state, service_id,
                                [&](ProgramEntry& changed) { changed.sitEvent = event; });
    }
}

}  // namespace kalvento
