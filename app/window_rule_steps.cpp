#include "app/window_rule_steps.h"

#include "rules/rule_engine.h"
#include "rules/schedule_binding.h"

#include <memory>
#include <utility>

namespace kalvento {
namespace {

const RenameRule* first_matching_rule(const RuleList& rules, const ProgramInfo& candidate,
                                      RuleNotes* notes = nullptr) {
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (!rule_matches(candidate, rules[i], notes)) continue;
        if (notes != nullptr) notes->decision.ruleNumber = static_cast<int>(i) + 1;
        return &rules[i];
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
        const int number = notes.decision.ruleNumber;
        if (!rule->SyoboFind.empty()) {
            // The worker tells the rest once the service has answered.
            entry.decision = NamingDecision{};
            entry.decision.namedBy = NamedBy::rule;
            entry.decision.rulesTried = true;
            entry.decision.ruleNumber = number;
            entry.decision.findText = rule->FindText;
            entry.decision.findTextCh = rule->FindTextCh;
            if (defer) defer(entry);
            return true;
        }
        RuleNotes applied;
        apply_rule(entry.currentName, candidate, *rule, result, {}, &applied);
        entry.decision = std::move(applied.decision);
        entry.decision.ruleNumber = number;
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
        if (stop.stop_requested()) return ScheduleDecision{};
        ScheduleDecision decision = schedule_lookup(*session, candidate, rule, current_name);
        derive_schedule_results(*session, candidate, rule, current_name);
        return decision;
    };
    return [rules = std::move(rules), lookup = std::move(lookup)](
               FileEntry& entry, ProgramInfo& candidate, std::string& result) {
        RuleNotes notes;
        const bool named =
            apply_first_rule(rules, entry.currentName, candidate, result, lookup, &notes);
        if (named) entry.decision = std::move(notes.decision);
        return named;
    };
}

}  // namespace kalvento
