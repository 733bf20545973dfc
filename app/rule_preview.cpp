#include "app/rule_preview.h"

#include "platform/cp932_text.h"
#include "rules/rule_engine.h"
#include "rules/template_scan.h"
#include "text/fields.h"
#include "text/pattern_check.h"
#include "text/text_edit.h"

#include <optional>

namespace kalvento {
namespace {

bool is_slot_digit(char c) {
    return c >= '1' && c <= '4';
}

// Reads the quoted argument at `at`; its end, and the argument when there is one.
std::size_t quoted(std::string_view templ, std::size_t at, std::optional<std::string>& argument) {
    std::string text;
    const std::size_t after = read_quoted(templ, at, text);
    if (after != at) argument = std::move(text);
    return after;
}

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

std::vector<std::string> template_patterns(std::string_view rename_text) {
    std::vector<std::string> patterns;
    scan_template(
        rename_text, [](std::string_view) {},
        [&](const MacroDefinition& macro, std::size_t name_end) -> std::size_t {
            std::optional<std::string> argument;
            switch (macro.kind) {
                case MacroKind::cut: {
                    const std::size_t after = quoted(rename_text, name_end, argument);
                    if (argument) patterns.push_back(*argument);
                    return after;
                }
                case MacroKind::replace: {
                    const std::size_t after = quoted(rename_text, name_end, argument);
                    if (argument) {
                        const std::vector<std::string> parts = split_fields(*argument, "/", true);
                        if (parts.size() == 2) patterns.push_back(parts[0]);
                    }
                    return after;
                }
                case MacroKind::extract: {
                    if (name_end >= rename_text.size()) return name_end;
                    const char next = rename_text[name_end];
                    const bool number = next == 'N' && macro.source != SlotSource::queryTitle;
                    if (!number && !is_slot_digit(next)) return name_end;
                    const std::size_t after = quoted(rename_text, name_end + 1, argument);
                    if (argument) patterns.push_back(*argument);
                    return after;
                }
                case MacroKind::channel:
                    return name_end < rename_text.size() &&
                                   (rename_text[name_end] == '2' || rename_text[name_end] == '3')
                               ? name_end + 1
                               : name_end;
                case MacroKind::print:
                    return name_end < rename_text.size() && is_slot_digit(rename_text[name_end])
                               ? name_end + 1
                               : name_end;
                default:
                    return name_end;
            }
        });
    return patterns;
}

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
        if (!apply_rule(e.currentName, c, rule, result)) return false;
        cut_cp932(result, kRuleResultLimit);
        return true;
    };
    compose_entry(copy, settings, only_this_rule);
    preview.kind = PreviewKind::name;
    preview.text = copy.newName;
    return preview;
}

}  // namespace kalvento
