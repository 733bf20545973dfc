// A numbering entry in one short line, as the command line takes and shows
// it: "2010-01-05:7:tue" is episode 7 on 5 January 2010 (midnight in Japan),
// counting on from there every Tuesday.
#pragma once

#include "rules/rename_rule.h"

#include <optional>
#include <string>
#include <string_view>

namespace kalvento {

// DATE:FIRST:DAYS (CP932): DATE as YYYY-MM-DD, FIRST the episode number on
// that day, DAYS the broadcast weekdays, a comma-separated list of "sun" ..
// "sat" (any case) or of the characters 日月火水木金土 (which may also stand
// together, "月水"). nullopt with `error` saying what is wrong otherwise.
std::optional<NumberingEntry> numbering_entry_from_text(std::string_view text, std::string& error);

// The same form of an entry (ASCII): its start's date in Japan, its number and
// its weekdays as "sun" .. "sat"; DAYS is empty when no weekday is set.
std::string numbering_entry_text(const NumberingEntry& entry);

}  // namespace kalvento
