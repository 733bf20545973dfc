// Paths of a job-list entry: the split into directory and name, the CP932
// texts shown for a native path, and a new entry for a recording on disk.
#pragma once

#include "naming/file_entry.h"

#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// The directory part of a path including its trailing '/', and the name after
// it. '/' is never the trail byte of a CP932 character, so the split works on
// CP932 and UTF-8 paths alike.
struct SplitPath {
    std::string directory;  // empty for a bare name
    std::string name;
};
SplitPath split_path(std::string_view path);

// The extension of a file name with its dot ("rec.ts" -> ".ts"), empty when
// the name holds no dot. A name made only of an extension (".ts") has one too.
std::string_view extension_of(std::string_view name);

// The CP932 text shown for a native (UTF-8) path. Characters CP932 lacks become
// blanks and bytes that are not UTF-8 become '?': the text is for display and
// composition only, the file itself is always reached through its native path.
std::string cp932_for_display(std::string_view native_path);

// True when the native path has an exact CP932 form, so that the texts of an
// entry name the file without loss.
bool has_exact_cp932_form(std::string_view native_path);

// A fresh entry for the recording at `native_path` with its candidates; the
// first candidate is selected and nothing is composed yet.
FileEntry make_file_entry(const std::string& native_path, std::vector<ProgramInfo> candidates);

}  // namespace kalvento
