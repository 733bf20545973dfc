#include "app/rule_preview.h"

#include "rules/rule_engine.h"
#include "rules/template_scan.h"
#include "text/pattern_check.h"

#include <optional>

namespace kalvento {
namespace {

// The subject a pattern of the template is first run on, for the matcher's
// limits; the expansion may have changed it by then.
struct PatternUse {
    std::string pattern;
    PatternField field;
    std::string_view subject;
};

std::optional<RulePreview> first_bad_pattern(const std::vector<PatternUse>& uses) {
    for (const PatternUse& use : uses) {
        if (auto problem = pattern_problem(use.pattern, use.subject)) {
            RulePreview preview;
            preview.kind = PreviewKind::badPattern;
            preview.text = std::move(*problem);
            preview.pattern = use.pattern;
            preview.field = use.field;
            return preview;
        }
    }
    return std::nullopt;
}

}  // namespace

RulePreview preview_rule(const RenameRule& rule, const FileEntry* entry,
                         const NamingSettings& naming) {
    RulePreview preview;
    preview.withoutSchedule = !rule.SyoboFind.empty();
    if (entry == nullptr) return preview;
    const ProgramInfo* candidate = selected_candidate(*entry);
    if (candidate == nullptr || candidate->startTime == 0) {
        preview.kind = PreviewKind::noProgramme;
        return preview;
    }

    std::vector<PatternUse> uses;
    if (rule.FindType != kFindStation)
        uses.push_back({rule.FindText, PatternField::findText, candidate->title});
    if (rule.FindType != kFindProgramme)
        uses.push_back({rule.FindTextCh, PatternField::findTextCh, candidate->channelName});
    for (std::string& pattern : template_patterns(rule.RenameText))
        uses.push_back({std::move(pattern), PatternField::renameText, candidate->eventName});
    if (auto bad = first_bad_pattern(uses)) {
        bad->withoutSchedule = preview.withoutSchedule;
        return *bad;
    }
    if (!rule_matches(*candidate, rule)) {
        preview.kind = PreviewKind::noMatch;
        return preview;
    }

    FileEntry copy = *entry;
    NamingSettings settings = naming;
    settings.notRename = false;
    settings.ombrixRename = true;
    const RuleStep only_this_rule = [&rule](FileEntry& e, ProgramInfo& c, std::string& result) {
        return apply_rule(e.currentName, c, rule, result);
    };
    compose_entry(copy, settings, only_this_rule);
    preview.kind = PreviewKind::name;
    preview.text = copy.newName;
    return preview;
}

}  // namespace kalvento
