#include "app/window_rule_steps.h"

#include "rules/rule_engine.h"
#include "rules/schedule_binding.h"

#include <memory>
#include <utility>

namespace kalvento {
namespace {

const RenameRule* first_matching_rule(const RuleList& rules, const ProgramInfo& candidate,
                                      RuleNotes* notes = nullptr) {
    for (const RenameRule& rule : rules) {
        if (rule_matches(candidate, rule, notes)) return &rule;
    }
    return nullptr;
}

}  // namespace

bool rule_needs_schedule(const RuleList& rules, const ProgramInfo& candidate) {
    const RenameRule* rule = first_matching_rule(rules, candidate);
    return rule != nullptr && !rule->SyoboFind.empty();
}

RuleStep make_deferring_rule_step(RuleList rules, std::function<void(const FileEntry&)> defer) {
    return [rules = std::move(rules), defer = std::move(defer)](
               FileEntry& entry, ProgramInfo& candidate, std::string& result) {
        RuleNotes notes;
        const RenameRule* rule = first_matching_rule(rules, candidate, &notes);
        entry.ruleWarnings = std::move(notes.warnings);
        if (rule == nullptr) return false;
        result.clear();
        if (!rule->SyoboFind.empty()) {
            if (defer) defer(entry);
            return true;
        }
        apply_rule(entry.currentName, candidate, *rule, result);
        return true;
    };
}

RuleStep make_stoppable_rule_step(RuleList rules, ScheduleService service, std::stop_token stop) {
    service.stop = stop;
    auto session = std::make_shared<ScheduleSession>(std::move(service));
    // The wait rounds of a fetch run on the worker; aborting the transfer there
    // ends the wait at the next round.
    session->service.pump = [client = &session->client, stop] {
        if (stop.stop_requested()) client->http_abort();
    };
    ScheduleLookup lookup = [session, stop](ProgramInfo& candidate, const RenameRule& rule,
                                            std::string_view current_name) {
        if (stop.stop_requested()) return;
        schedule_lookup(*session, candidate, rule, current_name);
        derive_schedule_results(*session, candidate, rule, current_name);
    };
    return [rules = std::move(rules), lookup = std::move(lookup)](
               FileEntry& entry, ProgramInfo& candidate, std::string& result) {
        return apply_first_rule(rules, entry.currentName, candidate, result, lookup);
    };
}

}  // namespace kalvento
