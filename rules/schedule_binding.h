// The binding of a schedule lookup to a rule: the rule's search texts for the
// candidate, the search, and the title, episode numbers, subtitle and channel
// that the rule's flags take from the chosen row into the candidate.
#pragma once

#include "programme/program_info.h"
#include "rules/rename_rule.h"
#include "rules/schedule_hook.h"
#include "schedule/schedule_query.h"

#include <memory>
#include <string_view>

namespace kalvento {

// Searches for the candidate unless the rule's search texts are the ones this
// candidate was last searched with. A failed search is remembered like a
// successful one and not repeated. Returns what was asked and answered.
ScheduleDecision schedule_lookup(ScheduleSession& session, ProgramInfo& candidate,
                                 const RenameRule& rule, std::string_view current_name);

// Fills resultTitle, resultNumbers, resultSubtitle and resultChannel from the
// chosen row as the rule's flags ask; nothing without a row. A row that stands
// for several episodes may cost a second search for their subtitles.
void derive_schedule_results(ScheduleSession& session, ProgramInfo& candidate,
                             const RenameRule& rule, std::string_view current_name);

// The hook for the rule engine: the lookup, then the derivation, over one
// session that all calls share.
ScheduleLookup make_schedule_lookup(ScheduleService service);
ScheduleLookup make_schedule_lookup(std::shared_ptr<ScheduleSession> session);

}  // namespace kalvento
