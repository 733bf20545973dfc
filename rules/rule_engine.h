// Rule matching and the application of one rule (or the first matching rule of
// a list) to a programme candidate.
#pragma once

#include "programme/program_info.h"
#include "rules/naming_decision.h"
#include "rules/rename_rule.h"
#include "rules/schedule_hook.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// A rule's name is cut to this many bytes (at a character boundary).
inline constexpr std::size_t kRuleResultLimit = 500;

// What matching noticed besides its verdict: patterns that could not be used
// (invalid, or the matcher gave up) count as a match, and each one is noted
// here, naming the rule, so a user can mend it; so is every "@" of the
// applied template that names no macro (code page 932 texts); and so is a
// schedule search that found no row. `decision` tells which rule (or
// template) named the programme, with its schedule lookup and episode count.
struct RuleNotes {
    std::vector<std::string> warnings;
    NamingDecision decision;
};

// The pattern test alone: FindText against the title and/or FindTextCh against
// the channel name (else the service name), as FindType says. A pattern whose
// first match is empty does not match; a broken pattern matches everything.
bool rule_matches(const ProgramInfo& candidate, const RenameRule& rule, RuleNotes* notes = nullptr);

// Applies a matching rule: empties the four result fields, runs the schedule
// lookup when the rule has a search word and a lookup is given, prepares the
// dates and episode numbers and appends the expansion of RenameText to
// `output`. Returns false, with nothing changed, when the rule does not match;
// true otherwise, whatever the expansion produced.
bool apply_rule(std::string_view current_name, ProgramInfo& candidate, const RenameRule& rule,
                std::string& output, const ScheduleLookup& lookup = {}, RuleNotes* notes = nullptr);

// Expands a template given for one run (the command line's --template) as a
// rule that takes every programme and has no schedule search and no
// numbering entries would: the four result fields are emptied, the dates
// prepared, episode numbers are 0 unless the template extracts one (@NTN...),
// and the expansion is appended to `output`, uncut.
void apply_template(std::string_view current_name, ProgramInfo& candidate,
                    std::string_view rename_text, std::string& output, RuleNotes* notes = nullptr);

// Tries the rules in order; the first that matches gives `result` (replaced,
// cut to kRuleResultLimit bytes) and true. False when none matches.
bool apply_first_rule(const std::vector<RenameRule>& rules, std::string_view current_name,
                      ProgramInfo& candidate, std::string& result,
                      const ScheduleLookup& lookup = {}, RuleNotes* notes = nullptr);

}  // namespace kalvento
