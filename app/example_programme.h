// The programme that the command line's lists show examples for: what each
// name item and each macro of the rename templates makes of it.
#pragma once

#include "programme/program_info.h"
#include "rules/rename_rule.h"

#include <string>

namespace kalvento {

// "夜のドラマ「港町の灯り」" on カルヴェントテレビ, Monday 8 April 2024 01:30 to
// 02:00 in Japan: a start before dawn, so that the 28-hour forms differ from
// the others.
ProgramInfo example_programme();

// The same programme as the broadcaster lists it, marks and all, with an
// extended description and the station's other names: what the macros of
// the rename templates are shown on.
ProgramInfo example_broadcast();

// The file name of its recording (CP932), which @NF reads.
std::string example_recording_name();

// A rule that takes the programme and counts its episodes from 11 March 2024,
// Mondays, so that it is episode 5; its template is left to the caller.
RenameRule example_rule();

}  // namespace kalvento
