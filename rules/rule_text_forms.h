// The two text forms of a rule: the tab-separated line of a rule exchange file
// and the clipboard block of key=value lines. Nothing is escaped in either: a
// tab inside a field splits it on import, a line break inside a value ends it.
#pragma once

#include "rules/rename_rule.h"
#include "rules/rule_store.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// Exchange-file lines are read in pieces of at most this many bytes.
inline constexpr std::size_t kImportLineMax = 65535;
// A larger exchange file is not read (it is surely no rule file).
inline constexpr std::size_t kExchangeFileMaxBytes = 64u * 1024u * 1024u;

// One exchange line ending in CR LF: FindText, FindTextCh, RenameText,
// SyoboFind, SyoboFindCh, SyoboFindSt, the four flags and the entry count, then
// per entry StartTime, StartNo and the seven weekday flags; all tab-separated.
// FindType, SectionIndex and Modified are not written.
std::string format_export_line(const RenameRule& rule);

// The rule of one exchange line (with or without its line end), or nullopt for
// a line of fewer than 11 fields. FindType is derived from the patterns; the
// rule is Modified and has no section yet (`add_new_rule` gives it one). Only
// entries whose nine fields are all present are created, at most
// kMaxNumberingEntries.
std::optional<RenameRule> parse_import_line(std::string_view line);

// A line of an exchange file that gave no rule (blank lines are not counted).
struct SkippedLine {
    std::size_t line = 0;    // 1-based number of the line in the file
    std::size_t fields = 0;  // the tab-separated fields it has, fewer than 11
};

// A line whose rule was in the list already, the same in every field.
struct DuplicateLine {
    std::size_t line = 0;  // 1-based number of the line in the file
    std::size_t rule = 0;  // list index (after the import) of the rule it repeats
};

struct ImportResult {
    std::size_t added = 0;
    std::size_t lastIndex = 0;              // list index of the last rule added (when added > 0)
    std::vector<SkippedLine> skipped;       // in file order
    std::vector<DuplicateLine> duplicates;  // not added again; in file order
};

// The number of leading fields an exchange line needs.
inline constexpr std::size_t kExchangeLeadingFields = 11;

// What the leading fields of an exchange line hold, in their order, for
// messages about lines that lack some.
inline constexpr std::array<std::string_view, kExchangeLeadingFields> kExchangeFieldNames = {
    "find text",
    "station",
    "template",
    "schedule title",
    "schedule channel",
    "schedule subtitle",
    "TT",
    "NB",
    "SB",
    "CH",
    "number of numbering entries"};

// Why an exchange line (CP932) could not be imported whole, or nullopt when it
// can: a line longer than kImportLineMax would fall apart into pieces, a text
// value longer than the settings file keeps (kProfileValueMax) would come back
// cut, and a NUL byte ends a value early. Importers that can say so refuse
// such a line instead of importing part of it.
std::optional<std::string> import_line_problem(std::string_view line);

// Adds the rule of every usable line of an exchange file to the list with a
// new section number, marked Modified; notes the lines that gave none, and
// those whose rule the list holds already (the same in every field), which
// are not added twice.
ImportResult import_rules(RuleList& list, std::string_view file_bytes);

// The rule as "Key=value" lines ended by CR LF, numbering keys as in the
// settings file.
std::string format_clipboard_block(const RenameRule& rule);

// Reads a clipboard block into an existing rule: its numbering entries are
// replaced by those of the block, every other field keeps its value unless a
// line sets it. Lines may end in CR LF or LF; unknown lines are ignored.
void parse_clipboard_block(std::string_view text, RenameRule& rule);

}  // namespace kalvento
