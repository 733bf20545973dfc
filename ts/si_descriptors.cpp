#include "ts/si_descriptors.h"

#include "ts/crc32.h"

namespace kalvento {
namespace {
constexpr std::size_t kVersionByte = 5;
}  // namespace

ByteReader section_body(std::span<const std::uint8_t> section) {
    if (section.size() < kCrcBytes) return ByteReader{};
    return ByteReader(section.first(section.size() - kCrcBytes));
}

std::uint8_t section_version(std::span<const std::uint8_t> section) {
    if (section.size() <= kVersionByte) return 0;
    return static_cast<std::uint8_t>((section[kVersionByte] >> 1) & 0x1F);
}

std::optional<Descriptor> next_descriptor(ByteReader& loop) {
    if (loop.remaining() == 0) return std::nullopt;
    Descriptor descriptor;
    descriptor.tag = loop.u8();
    const std::uint8_t length = loop.u8();
    descriptor.body = loop.take(length);
    if (!loop.ok()) return std::nullopt;
    return descriptor;
}

std::optional<ByteReader> find_descriptor(ByteReader loop, std::uint8_t tag) {
    while (auto descriptor = next_descriptor(loop))
        if (descriptor->tag == tag) return descriptor->body;
    return std::nullopt;
}

std::optional<ServiceDescriptorNames> read_service_descriptor(ByteReader body) {
    body.skip(1);  // service_type
    ServiceDescriptorNames names;
    names.provider = body.bytes(body.u8());
    names.service = body.bytes(body.u8());
    if (!body.ok()) return std::nullopt;
    return names;
}

void store_text(std::vector<std::uint8_t>& field, std::span<const std::uint8_t> text,
                std::size_t max_bytes) {
    const std::size_t count = text.size() < max_bytes ? text.size() : max_bytes;
    field.assign(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(count));
}

}  // namespace kalvento
