// Composing the new name of a job-list entry: from the first rename rule that
// accepts the programme, or from four chosen items joined by five separators;
// then the recording's extension and the full-width forms of the characters a
// file name must not hold. The row texts of the list come back as data, so the
// window only displays them.
#pragma once

#include "naming/file_entry.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>

namespace kalvento {

inline constexpr std::size_t kNameItemCount = 4;
inline constexpr std::size_t kNameSeparatorCount = 5;
inline constexpr std::size_t kNameSeparatorMax = 255;  // bytes per separator
// The composed name lives in a 512-byte buffer with its terminating NUL.
inline constexpr std::size_t kComposedNameMax = 511;
// A new path longer than this marks the entry tooLong. It is counted in CP932
// bytes of directory, base name and extension: the limit comes from paths of
// 256 ANSI characters, where every byte counts as one, so a name keeps the same
// verdict it always had. What Linux itself refuses (a name of more than 255
// UTF-8 bytes) is checked on the native form besides.
inline constexpr std::size_t kMaxPathLength = 256;

// What the composition reads from the window at each call.
struct NamingSettings {
    std::array<int, kNameItemCount> items{};  // indices into the item table
    std::array<std::string, kNameSeparatorCount> separators = {"", " ", " ", " ", ""};  // CP932
    bool notRename = false;    // keep every file's current name
    bool ombrixRename = true;  // offer the programme to the rename rules first
};

// The rename rules, tried in table order: true when a rule produced the name
// in `result`. An empty function stands for "no rule matches". The rule engine
// may rewrite fields of the candidate (title, schedule results) and may wait
// for a schedule answer, during which the job list refuses changes.
using RuleStep = std::function<bool(FileEntry& entry, ProgramInfo& candidate, std::string& result)>;

// The columns of a list row.
enum RowColumn : std::size_t {
    kColumnCurrentName,
    kColumnNewName,
    kColumnEventName,
    kColumnChannel,
    kColumnDate,
    kColumnEventText,
    kColumnAvText,
    kColumnGenre,
    kColumnTitle,
    kRowColumnCount,
};

struct RowTexts {
    std::array<std::string, kRowColumnCount> columns;  // CP932
    bool selected = false;  // the entry was just converted: the row is selected again
    bool tooLong = false;   // the new-name cell is drawn red
};

// The candidate that names the entry, or nullptr when `selected` is out of range.
const ProgramInfo* selected_candidate(const FileEntry& entry);
ProgramInfo* selected_candidate(FileEntry& entry);

// Composes newName, newPath, nativeNewPath and tooLong of the entry and returns
// its row texts.
RowTexts compose_entry(FileEntry& entry, const NamingSettings& settings,
                       const RuleStep& rule_step = {});

// The row texts of the entry as it is, without composing.
RowTexts row_texts(const FileEntry& entry);

}  // namespace kalvento
