// Folders named where recordings are expected: the recordings directly inside
// (or, recursively, below) take the folder's place, sorted by name.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// Extensions of the recordings a folder offers, compared without regard to
// ASCII case (recorders on FAT shares write ".TS").
inline constexpr std::array<std::string_view, 3> kRecordingExtensions = {".ts", ".m2ts", ".mts"};

// A visible name (not starting with ".") with one of the extensions above.
bool is_recording_name(std::string_view name);

struct RecordingArgument {
    std::string path;   // a recording, or the argument as given when it is no folder
    std::string error;  // a folder that could not be read: why; `path` is the folder
};

// Every argument that is a folder becomes the recordings in it (regular files
// only: symbolic links, hidden entries and other files are passed over), in
// byte order of their names; with `recursive` the subfolders' recordings
// follow at the subfolder's place (hidden folders and links to folders are not
// entered). Any other argument stays as it is, in its place.
std::vector<RecordingArgument> expand_recording_arguments(const std::vector<std::string>& arguments,
                                                          bool recursive);

}  // namespace kalvento
