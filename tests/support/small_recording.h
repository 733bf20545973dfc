// Small recordings of one programme for end-to-end tests of the job list and
// the command-line tool: a few hundred packets, tables repeated often enough
// that any analysis window finds them.
#pragma once

#include "tests/support/ts_builder.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace kalvento::test {

struct SmallRecording {
    std::string_view eventName;         // UTF-8; encoded as ARIB text
    std::string_view description = "";  // UTF-8; "\r" becomes a broadcast line break
    std::array<std::uint8_t, 5> start = mjd_time(2024, 4, 7, 21, 0);  // a Sunday
    std::array<std::uint8_t, 3> duration = bcd_duration(0, 54);
    std::uint32_t seed = 1;  // different seeds give different payload bytes
    std::size_t packets = 400;
};

// Terrestrial service 1024 ("カルヴェントテレビ") on air with the one event.
Bytes small_recording(const SmallRecording& recording);

// Writes it; false on failure.
bool write_small_recording(const std::filesystem::path& path, const SmallRecording& recording);

}  // namespace kalvento::test
