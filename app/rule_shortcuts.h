// The rule popup of a job-list row: the rule that names the row's programme
// (to change it), and the template rules ("temp:" rules) from which a new
// rule for the programme is made in one step.
#pragma once

#include "programme/program_info.h"
#include "rules/rule_store.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// A rule whose FindText begins with this (in any case) is a template.
inline constexpr std::string_view kTemplateRulePrefix = "temp:";
// The popup offers at most this many templates.
inline constexpr std::size_t kMaxTemplateChoices = 99;

// The index of the first rule (in list order) that matches the candidate.
std::optional<std::size_t> first_matching_rule(const RuleList& rules, const ProgramInfo& candidate);

bool is_template_rule(const RenameRule& rule);

// One template of the popup: its index in the list and its item text,
// "「" + FindText after "temp:" + "」で作成" (CP932).
struct TemplateChoice {
    std::size_t rule = 0;
    std::string label;
};
std::vector<TemplateChoice> template_choices(const RuleList& rules);

// The programme name without what changes from episode to episode: the
// first 「…」, "#n", "第n…", runs of ＜…＞ (twice), of （…） and of […]
// (twice), then blanks and ideographic spaces at both ends.
std::string clean_programme_name(std::string event_name);

// A new rule from a template for the candidate: the template's fields, with
// the cleaned programme name as FindText and the channel as FindTextCh. It is
// not stored anywhere yet (no section, not modified).
RenameRule rule_from_template(const RenameRule& template_rule, const ProgramInfo& candidate);

}  // namespace kalvento
