// Folders named where recordings are expected, by the command line, the
// watcher and a drop on the window: the recordings directly inside (or,
// recursively, below) take the folder's place, sorted by name.
//
// One rule for every front end:
// - hidden entries (names starting with ".") are passed over, files and
//   folders alike;
// - a symbolic link that leads to a regular file is taken like the file (people
//   link recordings into folders); renaming it renames the link, never its
//   target;
// - a symbolic link to a folder is never entered, so a walk cannot loop or
//   reach a recording twice through another path;
// - anything named directly (not found in a folder) is taken as given.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// Extensions of the recordings a folder offers, compared without regard to
// ASCII case (recorders on FAT shares write ".TS").
inline constexpr std::array<std::string_view, 3> kRecordingExtensions = {".ts", ".m2ts", ".mts"};

// A visible name (not starting with ".") with one of the extensions above
// and something before it.
bool is_recording_name(std::string_view name);

struct RecordingArgument {
    std::string path;   // a recording, or the argument as given when it is no folder
    std::string error;  // a folder that could not be read: why; `path` is the folder
};

// Every argument that is a folder becomes the recordings in it, in byte order
// of their names; with `recursive` the subfolders' recordings follow at the
// subfolder's place. Any other argument stays as it is, in its place.
std::vector<RecordingArgument> expand_recording_arguments(const std::vector<std::string>& arguments,
                                                          bool recursive);

// What a drop on the window adds: the dropped paths expanded as above without
// subfolders. A folder that cannot be read adds nothing.
std::vector<std::string> expand_dropped_paths(const std::vector<std::string>& dropped);

}  // namespace kalvento
