#include "ts/crc32.h"

#include <array>
#include <cstddef>

namespace kalvento {
namespace {

constexpr std::uint32_t kPolynomial = 0x04C11DB7;
constexpr std::size_t kSlices = 8;

// kTables[0] is the standard byte table; kTables[k][i] is the CRC of byte i
// followed by k zero bytes, so eight bytes can be folded in at once.
constexpr std::array<std::array<std::uint32_t, 256>, kSlices> make_tables() {
    std::array<std::array<std::uint32_t, 256>, kSlices> tables{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 0x80000000u) ? (value << 1) ^ kPolynomial : value << 1;
        tables[0][i] = value;
    }
    for (std::size_t k = 1; k < kSlices; ++k)
        for (std::size_t i = 0; i < 256; ++i)
            tables[k][i] = (tables[k - 1][i] << 8) ^ tables[0][tables[k - 1][i] >> 24];
    return tables;
}

constexpr auto kTables = make_tables();

}  // namespace

std::uint32_t crc32_mpeg2(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    // Sections run through here on every repetition of the tables, so the
    // bulk goes eight bytes at a time.
    for (; left >= kSlices; left -= kSlices, p += kSlices) {
        const std::uint32_t high = crc ^ (std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 |
                                          std::uint32_t{p[2]} << 8 | p[3]);
        crc = kTables[7][high >> 24] ^ kTables[6][(high >> 16) & 0xFF] ^
              kTables[5][(high >> 8) & 0xFF] ^ kTables[4][high & 0xFF] ^ kTables[3][p[4]] ^
              kTables[2][p[5]] ^ kTables[1][p[6]] ^ kTables[0][p[7]];
    }
    for (; left > 0; --left, ++p) crc = (crc << 8) ^ kTables[0][((crc >> 24) ^ *p) & 0xFF];
    return crc;
}

}  // namespace kalvento
