// How a rule is shown as a row of the rule list (and by `kalvento-cli rules
// list`): type name, patterns, and the first numbering entry. All texts CP932.
#pragma once

#include "rules/rename_rule.h"

#include <string>

namespace kalvento {

// "両方", "番組名" or "放送局"; empty for a type outside 0..2.
std::string find_type_name(std::int32_t find_type);

// FindText for a programme-name rule, FindTextCh for a station rule, and
// "FindText,FindTextCh" otherwise.
std::string rule_search_text(const RenameRule& rule);

// Empty without numbering entries; else entry 0 as "YYYY/MM/DD(曜) #n " with the
// local date of its start, followed by the names of its broadcast weekdays
// from Sunday to Saturday without separators.
std::string numbering_summary(const RenameRule& rule);

}  // namespace kalvento
