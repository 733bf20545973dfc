// Expansion of a rename template: the scan over its bytes and the macros.
#pragma once

#include "programme/program_info.h"
#include "rules/macro_dates.h"
#include "rules/macro_table.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

// The working state of one expansion.
struct ExpansionState {
    // Extraction slots, one table of four per source (indexed by SlotSource).
    std::array<std::array<std::string, kSlotsPerSource>, kSlotSourceCount> slots;
    std::vector<std::int32_t> episodeNumbers{0};  // never empty
    MacroDates dates;
};

// Appends the expansion of `templ` to `output`. Macros read the candidate and
// some edit it (@C, @R and @MST change eventName and eventText for good);
// `current_name` is the recording's current file name, the subject of @NF.
void expand_template(std::string_view templ, std::string_view current_name, ProgramInfo& candidate,
                     ExpansionState& state, std::string& output);

}  // namespace kalvento
