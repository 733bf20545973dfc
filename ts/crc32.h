// CRC-32/MPEG-2 of PSI/SI sections.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kalvento {

// The CRC field that ends every section protected by one.
inline constexpr std::size_t kCrcBytes = 4;

// Polynomial 0x04C11DB7, initial value 0xFFFFFFFF, no reflection, no final XOR.
// A section is intact when the CRC over all its bytes, its CRC field included, is 0.
std::uint32_t crc32_mpeg2(std::span<const std::uint8_t> bytes);

}  // namespace kalvento
