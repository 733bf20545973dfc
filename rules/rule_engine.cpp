#include "rules/rule_engine.h"

#include "platform/codepage.h"
#include "rules/numbering.h"
#include "rules/template_scan.h"
#include "text/regex_helpers.h"

namespace kalvento {
namespace {

bool has_match(std::string_view text, std::string_view pattern) {
    return !regex_extract(text, pattern).empty();
}

bool station_matches(const ProgramInfo& candidate, const RenameRule& rule) {
    return has_match(candidate.channelName, rule.FindTextCh) ||
           has_match(candidate.serviceName, rule.FindTextCh);
}

}  // namespace

bool rule_matches(const ProgramInfo& candidate, const RenameRule& rule) {
    switch (rule.FindType) {
        case kFindProgramme:
            return has_match(candidate.title, rule.FindText);
        case kFindStation:
            return station_matches(candidate, rule);
        default:
            return has_match(candidate.title, rule.FindText) && station_matches(candidate, rule);
    }
}

bool apply_rule(std::string_view current_name, ProgramInfo& candidate, const RenameRule& rule,
                std::string& output, const ScheduleLookup& lookup) {
    if (!rule_matches(candidate, rule)) return false;

    candidate.resultTitle.clear();
    candidate.resultNumbers.clear();
    candidate.resultSubtitle.clear();
    candidate.resultChannel.clear();
    if (!rule.SyoboFind.empty() && lookup) lookup(candidate, rule, current_name);

    ExpansionState state;
    state.dates = compute_macro_dates(candidate.startTime, candidate.endTime);
    state.episodeNumbers = prepare_episode_numbers(candidate, rule);
    expand_template(rule.RenameText, current_name, candidate, state, output);
    return true;
}

bool apply_first_rule(const std::vector<RenameRule>& rules, std::string_view current_name,
                      ProgramInfo& candidate, std::string& result, const ScheduleLookup& lookup) {
    for (const RenameRule& rule : rules) {
        std::string expansion;
        if (!apply_rule(current_name, candidate, rule, expansion, lookup)) continue;
        cut_cp932(expansion, kRuleResultLimit);
        result = std::move(expansion);
        return true;
    }
    return false;
}

}  // namespace kalvento
