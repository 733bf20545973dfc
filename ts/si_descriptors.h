// Pieces shared by the table handlers: the body of a section, descriptor loops
// and the service descriptor.
#pragma once

#include "ts/byte_reader.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kalvento {

inline constexpr std::uint8_t kServiceDescriptorTag = 0x48;
inline constexpr std::uint8_t kNetworkIdentificationDescriptorTag = 0xC2;
inline constexpr std::uint8_t kPartialTsTimeDescriptorTag = 0xC3;
inline constexpr std::uint8_t kTsInformationDescriptorTag = 0xCD;

// A reader over a section without its 4-byte CRC, so that no loop reads into it.
ByteReader section_body(std::span<const std::uint8_t> section);

// bits 1..5 of byte 5 of a section with the long header.
std::uint8_t section_version(std::span<const std::uint8_t> section);

// One descriptor of a loop: its tag and a reader over its body.
struct Descriptor {
    std::uint8_t tag = 0;
    ByteReader body;
};

// Reads the next descriptor of a loop. Returns nullopt at the end of the loop
// and when the descriptor's length runs past it (the loop is then failed, so
// the walk ends there).
std::optional<Descriptor> next_descriptor(ByteReader& loop);

// The body of the first descriptor with `tag` in the loop, nullopt if none.
std::optional<ByteReader> find_descriptor(ByteReader loop, std::uint8_t tag);

// The names of a service descriptor (0x48); nullopt when its lengths run past it.
struct ServiceDescriptorNames {
    std::span<const std::uint8_t> provider;
    std::span<const std::uint8_t> service;
};
std::optional<ServiceDescriptorNames> read_service_descriptor(ByteReader body);

// Stores raw text in a record field, cut at the field size.
void store_text(std::vector<std::uint8_t>& field, std::span<const std::uint8_t> text,
                std::size_t max_bytes);

}  // namespace kalvento
