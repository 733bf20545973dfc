// Why an entry got its name: which rule matched, what the schedule service was
// asked and answered, which numbering entry counted the episode. Filled where
// those choices are made (the rule engine, the schedule binding, the episode
// count) and carried with the composed name, so every front end tells the
// same story without working it out again. Recording it costs a few string
// copies; nothing is looked up for it.
#pragma once

#include "rules/rename_rule.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kalvento {

// What named the entry.
enum class NamedBy {
    items,        // the chosen items and separators
    rule,         // a rename rule
    oneTemplate,  // a template given for one run (the command line's --template)
    currentName,  // nothing: NotRename keeps every file's name
};

enum class ScheduleOutcome {
    found,        // a row for the broadcast was chosen
    notFound,     // the page came but held no row for it
    notAsked,     // nothing to search for, the address would be too long, or a stop
    unreachable,  // the service could not be reached
};

// One lookup of the schedule service for a rule (texts in code page 932).
struct ScheduleDecision {
    std::string keyword;  // the title searched for
    std::string day;      // "yyyy-mm-dd": the search covers this broadcast day
    ScheduleOutcome outcome = ScheduleOutcome::notAsked;
    // The candidate had been searched with the same texts before and that
    // answer was used; the outcome then says only whether it gave a row.
    bool remembered = false;
    // The chosen row as the service wrote it, split up; empty unless found.
    std::string title;
    std::string numbers;  // "#5", "#3,#4"
    std::string subtitle;
    std::string channel;
};

// The rule's own episode count, used when its template prints numbers and
// no schedule row gave them.
struct NumberingDecision {
    // The entry the count started from; none when no entry lies on or before
    // the broadcast (the count is then 0).
    std::optional<NumberingEntry> entry;
    std::int32_t count = 0;
};

struct NamingDecision {
    NamedBy namedBy = NamedBy::items;
    bool rulesTried = false;  // the rules were offered the programme (OmbrixRename)
    int ruleNumber = 0;       // from 1, as the rule list numbers them; 0 without a rule
    std::string findText;     // the matching rule's patterns (code page 932)
    std::string findTextCh;
    std::optional<ScheduleDecision> schedule;
    std::optional<NumberingDecision> numbering;
};

}  // namespace kalvento
