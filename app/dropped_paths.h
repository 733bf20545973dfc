// What a drop on the window adds: every dropped file as it is, and for a
// dropped folder the recordings directly inside it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// The extensions of recordings taken from a dropped folder, compared without
// regard to ASCII case.
inline constexpr std::string_view kRecordingExtensions[] = {".ts", ".m2ts", ".mts"};

// True when the file name ends in one of kRecordingExtensions.
bool has_recording_extension(std::string_view name);

// The paths to add for the dropped native paths, in drop order: a folder
// gives the files directly inside it whose names end in a recording extension
// (no subfolders), sorted by name byte for byte; anything else is taken as
// given, so the analysis decides what a file yields.
std::vector<std::string> expand_dropped_paths(const std::vector<std::string>& dropped);

}  // namespace kalvento
