// How the rule engine asks the schedule service about a broadcast. The lookup
// fills the candidate's query fields and, from the chosen row, its four result
// fields according to the rule's flags. Without a lookup (or while the service
// cannot be reached) the macros use the candidate's own fields. It returns
// what was asked and answered, for the naming decision.
#pragma once

#include "programme/program_info.h"
#include "rules/naming_decision.h"
#include "rules/rename_rule.h"

#include <functional>
#include <string_view>

namespace kalvento {

using ScheduleLookup = std::function<ScheduleDecision(
    ProgramInfo& candidate, const RenameRule& rule, std::string_view current_name)>;

}  // namespace kalvento
