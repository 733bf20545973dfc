#include "app/rule_shortcuts.h"

#include "platform/ascii_case.h"
#include "platform/codepage.h"
#include "rules/rule_engine.h"
#include "text/regex_helpers.h"
#include "text/text_edit.h"

#include <algorithm>

namespace kalvento {

std::optional<std::size_t> first_matching_rule(const RuleList& rules,
                                               const ProgramInfo& candidate) {
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (rule_matches(candidate, rules[i])) return i;
    }
    return std::nullopt;
}

bool is_template_rule(const RenameRule& rule) {
    return starts_with_ignoring_ascii_case(rule.FindText, kTemplateRulePrefix);
}

std::vector<TemplateChoice> template_choices(const RuleList& rules) {
    static const std::string open = cp932("「");
    static const std::string close = cp932("」で作成");
    std::vector<TemplateChoice> choices;
    for (std::size_t i = 0; i < rules.size() && choices.size() < kMaxTemplateChoices; ++i) {
        if (!is_template_rule(rules[i])) continue;
        choices.push_back(TemplateChoice{
            .rule = i,
            .label = open + rules[i].FindText.substr(kTemplateRulePrefix.size()) + close});
    }
    return choices;
}

std::string clean_programme_name(std::string event_name) {
    static const std::string patterns[] = {
        cp932("「.+?」"),        cp932("[#＃][0-9０-９]+"), cp932("第[0-9０-９]+[^　 ]"),
        cp932("(?:＜.+?＞)+"),   cp932("(?:＜.+?＞)+"),     cp932("(?:（.+?）)+"),
        cp932("(?:\\[.+?\\])+"), cp932("(?:\\[.+?\\])+"),
    };
    for (const std::string& pattern : patterns) regex_delete(event_name, pattern);
    trim_blanks(event_name);
    return event_name;
}

RenameRule rule_from_template(const RenameRule& template_rule, const ProgramInfo& candidate) {
    RenameRule rule = template_rule;
    rule.FindText = clean_programme_name(candidate.eventName);
    rule.FindTextCh = candidate.channelName;
    rule.SectionIndex = -1;
    rule.Modified = 0;
    return rule;
}

}  // namespace kalvento
