// Small recordings of one programme for end-to-end tests of the job list and
// the command-line tool: a few hundred packets, tables repeated often enough
// that any analysis window finds them.
#pragma once

#include "tests/support/ts_builder.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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

// The folder on which every front end's folder expansion is tried, written
// below `root`: "in" holds the recordings a.ts, b.M2TS and c.mts (of
// `recording`), a hidden .f.ts, notes.txt, link.ts (a symbolic link to
// "elsewhere/linked.ts", a recording of 朝のニュース), a dangling link gone.ts,
// a folder named x.ts, the subfolder "sub" with d.ts and a hidden folder with
// e.ts, and z-link, a symbolic link to "sub". `flat` and `recursive` are what
// expanding "in" gives, in order.
struct RecordingFolder {
    std::string folder;  // root/in
    std::vector<std::string> flat;
    std::vector<std::string> recursive;
};
RecordingFolder write_recording_folder(const std::filesystem::path& root,
                                       const SmallRecording& recording);

}  // namespace kalvento::test
