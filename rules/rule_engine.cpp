#include "rules/rule_engine.h"

#include "platform/codepage.h"
#include "rules/numbering.h"
#include "rules/template_check.h"
#include "rules/template_scan.h"
#include "text/regex_helpers.h"

#include <optional>

namespace kalvento {
namespace {

// A pattern that cannot be used matches (its error text is not empty), as it
// always has; the note says so.
// How a note names a rule: "rule "title" / "station": ".
std::string rule_prefix(const RenameRule& rule) {
    std::string name = "\"" + rule.FindText + "\"";
    if (!rule.FindTextCh.empty()) name += " / \"" + rule.FindTextCh + "\"";
    return "rule " + name + ": ";
}

bool has_match(std::string_view text, std::string_view pattern, const RenameRule& rule,
               RuleNotes* notes) {
    const CheckedExtract found = regex_extract_checked(text, pattern);
    if (found.failed && notes != nullptr) {
        notes->warnings.push_back(rule_prefix(rule) + "the pattern \"" + std::string(pattern) +
                                  "\" could not be used and counts as a match (" + found.text +
                                  ")");
    }
    return !found.text.empty();
}

bool station_matches(const ProgramInfo& candidate, const RenameRule& rule, RuleNotes* notes) {
    return has_match(candidate.channelName, rule.FindTextCh, rule, notes) ||
           has_match(candidate.serviceName, rule.FindTextCh, rule, notes);
}

void clear_results(ProgramInfo& candidate) {
    candidate.resultTitle.clear();
    candidate.resultNumbers.clear();
    candidate.resultSubtitle.clear();
    candidate.resultChannel.clear();
}

// The row-less answer in words: the search word and day, and what the name
// falls back to.
std::string nothing_found_warning(const ScheduleDecision& searched) {
    return "the schedule service found nothing for \"" + searched.keyword + "\" on " +
           searched.day + ": the name uses the programme's own fields";
}

// `prefix` begins the notes about "@" that name no macro.
void expand_rule_text(std::string_view current_name, ProgramInfo& candidate, const RenameRule& rule,
                      std::string& output, RuleNotes* notes, std::string_view prefix) {
    ExpansionState state;
    state.dates = compute_macro_dates(candidate.startTime, candidate.endTime);
    std::optional<NumberingDecision> counted;
    state.episodeNumbers =
        prepare_episode_numbers(candidate, rule, notes != nullptr ? &counted : nullptr);
    expand_template(rule.RenameText, current_name, candidate, state, output);
    if (notes == nullptr) return;
    // A number the template read from a text replaced the count.
    if (!state.numberRead) notes->decision.numbering = std::move(counted);
    for (const std::size_t at : state.strayAts) {
        notes->warnings.push_back(std::string(prefix) +
                                  stray_macro_warning(stray_macro_text(rule.RenameText, at)));
    }
}

}  // namespace

bool rule_matches(const ProgramInfo& candidate, const RenameRule& rule, RuleNotes* notes) {
    switch (rule.FindType) {
        case kFindProgramme:
            return has_match(candidate.title, rule.FindText, rule, notes);
        case kFindStation:
            return station_matches(candidate, rule, notes);
        default:
            return has_match(candidate.title, rule.FindText, rule, notes) &&
                   station_matches(candidate, rule, notes);
    }
}

bool apply_rule(std::string_view current_name, ProgramInfo& candidate, const RenameRule& rule,
                std::string& output, const ScheduleLookup& lookup, RuleNotes* notes) {
    if (!rule_matches(candidate, rule, notes)) return false;
    clear_results(candidate);
    std::optional<ScheduleDecision> searched;
    if (!rule.SyoboFind.empty() && lookup) searched = lookup(candidate, rule, current_name);
    if (notes != nullptr) {
        NamingDecision& decision = notes->decision;
        decision = NamingDecision{};
        decision.namedBy = NamedBy::rule;
        decision.rulesTried = true;
        decision.findText = rule.FindText;
        decision.findTextCh = rule.FindTextCh;
        decision.schedule = searched;
        if (searched && searched->outcome == ScheduleOutcome::notFound)
            notes->warnings.push_back(rule_prefix(rule) + nothing_found_warning(*searched));
    }
    expand_rule_text(current_name, candidate, rule, output, notes, rule_prefix(rule));
    return true;
}

void apply_template(std::string_view current_name, ProgramInfo& candidate,
                    std::string_view rename_text, std::string& output, RuleNotes* notes) {
    RenameRule rule;
    rule.RenameText = std::string(rename_text);
    clear_results(candidate);
    if (notes != nullptr) {
        notes->decision = NamingDecision{};
        notes->decision.namedBy = NamedBy::oneTemplate;
    }
    expand_rule_text(current_name, candidate, rule, output, notes, "");
}

bool apply_first_rule(const std::vector<RenameRule>& rules, std::string_view current_name,
                      ProgramInfo& candidate, std::string& result, const ScheduleLookup& lookup,
                      RuleNotes* notes) {
    for (std::size_t i = 0; i < rules.size(); ++i) {
        std::string expansion;
        if (!apply_rule(current_name, candidate, rules[i], expansion, lookup, notes)) continue;
        if (notes != nullptr) notes->decision.ruleNumber = static_cast<int>(i) + 1;
        cut_cp932(expansion, kRuleResultLimit);
        result = std::move(expansion);
        return true;
    }
    return false;
}

}  // namespace kalvento
