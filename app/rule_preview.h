// The live preview of the rule edit dialog: the file name a rule being
// written would give one recording of the list, or why it gives none. Users
// write templates by trial; the preview turns each trial into a glance.
#pragma once

#include "naming/compose.h"
#include "rules/rename_rule.h"

#include <string>

namespace kalvento {

enum class PreviewKind {
    name,         // `text` is the new file name
    noRecording,  // there is no recording to show a name for
    noProgramme,  // the recording has no programme data
    badPattern,   // `text` says why `pattern` (in the field `field`) cannot be used
    noMatch,      // the rule does not match the programme
};

// The field of the rule edit dialog that holds a pattern.
enum class PatternField { findText, findTextCh, renameText };

struct RulePreview {
    PreviewKind kind = PreviewKind::noRecording;
    std::string text;     // CP932
    std::string pattern;  // badPattern: the pattern (CP932)
    PatternField field = PatternField::findText;
    // The rule asks the schedule service; the preview does not, so the name
    // shows the programme's own fields where the service's would stand.
    bool withoutSchedule = false;
};

// What the rule does to the entry's selected candidate under the naming
// settings (extension and forbidden characters as a conversion would have
// them). The entry is not changed; nothing is asked of the schedule service.
RulePreview preview_rule(const RenameRule& rule, const FileEntry* entry,
                         const NamingSettings& naming);

}  // namespace kalvento
