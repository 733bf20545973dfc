#include "ts/section_dispatch.h"

#include "ts/byte_reader.h"
#include "ts/crc32.h"
#include "ts/event_tables.h"

namespace kalvento {
namespace {

constexpr std::size_t kMinDispatchBytes = 4;
constexpr std::size_t kHeaderBytes = 3;  // table_id and the 12-bit section_length
constexpr std::uint8_t kStuffingByte = 0xFF;

void handle_section(std::span<const std::uint8_t> section, std::uint16_t pid, TableState& state) {
    switch (pid) {
        case kPatPid:
            handle_pat(section, state);
            break;
        case kNitPid:
            handle_nit(section, state);
            break;
        case kSdtPid:
            handle_sdt(section, state);
            break;
        case kEitPid:
            handle_eit(section, state);
            break;
        case kSitPid:
            handle_sit(section, state);
            break;
        default:
            handle_pmt(section, pid, state);
            break;
    }
}

}  // namespace

void dispatch_section(SectionBuffer& buffer, std::uint16_t pid, TableState& state) {
    for (;;) {
        const std::span<const std::uint8_t> bytes = buffer.bytes();
        if (bytes.size() < kMinDispatchBytes) return;
        ByteReader header(bytes);
        header.skip(1);  // table_id
        const std::size_t section_bytes = header.u12() + kHeaderBytes;
        if (bytes.size() < section_bytes) return;  // wait for the next packets

        const std::span<const std::uint8_t> section = bytes.first(section_bytes);
        if (crc32_mpeg2(section) != 0) {
            buffer.reset();
            return;
        }
        handle_section(section, pid, state);

        if (bytes.size() == section_bytes || bytes[section_bytes] == kStuffingByte) {
            buffer.reset();
            return;
        }
        buffer.drop_front(section_bytes);  // the next section of the same payload
    }
}

}  // namespace kalvento
