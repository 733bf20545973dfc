// The rule steps of the window. Composition on the thread that owns the job
// list must never wait for the schedule service, so the window names entries
// in two steps: on its own thread with `make_deferring_rule_step`, which hands
// every entry whose rule needs a search to the caller instead of searching,
// and on a worker with `make_stoppable_rule_step`, which searches and gives up
// at once when it is asked to stop.
#pragma once

#include "naming/compose.h"
#include "rules/rule_store.h"
#include "schedule/schedule_query.h"

#include <functional>
#include <stop_token>

namespace kalvento {

// The first rule that matches names the entry, as with the rule step of the
// application; but when that rule has a search word, the entry is passed to
// `defer` and named by an empty text (its name waits for the worker), and
// the candidate is not touched. Patterns that could not be used become the
// entry's rule warnings.
RuleStep make_deferring_rule_step(RuleList rules, std::function<void(const FileEntry&)> defer);

// True when the first rule that matches the candidate has a search word: its
// name needs the schedule service.
bool rule_needs_schedule(const RuleList& rules, const ProgramInfo& candidate);

// The rule step with schedule lookups over one connection, for one worker
// thread. Once `stop` is requested a waiting lookup is abandoned at its next
// wait round and no new one starts; the rules then use the candidate's own
// fields.
RuleStep make_stoppable_rule_step(RuleList rules, ScheduleService service, std::stop_token stop);

}  // namespace kalvento
