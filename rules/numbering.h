// Episode numbers of a template: where they come from (the schedule row, the
// rule's own count from a known episode) and how they are printed.
#pragma once

#include "programme/program_info.h"
#include "rules/naming_decision.h"
#include "rules/rename_rule.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// True when the template holds "@", at most one digit, then "nb" or "NB".
bool template_uses_numbering(std::string_view rename_text);

// The rule's count for a programme starting at `start_time`: the last entry
// not later than the start is the anchor; its StartNo - 1 plus one for every
// flagged weekday from the anchor's day to the start's day. 0 without an
// anchor or with an anchor whose StartTime is 0. Wraps like a 32-bit counter.
std::int32_t count_episode_number(const std::vector<NumberingEntry>& numbering,
                                  std::int64_t start_time);

// The anchor of that count: the last entry not later than the start, when
// its StartTime is set; nullptr otherwise.
const NumberingEntry* numbering_anchor(const std::vector<NumberingEntry>& numbering,
                                       std::int64_t start_time);

// Reads a numbering text of "#"-items joined by ",": each item's number is the
// decimal integer after its first byte (blanks, a sign, digits; 0 without
// digits; held to the 32-bit range). Never empty.
std::vector<std::int32_t> parse_numbering_text(std::string_view text);

// The episode numbers of one expansion, never empty: the schedule row's
// numbers, else the rule's count, when the template prints numbers at all;
// else the single number 0. When the rule's count gives them, `counted` (if
// given) is told the anchor and the count.
std::vector<std::int32_t> prepare_episode_numbers(
    const ProgramInfo& candidate, const RenameRule& rule,
    std::optional<NumberingDecision>* counted = nullptr);

// Appends the numbers: "%d" ("%02d" ... "%04d" for width 2..4), with "#" before
// each number when `hash` is set; "," between neighbours (the next is the
// previous plus one), "-" between others.
void print_episode_numbers(const std::vector<std::int32_t>& numbers, int width, bool hash,
                           std::string& output);

}  // namespace kalvento
